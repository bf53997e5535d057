#pragma once
// List models of the event browser: the events of the selected category (with their selection
// marks) and the same events by calendar day in rows of cards. Interface thread only.

#include "DatedEventSection.h"
#include "TeslaClipEvent.h"

#include <QAbstractListModel>
#include <QSet>
#include <QUuid>
#include <QtQml/qqmlregistration.h>
#include <optional>
#include <vector>

namespace orvane {

class HardBrakeCounts;

// The same events in the same order (by identity; what they hold may differ).
bool sameEvents(const std::vector<TeslaClipEvent>& a, const std::vector<TeslaClipEvent>& b);

// What a card marks: picked for deletion, its place in the merge pick order, open in the preview.
struct EventMarks {
    QSet<QUuid> deleteSelected;
    std::vector<QUuid> mergeSelected;
    std::optional<QUuid> open;
    // Folders of encrypted events whose keys the session holds: they read as plain ones.
    QSet<QString> unlockedFolders;
    bool isUnlocked(const TeslaClipEvent& e) const {
        return e.isEncrypted && unlockedFolders.contains(e.folderURL);
    }
    bool operator==(const EventMarks&) const = default;
};

class EventListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        EventIDRole = Qt::UserRole + 1,
        FolderNameRole,
        FolderURLRole,
        SourceFileURLRole, // empty unless the event is one file
        CategoryRole,
        StartTimeRole,
        EndTimeRole, // NaN when unknown
        TimeRangeTitleRole,
        LocationLineRole, // empty when none
        VideoCountRole,
        IsContinuousSessionRole,
        IsDeleteSelectedRole,
        IsMergeSelectedRole,
        MergeOrderRole, // 1-based place in the merge pick order, 0 when not picked
        IsOpenRole,
        SectionTitleRole, // the day's title, for ListView sections
        SectionDateRole,
        ThumbnailSourceRole, // the card picture's address ("image://eventthumb/…")
        IsEncryptedRole,     // the car encrypted the footage
        IsUnlockedRole,      // … and the session holds its keys
        ReasonTextRole,      // why the car saved the event, in words; empty when unknown
        HardBrakeCountRole,  // times the car braked hard; -1 until read or when it cannot be
    };

    explicit EventListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(events_.size()); }
    const std::vector<TeslaClipEvent>& events() const { return events_; }
    // Replaces the rows when the events (by id, in order) differ.
    void setEvents(const std::vector<TeslaClipEvent>& events);
    // Updates the marks, announcing only the rows whose marks changed.
    void setMarks(const EventMarks& marks);
    // Where the cards' hard-brake counts come from; rows follow its reports.
    void setHardBrakeCounts(HardBrakeCounts* counts);

    Q_INVOKABLE int indexOf(const QString& eventID) const;

signals:
    void countChanged();

private:
    std::vector<TeslaClipEvent> events_;
    std::vector<QString> sectionTitles_;
    std::vector<double> sectionDates_;
    EventMarks marks_;
    HardBrakeCounts* counts_ = nullptr;
};

// The same events as the browser lays them out: by day, in rows of at most `columns` cards, the
// first row of a day carrying its title and count. A row at a time keeps the list's work while
// scrolling to a few cards a frame, where a whole day's cards would be made at once.
class DatedEventRowModel : public QAbstractListModel {
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    // Cards per row, as the view fits them; no rows until it is set.
    Q_PROPERTY(int columns READ columns WRITE setColumns NOTIFY columnsChanged)

public:
    enum Role {
        StartsDayRole = Qt::UserRole + 1,
        DayTitleRole,
        DayEventCountRole,
        EventsRole, // an EventListModel of the row's events
    };

    explicit DatedEventRowModel(QObject* parent = nullptr);
    ~DatedEventRowModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(rows_.size()); }
    int columns() const { return columns_; }
    void setColumns(int columns);
    void setSections(std::vector<DatedEventSection> sections);
    void setMarks(const EventMarks& marks);
    // The row that starts `day`'s cards; -1 without one.
    int firstRowOf(QDate day) const;
    void setHardBrakeCounts(HardBrakeCounts* counts);

signals:
    void countChanged();
    void columnsChanged();

private:
    struct Row {
        size_t section;
        bool startsDay;
        EventListModel* events; // a child; old ones go once the views let go
    };
    void layOut();

    std::vector<DatedEventSection> sections_;
    std::vector<Row> rows_;
    EventMarks marks_;
    HardBrakeCounts* counts_ = nullptr;
    int columns_ = 0;
};

} // namespace orvane
