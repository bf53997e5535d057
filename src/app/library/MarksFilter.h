#pragma once
// The browser's filter by marks: events the car braked hard in, footage the car encrypted, and the
// search for the hard brakes not counted yet. Interface thread only; the counts are read by
// HardBrakeCounts on its own thread.

#include "EventListModel.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <tuple>
#include <vector>

namespace orvane {

class HardBrakeCounts;

class MarksFilter : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The library owns its marks filter")
    Q_PROPERTY(bool hardBrakesOnly READ hardBrakesOnly WRITE setHardBrakesOnly NOTIFY marksChanged)
    Q_PROPERTY(bool encryptedOnly READ encryptedOnly WRITE setEncryptedOnly NOTIFY marksChanged)
    // How many marks are on (the button says it).
    Q_PROPERTY(int activeCount READ activeCount NOTIFY marksChanged)
    // Events of the category are still being read for their hard brakes.
    Q_PROPERTY(bool isSearching READ isSearching NOTIFY progressChanged)
    // "正在查找急刹车… 120/456" while searching, else empty.
    Q_PROPERTY(QString progressText READ progressText NOTIFY progressChanged)
    // What the browser says when no event passes.
    Q_PROPERTY(QString emptyTitle READ emptyTitle NOTIFY progressChanged)
    Q_PROPERTY(QString emptyHint READ emptyHint NOTIFY progressChanged)

public:
    MarksFilter(HardBrakeCounts& counts, QObject* parent = nullptr);

    bool hardBrakesOnly() const { return hardBrakesOnly_; }
    void setHardBrakesOnly(bool on);
    bool encryptedOnly() const { return encryptedOnly_; }
    void setEncryptedOnly(bool on);
    int activeCount() const { return int(hardBrakesOnly_) + int(encryptedOnly_); }
    bool isSearching() const { return hardBrakesOnly_ && searched_ < searchTotal_; }
    int searchedCount() const { return searched_; }
    // The events that can be searched (what the car encrypted without keys held cannot).
    int searchTotal() const { return searchTotal_; }
    QString progressText() const;
    QString emptyTitle() const;
    QString emptyHint() const;
    Q_INVOKABLE void clear();

    // The category's events and the cards' marks (which encrypted folders are unlocked); the
    // search follows them.
    void setCandidates(const std::vector<TeslaClipEvent>& events, const EventMarks& marks);
    // The candidates every mark on keeps, in order (all of them with no mark on).
    std::vector<TeslaClipEvent> shown() const;

signals:
    void marksChanged();
    void progressChanged();
    // What shown() returns may have changed.
    void shownChanged();

private:
    void countsSettled(const QSet<QString>& keys);
    void search();
    void updateProgress();

    HardBrakeCounts& counts_;
    bool hardBrakesOnly_ = false;
    bool encryptedOnly_ = false;
    std::vector<TeslaClipEvent> candidates_;
    std::vector<QString> keys_; // each candidate's count key; empty where it cannot be read
    QSet<QString> keySet_;
    QSet<QString> unlockedFolders_;
    int searched_ = 0;
    int searchTotal_ = 0;
    int locked_ = 0; // candidates the car encrypted whose keys are not held
    std::tuple<int, int, int, bool> reported_{0, 0, 0, false};
};

} // namespace orvane
