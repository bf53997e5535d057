#include "HardBrakeCounts.h"

#include "HardBrakeCountCache.h"
#include "LatestRequest.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace orvane {

HardBrakeCounts::Reader HardBrakeCounts::standardReader() {
    return [](const TeslaClipEvent& event, const CancellationToken& cancel) {
        return HardBrakeCountCache::count(
            event,
            [](const std::vector<TeslaVideoFile>& videos, const CancellationToken& token) {
                return HardBrakeCountCache::countFromFootage(videos, token);
            },
            cancel);
    };
}

HardBrakeCounts::HardBrakeCounts(Reader reader, QObject* parent)
    : QObject(parent), reader_(reader ? std::move(reader) : standardReader()) {
    pool_.setMaxThreadCount(1);
    report_.setSingleShot(true);
    report_.setInterval(reportIntervalMs);
    connect(&report_, &QTimer::timeout, this, [this] { emit countsSettled(std::exchange(settled_, {})); });
}

HardBrakeCounts::~HardBrakeCounts() {
    runningCancel_.cancel();
    pool_.waitForDone();
}

QString HardBrakeCounts::keyOf(const TeslaClipEvent& event, bool unlocked) {
    if (event.isEncrypted && !unlocked)
        return {};
    return HardBrakeCountCache::eventKey(event);
}

std::optional<int> HardBrakeCounts::count(const QString& key) const {
    const auto found = counts_.constFind(key);
    return found == counts_.constEnd() ? std::nullopt : std::optional(*found);
}

void HardBrakeCounts::want(const TeslaClipEvent& event, bool unlocked) {
    const QString key = keyOf(event, unlocked);
    if (key.isEmpty())
        return;
    ++cardWants_[key];
    wantKey(key, event);
    cardOrder_.push_back(key);
    startNext();
}

void HardBrakeCounts::release(const QString& key) {
    const auto found = cardWants_.find(key);
    if (found == cardWants_.end())
        return;
    if (--*found <= 0)
        cardWants_.erase(found);
    if (!isWanted(key))
        events_.remove(key);
    cancelUnwantedRead();
}

void HardBrakeCounts::setBackground(const std::vector<TeslaClipEvent>& events,
                                    const QSet<QString>& unlockedFolders) {
    for (const QString& key : std::as_const(backgroundKeys_))
        if (!cardWants_.contains(key))
            events_.remove(key);
    background_.clear();
    backgroundKeys_.clear();
    for (const TeslaClipEvent& event : events) {
        const QString key = keyOf(event, event.isEncrypted && unlockedFolders.contains(event.folderURL));
        if (key.isEmpty() || isSettled(key) || backgroundKeys_.contains(key))
            continue;
        background_.push_back(key);
        backgroundKeys_.insert(key);
        wantKey(key, event);
    }
    cancelUnwantedRead();
    startNext();
}

void HardBrakeCounts::clear() {
    ++generation_;
    runningCancel_.cancel();
    running_.clear();
    counts_.clear();
    unknown_.clear();
    events_.clear();
    cardWants_.clear();
    cardOrder_.clear();
    background_.clear();
    backgroundKeys_.clear();
    settled_.clear();
    report_.stop();
}

bool HardBrakeCounts::isIdle() const {
    const auto settled = [this](const QString& key) { return isSettled(key); };
    const QList<QString> cards = cardWants_.keys();
    return running_.isEmpty() && !report_.isActive() && std::all_of(cards.begin(), cards.end(), settled) &&
           std::all_of(backgroundKeys_.begin(), backgroundKeys_.end(), settled);
}

void HardBrakeCounts::wantKey(const QString& key, const TeslaClipEvent& event) {
    if (!events_.contains(key))
        events_.insert(key, event);
}

bool HardBrakeCounts::isWanted(const QString& key) const {
    return cardWants_.contains(key) || backgroundKeys_.contains(key);
}

// The cards' latest first, then the search's in order; what is settled or no longer wanted is
// dropped on the way.
std::optional<QString> HardBrakeCounts::nextKey() {
    while (!cardOrder_.empty()) {
        QString key = std::move(cardOrder_.back());
        cardOrder_.pop_back();
        if (cardWants_.contains(key) && !isSettled(key) && key != running_)
            return key;
    }
    while (!background_.empty()) {
        QString key = std::move(background_.front());
        background_.pop_front();
        if (backgroundKeys_.contains(key) && !isSettled(key) && key != running_)
            return key;
    }
    return std::nullopt;
}

void HardBrakeCounts::startNext() {
    if (!running_.isEmpty())
        return;
    const std::optional<QString> key = nextKey();
    if (!key)
        return;
    running_ = *key;
    runningCancel_ = CancellationToken();
    runInBackground(
        &pool_, this,
        [read = reader_, event = events_.value(*key), cancel = runningCancel_] {
            Outcome outcome;
            try {
                outcome.count = read(event, cancel);
            } catch (const OperationCancelled&) {
                outcome.cancelled = true;
            } catch (const std::exception&) {
                // unreadable: not known
            }
            return outcome;
        },
        [this, key = *key, generation = generation_](const Outcome& outcome) {
            if (generation == generation_)
                finish(key, outcome);
        });
}

void HardBrakeCounts::finish(const QString& key, const Outcome& outcome) {
    running_.clear();
    if (!outcome.cancelled) {
        if (outcome.count)
            counts_.insert(key, *outcome.count);
        else
            unknown_.insert(key);
        settled_.insert(key);
        if (!report_.isActive())
            report_.start();
        backgroundKeys_.remove(key);
        if (!cardWants_.contains(key))
            events_.remove(key);
    } else if (cardWants_.contains(key)) {
        // Cancelled, then wanted again before the cancellation landed: its turn comes again.
        cardOrder_.push_back(key);
    } else if (backgroundKeys_.contains(key)) {
        background_.push_front(key);
    }
    startNext();
}

void HardBrakeCounts::cancelUnwantedRead() {
    if (!running_.isEmpty() && !isWanted(running_))
        runningCancel_.cancel();
}

} // namespace orvane
