#include "MergeRules.h"

#include <QCoreApplication>
#include <algorithm>

namespace orvane::MergeRules {

double clampedRangeStart(double t, double rangeEnd) {
    return std::min(std::max(t, 0.0), std::max(rangeEnd - minimumKeptLength, 0.0));
}

double clampedRangeEnd(double t, double rangeStart, double total) {
    return std::max(std::min(t, total), std::min(rangeStart + minimumKeptLength, total));
}

bool moveItem(std::vector<VideoMergeItem>& items, const QUuid& id, int direction) {
    const auto found =
        std::find_if(items.begin(), items.end(), [&](const VideoMergeItem& i) { return i.id == id; });
    if (found == items.end())
        return false;
    const std::ptrdiff_t index = found - items.begin();
    const std::ptrdiff_t target = index + direction;
    if (target < 0 || target >= std::ptrdiff_t(items.size()))
        return false;
    std::swap(items[size_t(index)], items[size_t(target)]);
    return true;
}

QString eventsMissingCameraMessage(CameraAngle camera) {
    return QCoreApplication::translate("MergeRules", "所选视频中至少有两个没有 %1 画面，请更换机位后重试")
        .arg(Camera::displayName(camera));
}

QString segmentsMissingCameraMessage(CameraAngle camera) {
    return QCoreApplication::translate("MergeRules", "所选片段缺少 %1 画面，请更换机位后重试")
        .arg(Camera::displayName(camera));
}

QString cameraChangeMissingMessage(CameraAngle camera) {
    return QCoreApplication::translate("MergeRules", "所选片段中有视频缺少 %1 画面")
        .arg(Camera::displayName(camera));
}

} // namespace orvane::MergeRules
