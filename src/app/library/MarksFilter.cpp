#include "MarksFilter.h"

#include "HardBrakeCounts.h"

#include <QCoreApplication>
#include <tuple>
#include <utility>

namespace orvane {

MarksFilter::MarksFilter(HardBrakeCounts& counts, QObject* parent) : QObject(parent), counts_(counts) {
    connect(&counts_, &HardBrakeCounts::countsSettled, this, &MarksFilter::countsSettled);
}

void MarksFilter::setHardBrakesOnly(bool on) {
    if (on == hardBrakesOnly_)
        return;
    hardBrakesOnly_ = on;
    search();
    updateProgress();
    emit marksChanged();
    emit shownChanged();
}

void MarksFilter::setEncryptedOnly(bool on) {
    if (on == encryptedOnly_)
        return;
    encryptedOnly_ = on;
    emit marksChanged();
    emit shownChanged();
}

void MarksFilter::clear() {
    setHardBrakesOnly(false);
    setEncryptedOnly(false);
}

QString MarksFilter::progressText() const {
    return isSearching() ? tr("正在查找急刹车… %1/%2").arg(searched_).arg(searchTotal_) : QString();
}

QString MarksFilter::emptyTitle() const {
    return isSearching() ? tr("正在查找急刹车…") : tr("没有符合筛选条件的视频片段");
}

QString MarksFilter::emptyHint() const {
    if (isSearching())
        return progressText();
    if (hardBrakesOnly_ && locked_ > 0)
        return tr("另有 %n 个加密片段尚未解锁，无法读取其中的急刹车记录", nullptr, locked_);
    return tr("可在“筛选”菜单中更改条件");
}

void MarksFilter::setCandidates(const std::vector<TeslaClipEvent>& events, const EventMarks& marks) {
    if (sameEvents(events, candidates_) && marks.unlockedFolders == unlockedFolders_)
        return;
    candidates_ = events;
    unlockedFolders_ = marks.unlockedFolders;
    keys_.clear();
    keySet_.clear();
    locked_ = 0;
    for (const TeslaClipEvent& e : candidates_) {
        keys_.push_back(HardBrakeCounts::keyOf(e, marks.isUnlocked(e)));
        if (keys_.back().isEmpty())
            ++locked_;
        else
            keySet_.insert(keys_.back());
    }
    search();
    updateProgress();
}

std::vector<TeslaClipEvent> MarksFilter::shown() const {
    if (activeCount() == 0)
        return candidates_;
    std::vector<TeslaClipEvent> kept;
    for (size_t i = 0; i < candidates_.size(); ++i) {
        const TeslaClipEvent& e = candidates_[i];
        if (encryptedOnly_ && !e.isEncrypted)
            continue;
        if (hardBrakesOnly_ && counts_.count(keys_[i]).value_or(0) == 0)
            continue;
        kept.push_back(e);
    }
    return kept;
}

void MarksFilter::countsSettled(const QSet<QString>& keys) {
    if (!hardBrakesOnly_ || !keys.intersects(keySet_))
        return;
    updateProgress();
    emit shownChanged();
}

// Reads every candidate not counted yet while the mark is on; stops reading when it goes off.
void MarksFilter::search() {
    if (hardBrakesOnly_)
        counts_.setBackground(candidates_, unlockedFolders_);
    else
        counts_.setBackground({}, {});
}

void MarksFilter::updateProgress() {
    int searched = 0;
    for (const QString& key : std::as_const(keySet_))
        searched += counts_.isSettled(key) ? 1 : 0;
    searched_ = searched;
    searchTotal_ = int(keySet_.size());
    // The texts follow these; the mark itself is among them (it decides whether searching).
    const auto now = std::tuple(searched_, searchTotal_, locked_, hardBrakesOnly_);
    if (now != reported_) {
        reported_ = now;
        emit progressChanged();
    }
}

} // namespace orvane
