#pragma once
// List models of the event browser: the events of the selected category (with their selection
// marks) and the same events in calendar-day sections. Interface thread only.

#include "DatedEventSection.h"
#include "TeslaClipEvent.h"

#include <QAbstractListModel>
#include <QSet>
#include <QUuid>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>
#include <optional>
#include <vector>

namespace orvane {

// What a card marks: picked for deletion, its place in the merge pick order, open in the preview.
struct EventMarks {
    QSet<QUuid> deleteSelected;
    std::vector<QUuid> mergeSelected;
    std::optional<QUuid> open;
    bool operator==(const EventMarks&) const = default;
};

// An event as QML reads it (ids as text, instants as seconds since 1970, NaN for none).
QVariantMap eventToVariantMap(const TeslaClipEvent& event);

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
        ReasonTextRole,      // why the car saved the event, in words; empty when unknown
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

    Q_INVOKABLE int indexOf(const QString& eventID) const;
    Q_INVOKABLE QVariantMap get(int row) const;

signals:
    void countChanged();

private:
    std::vector<TeslaClipEvent> events_;
    std::vector<QString> sectionTitles_;
    std::vector<double> sectionDates_;
    EventMarks marks_;
};

class DatedEventSectionModel : public QAbstractListModel {
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        DateRole = Qt::UserRole + 1, // local midnight, seconds since 1970
        TitleRole,
        EventCountRole,
        EventsRole, // an EventListModel of the day's events
        EventIDsRole,
    };

    explicit DatedEventSectionModel(QObject* parent = nullptr);
    ~DatedEventSectionModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(sections_.size()); }
    void setSections(std::vector<DatedEventSection> sections);
    void setMarks(const EventMarks& marks);

signals:
    void countChanged();

private:
    std::vector<DatedEventSection> sections_;
    std::vector<EventListModel*> dayModels_; // children; old ones go once the views let go
    EventMarks marks_;
};

} // namespace orvane
