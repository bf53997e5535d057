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

std::vector<Choice> preview(Camera::GridLayout layout, std::span<const CameraAngle> cameras) {
    std::vector<Choice> options{{Camera::rawValue(CameraAngle::all), Camera::gridTitle(layout), {}}};
    for (CameraAngle camera : Camera::physicalCases)
        if (std::find(cameras.begin(), cameras.end(), camera) != cameras.end())
            options.push_back({Camera::rawValue(camera), Camera::displayName(camera), {}});
    return options;
}

std::vector<Choice> merge() {
    return list(Camera::physicalCases);
}

} // namespace orvane::CameraOptions
