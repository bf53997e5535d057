#pragma once
// What the export suites share: sample clips written once per suite, settings, and the output
// and temporary folders of each test, where leftovers can be counted.

#include "ExportSettings.h"
#include "GPUVideoExporter.h"
#include "SampleClips.h"
#include "TeslaVideoFile.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QUuid>
#include <gtest/gtest.h>

namespace orvane::test {

inline constexpr Instant morning = 1714550400;                // 2024-05-01 08:00:00 UTC
inline constexpr Instant afternoon = morning + 3 * 3600 + 17; // another recording, hours later

inline const WatermarkSettings balanced{.exportQuality = ExportQuality::balanced};
inline const WatermarkSettings balancedWithoutTime{.showTime = false,
                                                   .exportQuality = ExportQuality::balanced};

// A sample-drive clip written from its settings, as the library lists it.
inline TeslaVideoFile clip(const sample::ClipSpec& spec) {
    TeslaVideoFile v;
    v.id = QUuid::createUuid();
    v.url = test::writeClip(spec);
    v.fileName = QFileInfo(spec.path).fileName();
    v.startTime = spec.startTime;
    v.cameraAngle = spec.camera;
    return v;
}

inline TeslaVideoFile clip(const TempFolder& folder, const QString& name, CameraAngle camera, Instant start,
                           double seconds = 2, int width = 320, int height = 240) {
    return clip({.path = folder / name,
                 .camera = camera,
                 .width = width,
                 .height = height,
                 .seconds = seconds,
                 .startTime = start});
}

// Every frame of a video as ffmpeg decodes it to raw pictures: by default their luma planes.
inline std::vector<QByteArray> rawFrames(const QString& path, int width, int height,
                                         const char* pixelFormat = "gray", int bytesPerPixel = 1) {
    const auto out =
        runProgram("ffmpeg", {"-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", pixelFormat, "-"});
    std::vector<QByteArray> frames;
    const qsizetype size = qsizetype(width) * height * bytesPerPixel;
    for (qsizetype at = 0; out && at + size <= out->size(); at += size)
        frames.push_back(out->mid(at, size));
    return frames;
}

// The three ways of exporting: the first video alone, every video in turn, or all side by side.
enum class Way { single, continuous, grid };
inline const char* nameOf(Way way) {
    return way == Way::single ? "single" : way == Way::continuous ? "continuous" : "grid";
}

// Exports the first `length` seconds (0: all) of `videos` to `out` the given way.
inline ExportResult exportAs(Way way, const std::vector<TeslaVideoFile>& videos, const QString& out,
                             double length = 1, const WatermarkSettings& settings = balancedWithoutTime) {
    if (way == Way::single)
        return GPUVideoExporter::exportSync(videos.at(0), videos.at(0).url, out, settings, 0, length, {});
    if (way == Way::grid)
        return GPUVideoExporter::exportGrid({{videos, 0, length}}, out, settings, {});
    std::vector<ContinuousExportSegment> pieces;
    for (const TeslaVideoFile& video : videos)
        pieces.push_back({video, 0, length});
    return GPUVideoExporter::exportContinuous(pieces, out, settings, {});
}

// 2-second 320 × 240 front (morning) and back (afternoon) clips; each test's folder with its TMPDIR.
class ExportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        clips.emplace();
        front = clip(*clips, "2024-05-01_08-00-00-front.mp4", CameraAngle::front, morning);
        back = clip(*clips, "2024-05-01_11-00-17-back.mp4", CameraAngle::back, afternoon);
    }
    static void TearDownTestSuite() { clips.reset(); }

    static inline std::optional<TempFolder> clips;
    static inline TeslaVideoFile front, back;
    TempFolder folder;
    const QString temp = folder.makeFolder("tmp");
    ScopedEnvironment scopedTemp{"TMPDIR", QFile::encodeName(temp)};
};

} // namespace orvane::test
