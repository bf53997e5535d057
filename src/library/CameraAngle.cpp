#include "CameraAngle.h"

namespace orvane::Camera {

std::optional<int> gridCell(CameraAngle camera) {
    for (size_t i = 0; i < gridOrder.size(); ++i)
        if (gridOrder[i] == camera)
            return int(i);
    return std::nullopt;
}

QString rawValue(CameraAngle camera) {
    switch (camera) {
    case CameraAngle::front: return QStringLiteral("front");
    case CameraAngle::back: return QStringLiteral("back");
    case CameraAngle::leftRepeater: return QStringLiteral("left_repeater");
    case CameraAngle::rightRepeater: return QStringLiteral("right_repeater");
    case CameraAngle::leftPillar: return QStringLiteral("left_pillar");
    case CameraAngle::rightPillar: return QStringLiteral("right_pillar");
    case CameraAngle::all: return QStringLiteral("all");
    }
    return {};
}

std::optional<CameraAngle> fromRawValue(const QString& raw) {
    for (CameraAngle c : allCases)
        if (rawValue(c) == raw)
            return c;
    return std::nullopt;
}

QString displayName(CameraAngle camera) {
    switch (camera) {
    case CameraAngle::front: return QStringLiteral("前路");
    case CameraAngle::back: return QStringLiteral("后路");
    case CameraAngle::leftRepeater: return QStringLiteral("左盲区");
    case CameraAngle::rightRepeater: return QStringLiteral("右盲区");
    case CameraAngle::leftPillar: return QStringLiteral("左柱");
    case CameraAngle::rightPillar: return QStringLiteral("右柱");
    case CameraAngle::all: return QStringLiteral("四宫格");
    }
    return {};
}

static_assert(size_t(CameraAngle::all) == allCases.size() - 1, "enumerator values are allCases positions");

namespace {

// Built once: these are compared against every file name of a drive.
const QString& suffixOf(CameraAngle camera) {
    static const std::array<QString, allCases.size()> suffixes = [] {
        std::array<QString, allCases.size()> result;
        for (size_t i = 0; i < allCases.size(); ++i)
            if (allCases[i] != CameraAngle::all)
                result[i] = QLatin1Char('-') + rawValue(allCases[i]) + QStringLiteral(".mp4");
        return result;
    }();
    return suffixes[size_t(camera)];
}

} // namespace

QString fileNameSuffix(CameraAngle camera) { return suffixOf(camera); }

bool matches(CameraAngle camera, const QString& fileName) {
    return camera == CameraAngle::all || fileName.endsWith(suffixOf(camera));
}

std::optional<CameraAngle> parse(QStringView fileName) {
    for (CameraAngle c : physicalCases)
        if (fileName.endsWith(suffixOf(c)))
            return c;
    return std::nullopt;
}

} // namespace orvane::Camera
