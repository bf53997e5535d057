#include "CameraOptions.h"

#include <QVariantMap>
#include <algorithm>
#include <array>

namespace orvane::CameraOptions {

QVariantList list(std::span<const CameraAngle> cameras) {
    QVariantList options;
    for (CameraAngle camera : cameras)
        options << QVariantMap{{QStringLiteral("value"), Camera::rawValue(camera)},
                               {QStringLiteral("title"), Camera::displayName(camera)}};
    return options;
}

QVariantList preview(Camera::GridLayout layout) {
    std::array<CameraAngle, Camera::physicalCases.size() + 1> cameras{CameraAngle::all};
    std::copy(Camera::physicalCases.begin(), Camera::physicalCases.end(), cameras.begin() + 1);
    QVariantList options = list(cameras);
    QVariantMap grid = options.front().toMap();
    grid[QStringLiteral("title")] = Camera::gridTitle(layout);
    options.front() = grid;
    return options;
}

QVariantList merge() {
    return list(Camera::physicalCases);
}

} // namespace orvane::CameraOptions
