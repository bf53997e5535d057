#include "CameraOptions.h"

#include <algorithm>
#include <array>

namespace orvane::CameraOptions {

std::vector<Choice> list(std::span<const CameraAngle> cameras) {
    std::vector<Choice> options;
    for (CameraAngle camera : cameras)
        options.push_back({Camera::rawValue(camera), Camera::displayName(camera), {}});
    return options;
}

std::vector<Choice> preview(Camera::GridLayout layout) {
    std::array<CameraAngle, Camera::physicalCases.size() + 1> cameras{CameraAngle::all};
    std::copy(Camera::physicalCases.begin(), Camera::physicalCases.end(), cameras.begin() + 1);
    std::vector<Choice> options = list(cameras);
    options.front().title = Camera::gridTitle(layout);
    return options;
}

std::vector<Choice> merge() {
    return list(Camera::physicalCases);
}

} // namespace orvane::CameraOptions
