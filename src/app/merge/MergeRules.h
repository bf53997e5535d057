#pragma once
// The stateless rules of the merge editor: the kept range of an item, moving items, and the
// editor's messages. Pure functions; any thread.

#include "CameraAngle.h"
#include "TranslatedText.h"
#include "VideoMergeItem.h"

#include <QString>
#include <QStringList>
#include <QUuid>
#include <algorithm>
#include <vector>

namespace orvane::MergeRules {

// A splice joins at least this many events or minutes.
inline constexpr size_t minimumPicks = 2;

// The shortest kept range (unless the item itself is shorter).
inline constexpr double minimumKeptLength = 0.1;

// The range start for `t`: at least 0 and at least minimumKeptLength before the end.
double clampedRangeStart(double t, double rangeEnd);
// The range end for `t`: at most the item's length and at least minimumKeptLength after the start.
double clampedRangeEnd(double t, double rangeStart, double total);

// Swaps the item with its neighbour (-1 up, +1 down); false when it cannot move.
bool moveItem(std::vector<VideoMergeItem>& items, const QUuid& id, int direction);

// Adds `value` at the end, or removes it when present (the pick order is kept).
template <typename List, typename Value> void toggleInOrder(List& list, const Value& value) {
    const auto found = std::find(list.begin(), list.end(), value);
    if (found == list.end())
        list.push_back(value);
    else
        list.erase(found);
}

inline constexpr TranslatedText tooFewEventsMessage{
    "MergeRules", QT_TRANSLATE_NOOP("MergeRules", "请至少选择两个需要拼接的视频")};
inline constexpr TranslatedText tooFewSegmentsMessage{
    "MergeRules", QT_TRANSLATE_NOOP("MergeRules", "请至少选择两个需要拼接的片段")};
inline constexpr TranslatedText segmentsChangedMessage{
    "MergeRules", QT_TRANSLATE_NOOP("MergeRules", "选中的片段已变化，请重新选择")};
QString eventsMissingCameraMessage(CameraAngle camera);
QString segmentsMissingCameraMessage(CameraAngle camera);
QString cameraChangeMissingMessage(CameraAngle camera);

} // namespace orvane::MergeRules
