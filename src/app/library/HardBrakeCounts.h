#pragma once
// The hard-brake counts the event cards and the marks filter show: counted only for the events
// asked for, one at a time off the interface thread (a slow drive serves one reader best), kept in
// memory here and on disk by HardBrakeCountCache. Interface thread only.

#include "CancellationToken.h"
#include "TeslaClipEvent.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QThreadPool>
#include <QTimer>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace orvane {

class HardBrakeCounts : public QObject {
    Q_OBJECT

public:
    // Counts one event on the pool; none when it cannot be known. Throws OperationCancelled.
    using Reader = std::function<std::optional<int>(const TeslaClipEvent&, const CancellationToken&)>;

    // Reads through the disk cache with the preview's rule.
    static Reader standardReader();
    // A null `reader` is the standard one.
    explicit HardBrakeCounts(Reader reader = {}, QObject* parent = nullptr);
    ~HardBrakeCounts() override;

    // What an event's count is kept under; empty for footage that cannot be read now (the car
    // encrypted it and the session lacks its keys).
    static QString keyOf(const TeslaClipEvent& event, bool unlocked);

    std::optional<int> count(const QString& key) const;
    // The key was read: its count is known or cannot be (say its folder is gone).
    bool isSettled(const QString& key) const { return counts_.contains(key) || unknown_.contains(key); }

    // A card of the event is shown; each want is matched by a release of its key when it goes.
    // The latest card wanted is read first; one released before its turn is not read at all.
    void want(const TeslaClipEvent& event, bool unlocked);
    void release(const QString& key);
    // Events to read once no card waits (a search by the marks), in order; replaces the earlier
    // list, and an empty one stops the search.
    void setBackground(const std::vector<TeslaClipEvent>& events, const QSet<QString>& unlockedFolders);
    // Forgets what was read (a new scan: the files may have changed since).
    void clear();
    // Every count wanted is settled and reported (tests, screenshots).
    bool isIdle() const;
    // Waits until no read runs (tests, shutdown).
    void waitForIdle() { pool_.waitForDone(); }

    // Reports are gathered this long, so a run of quick answers from the cache updates the views once.
    static constexpr int reportIntervalMs = 150;

signals:
    // These keys were settled since the last report.
    void countsSettled(const QSet<QString>& keys);

private:
    struct Outcome {
        bool cancelled = false;
        std::optional<int> count;
    };
    void wantKey(const QString& key, const TeslaClipEvent& event);
    bool isWanted(const QString& key) const;
    std::optional<QString> nextKey();
    void startNext();
    void finish(const QString& key, const Outcome& outcome);
    void cancelUnwantedRead();

    Reader reader_;
    QHash<QString, int> counts_;
    QSet<QString> unknown_;
    QHash<QString, TeslaClipEvent> events_; // of the keys asked for
    QHash<QString, int> cardWants_;
    std::vector<QString> cardOrder_; // latest want last; stale entries are skipped when reached
    std::deque<QString> background_;
    QSet<QString> backgroundKeys_;
    QString running_;
    CancellationToken runningCancel_;
    quint64 generation_ = 0; // a clear() drops the answer of a read started before it
    QSet<QString> settled_;
    QTimer report_;
    QThreadPool pool_;
};

} // namespace orvane
