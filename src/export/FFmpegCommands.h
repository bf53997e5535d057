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

// The composed grid: 2 × 2 cells of 1280 × 720 at the cameras' own frame rate.
inline constexpr int cellWidth = 1280;
inline constexpr int cellHeight = 720;
inline constexpr int gridFrameRate = media::cameraFrameRate;

// The six-camera grid: 3 × 2 cells of the cars' camera shape (1448 × 938), composed at the
// size the export is written at, so the encoder that burns the time in never scales.
inline constexpr int sixGridCameraWidth = 1448;
inline constexpr int sixGridCameraHeight = 938;

// Seconds with three decimals ("%.3f").
QString seconds(double value);

QString gridFilterGraph(const QString& duration);
// One grid piece; a camera without an input gets a black filler of the piece's length.
QStringList gridPieceArguments(const std::map<CameraAngle, QString>& inputs, double trimStart,
                               double trimDuration, const QString& output);

// The six-camera grid's size for a quality: the four-camera grid's width (original) or the
// balanced width, split into three even cells.
PixelSize sixGridCanvas(ExportQuality quality);
// Each camera fitted into its cell without cropping (black bars where the shapes differ).
QString sixGridFilterGraph(const QString& duration, PixelSize canvas);
// Frames of a six-camera minute of `duration` seconds at the grid's frame rate (at least one).
int sixGridFrames(double duration);
// One six-camera minute at `canvas` as exactly sixGridFrames(trimDuration) raw 4:2:0 pictures
// into `output` (a pipe the burn-in reads), padded with black where a camera ends early.
QStringList sixGridFrameArguments(const std::map<CameraAngle, QString>& inputs, double trimStart,
                                  double trimDuration, PixelSize canvas, const QString& output);
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
