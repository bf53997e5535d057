#pragma once

#include <QString>
#include <array>
#include <optional>
#include <span>

namespace orvane {

// The car's cameras, in the order the whole application walks them, plus `all` for the grid.
// The enumerators' values are their positions in Camera::allCases.
enum class CameraAngle { front, back, leftRepeater, rightRepeater, leftPillar, rightPillar, all };

namespace Camera {

inline constexpr std::array<CameraAngle, 7> allCases = {
    CameraAngle::front,      CameraAngle::back,        CameraAngle::leftRepeater, CameraAngle::rightRepeater,
    CameraAngle::leftPillar, CameraAngle::rightPillar, CameraAngle::all};

// The six real cameras (allCases without `all`).
inline constexpr std::array<CameraAngle, 6> physicalCases = {
    CameraAngle::front,         CameraAngle::back,       CameraAngle::leftRepeater,
    CameraAngle::rightRepeater, CameraAngle::leftPillar, CameraAngle::rightPillar};

// The grid of an event: four cells for cars without pillar cameras, six for those with them.
enum class GridLayout { four, six };

// The four-camera grid in reading order: front top-left, back top-right, left repeater
// bottom-left, right repeater bottom-right (two columns).
inline constexpr std::array<CameraAngle, 4> gridOrder = {
    CameraAngle::front, CameraAngle::back, CameraAngle::leftRepeater, CameraAngle::rightRepeater};
// The six-camera grid in reading order, three columns: left pillar, front, right pillar on top;
// left repeater, back, right repeater below (as the cameras sit on the car).
inline constexpr std::array<CameraAngle, 6> sixGridOrder = {
    CameraAngle::leftPillar,   CameraAngle::front, CameraAngle::rightPillar,
    CameraAngle::leftRepeater, CameraAngle::back,  CameraAngle::rightRepeater};
std::span<const CameraAngle> gridCameras(GridLayout layout);
int gridColumns(GridLayout layout);
// The camera's cell in the layout's order (row-major); none for cameras outside the grid.
std::optional<int> gridCell(CameraAngle camera, GridLayout layout = GridLayout::four);
// Six cells when any of the cameras is a pillar, else four.
GridLayout gridLayoutFor(std::span<const CameraAngle> cameras);
// The grid tab's title: "四宫格" or "六宫格".
QString gridTitle(GridLayout layout);

QString rawValue(CameraAngle camera);
std::optional<CameraAngle> fromRawValue(const QString& raw);
QString displayName(CameraAngle camera);
// "-<raw>.mp4"; empty for `all`.
QString fileNameSuffix(CameraAngle camera);
// The camera whose suffix ends a file name, and the suffix's length. A camera's word is matched
// as the car writes it; the extension in any case (a drive copied through another system says
// ".MP4"); the back camera's 2019 name "-rear_view.mp4" counts as "-back.mp4".
struct CameraSuffix {
    CameraAngle camera;
    qsizetype length;
};
std::optional<CameraSuffix> matchSuffix(QStringView fileName);
// `all` matches everything; a camera matches names ending in one of its suffixes.
bool matches(CameraAngle camera, const QString& fileName);
// The first camera (allCases order) whose suffix ends the name.
std::optional<CameraAngle> parse(QStringView fileName);

} // namespace Camera
} // namespace orvane
