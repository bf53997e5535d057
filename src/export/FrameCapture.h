#pragma once

#include "ExportSettings.h"
#include "ExportTimeline.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <functional>
#include <vector>

namespace orvane {

struct ExportedFrameCapture {
    QUuid id;
    QImage image;
    double time = 0; // seconds into the exported video
};

// Still frames of an exported video: exact-time extraction, names, PNG files.
namespace FrameCapture {

inline constexpr double guardInterval = 1.0 / 30.0;

// A decoded frame at a time within a tolerance (both sides), with the frame's own time.
struct Frame {
    QImage image;
    double actualTime = 0;
};
using FrameSource = std::function<Frame(double time, double tolerance)>;

// The time to ask for: the player's, else the page's, kept 1/30 s before the end.
double captureTime(double playerTime, double pageTime, double duration);

// The exact frame, else one within 1/30 s; the second failure propagates.
ExportedFrameCapture capture(const FrameSource& source, double time);
// A source reading the exported file with the media layer (throws UserFacingError).
FrameSource fileSource(const QString& videoPath);

// "TeslaCam-<recording time>.png" from the export's timeline, so every capture of a splice is
// named after its own recording time; "TeslaCam-01-15.png" style without one.
QString imageFileName(double captureTime, const ExportTimeline& timeline);

QByteArray pngData(const QImage& image); // throws FileSystemError

// Saves one image to `path` in the format its extension names: the format is checked first,
// an output that is one of `sources` or not a regular file is refused, and the file is written
// beside the target and moved over it only when complete, so an earlier file of that name
// survives any failure. Throws FileSystemError.
void saveImage(const QImage& image, const QString& path, const QStringList& sources);

// Saves every capture in order to the folder (free names) or the photo library; returns the
// message for the page. The first failure stops and is thrown; files already saved stay.
QString saveAll(const std::vector<ExportedFrameCapture>& captures, const OutputDestination& destination,
                const ExportTimeline& timeline);

} // namespace FrameCapture
} // namespace orvane
