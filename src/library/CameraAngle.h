#pragma once

#include <QString>

#include <array>
#include <optional>

namespace orvane {

// The car's cameras, in the order the whole application walks them, plus `all` for the grid.
// The enumerators' values are their positions in Camera::allCases.
enum class CameraAngle { front, back, leftRepeater, rightRepeater, leftPillar, rightPillar, all };

namespace Camera {

inline constexpr std::array<CameraAngle, 7> allCases = {
    CameraAngle::front,      CameraAngle::back,        CameraAngle::leftRepeater, CameraAngle::rightRepeater,
    CameraAngle::leftPillar, CameraAngle::rightPillar, CameraAngle::all};

// The six real cameras (allCases without `all`).
inline constexpr std::array<CameraAngle, 6> physicalCases = {CameraAngle::front,        CameraAngle::back,
                                                             CameraAngle::leftRepeater, CameraAngle::rightRepeater,
                                                             CameraAngle::leftPillar,   CameraAngle::rightPillar};

// The four cameras of the grid in reading order: front top-left, back top-right, left
// repeater bottom-left, right repeater bottom-right. The pillars are not shown in the grid.
inline constexpr std::array<CameraAngle, 4> gridOrder = {CameraAngle::front, CameraAngle::back,
                                                         CameraAngle::leftRepeater, CameraAngle::rightRepeater};
// The camera's cell in gridOrder (row-major, two columns); none for cameras outside the grid.
std::optional<int> gridCell(CameraAngle camera);

QString rawValue(CameraAngle camera);
std::optional<CameraAngle> fromRawValue(const QString& raw);
QString displayName(CameraAngle camera);
// "-<raw>.mp4"; empty for `all`.
QString fileNameSuffix(CameraAngle camera);
// `all` matches everything; a camera matches names ending in its suffix (case-sensitive).
bool matches(CameraAngle camera, const QString& fileName);
// The first camera (allCases order) whose suffix ends the name.
std::optional<CameraAngle> parse(QStringView fileName);

} // namespace Camera
} // namespace orvane
