#pragma once

#include "CameraAngle.h"
#include "ExportSettings.h"
#include "MediaProbe.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

namespace orvane::FFmpegCommands {

// The four-camera grid at full size: 2 × 2 cells of 1280 × 720 at the cameras' own frame rate.
inline constexpr int cellWidth = 1280;
inline constexpr int cellHeight = 720;
inline constexpr int gridFrameRate = media::cameraFrameRate;

// The six-camera grid: 3 × 2 cells of the cars' camera shape (1448 × 938).
inline constexpr int sixGridCameraWidth = 1448;
inline constexpr int sixGridCameraHeight = 938;

// Seconds with three decimals ("%.3f").
QString seconds(double value);

// A grid's picture at the size the export is written at, so the encoder that burns the time in
// never scales: the four-camera grid's full size (original) or its balanced size; the six-camera
// grid at the four-camera grid's width (original) or the balanced width, split into three even
// cells.
PixelSize gridCanvas(Camera::GridLayout layout, ExportQuality quality);
// The layout's cameras in their cells of `canvas`, in Camera::gridCameras order: four cameras
// cover their 16:9 cells (centre-cropped), six are fitted whole (black bars where the shapes
// differ). Each input is padded with black for `duration` and re-timed from zero: a camera that
// ends early shows no picture older than the time burned in beside it. A timelapse (`speed` above
// 1) lays out only every speed-th grid frame, the first included.
QString gridFilterGraph(Camera::GridLayout layout, const QString& duration, PixelSize canvas, int speed = 1);
// Frames of a grid minute of `duration` seconds at the grid's frame rate (at least one); of a
// timelapse taking one grid frame in `speed`, those taken (the first and every speed-th after).
int gridFrames(double duration, int speed = 1);
// One grid minute at `canvas` as exactly gridFrames(trimDuration, speed) raw 4:2:0 pictures into
// `output` (a pipe the burn-in reads); a camera without an input is a black cell, and so is one
// after its pictures end.
QStringList gridFrameArguments(Camera::GridLayout layout, const std::map<CameraAngle, QString>& inputs,
                               double trimStart, double trimDuration, PixelSize canvas, const QString& output,
                               int speed = 1);
// Joins the pieces listed in a concat file, copying or re-encoding the video.
QStringList concatArguments(const QString& listPath, const QString& output, bool reencode);
QStringList trimCopyArguments(const QString& input, const QString& output, double trimStart,
                              double trimDuration);
QStringList trimReencodeArguments(const QString& input, const QString& output, double trimStart,
                                  double trimDuration);

// The concat demuxer's list: one "file '<path>'" line per piece, quotes escaped as '\''.
QString concatList(const QStringList& paths);

// "HH:MM:SS.micro" from ffmpeg's progress output, in seconds.
std::optional<double> parseTime(const QString& text);

// Turns ffmpeg's "-progress" output, fed in arbitrary chunks, into fractions capped at 0.99
// until "progress=end" (1.0).
class ProgressParser {
public:
    explicit ProgressParser(double expectedDuration) : expected_(expectedDuration) {}
    std::vector<double> feed(const QByteArray& chunk);

private:
    double expected_;
    QByteArray pending_;
};

} // namespace orvane::FFmpegCommands
