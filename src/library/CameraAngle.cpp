#include "CameraAngle.h"

#include <QCoreApplication>

namespace orvane::Camera {

std::span<const CameraAngle> gridCameras(GridLayout layout) {
    if (layout == GridLayout::six)
        return sixGridOrder;
    return gridOrder;
}

int gridColumns(GridLayout layout) {
    return layout == GridLayout::six ? 3 : 2;
}

std::optional<int> gridCell(CameraAngle camera, GridLayout layout) {
    const auto cameras = gridCameras(layout);
    for (size_t i = 0; i < cameras.size(); ++i)
        if (cameras[i] == camera)
            return int(i);
    return std::nullopt;
}

GridLayout gridLayoutFor(std::span<const CameraAngle> cameras) {
    for (CameraAngle c : cameras)
        if (c == CameraAngle::leftPillar || c == CameraAngle::rightPillar)
            return GridLayout::six;
    return GridLayout::four;
}

QString gridTitle(GridLayout layout) {
    return layout == GridLayout::six ? QCoreApplication::translate("CameraAngle", "六宫格")
                                     : displayName(CameraAngle::all);
}

QString rawValue(CameraAngle camera) {
    switch (camera) {
    case CameraAngle::front:
        return QStringLiteral("front");
    case CameraAngle::back:
        return QStringLiteral("back");
    case CameraAngle::leftRepeater:
        return QStringLiteral("left_repeater");
    case CameraAngle::rightRepeater:
        return QStringLiteral("right_repeater");
    case CameraAngle::leftPillar:
        return QStringLiteral("left_pillar");
    case CameraAngle::rightPillar:
        return QStringLiteral("right_pillar");
    case CameraAngle::all:
        return QStringLiteral("all");
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
    case CameraAngle::front:
        return QCoreApplication::translate("CameraAngle", "前路");
    case CameraAngle::back:
        return QCoreApplication::translate("CameraAngle", "后路");
    case CameraAngle::leftRepeater:
        return QCoreApplication::translate("CameraAngle", "左盲区");
    case CameraAngle::rightRepeater:
        return QCoreApplication::translate("CameraAngle", "右盲区");
    case CameraAngle::leftPillar:
        return QCoreApplication::translate("CameraAngle", "左柱");
    case CameraAngle::rightPillar:
        return QCoreApplication::translate("CameraAngle", "右柱");
    case CameraAngle::all:
        return QCoreApplication::translate("CameraAngle", "四宫格");
    }
    return {};
}

static_assert(size_t(CameraAngle::all) == allCases.size() - 1, "enumerator values are allCases positions");

namespace {

const QLatin1String extension(".mp4");

// Built once: these are compared against every file name of a drive.
const QString& suffixOf(CameraAngle camera) {
    static const std::array<QString, allCases.size()> suffixes = [] {
        std::array<QString, allCases.size()> result;
        for (size_t i = 0; i < allCases.size(); ++i)
            if (allCases[i] != CameraAngle::all)
                result[i] = QLatin1Char('-') + rawValue(allCases[i]) + extension;
        return result;
    }();
    return suffixes[size_t(camera)];
}

// "-<word>" followed by the extension in any case.
bool endsWithSuffix(QStringView name, QStringView suffix) {
    const qsizetype stem = suffix.size() - extension.size();
    return name.size() >= suffix.size() &&
           name.sliced(name.size() - suffix.size(), stem) == suffix.first(stem) &&
           name.last(extension.size()).compare(extension, Qt::CaseInsensitive) == 0;
}

} // namespace

QString fileNameSuffix(CameraAngle camera) {
    return suffixOf(camera);
}

std::optional<CameraSuffix> matchSuffix(QStringView fileName) {
    static const QString rearView = QStringLiteral("-rear_view") + extension;
    for (CameraAngle c : physicalCases)
        if (endsWithSuffix(fileName, suffixOf(c)))
            return CameraSuffix{c, suffixOf(c).size()};
    if (endsWithSuffix(fileName, rearView))
        return CameraSuffix{CameraAngle::back, rearView.size()};
    return std::nullopt;
}

bool matches(CameraAngle camera, const QString& fileName) {
    if (camera == CameraAngle::all)
        return true;
    const auto suffix = matchSuffix(fileName);
    return suffix && suffix->camera == camera;
}

std::optional<CameraAngle> parse(QStringView fileName) {
    const auto suffix = matchSuffix(fileName);
    return suffix ? std::optional(suffix->camera) : std::nullopt;
}

} // namespace orvane::Camera
