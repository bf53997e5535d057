#pragma once
// What the export suites share: sample clips written once per suite, settings, and the output
// and temporary folders of each test, where leftovers can be counted.

#include "ExportSettings.h"
#include "SampleClips.h"
#include "TeslaVideoFile.h"
#include "TestSupport.h"

#include <QDir>
#include <QUuid>
#include <gtest/gtest.h>

namespace orvane::test {

inline constexpr Instant morning = 1714550400;                // 2024-05-01 08:00:00 UTC
inline constexpr Instant afternoon = morning + 3 * 3600 + 17; // another recording, hours later

inline const WatermarkSettings balanced{.exportQuality = ExportQuality::balanced};
inline const WatermarkSettings balancedWithoutTime{.showTime = false,
                                                   .exportQuality = ExportQuality::balanced};

// A sample-drive clip written as `folder`/`name`, as the library lists it.
inline TeslaVideoFile clip(const TempFolder& folder, const QString& name, CameraAngle camera, Instant start,
                           double seconds = 2, int width = 320, int height = 240) {
    TeslaVideoFile v;
    v.id = QUuid::createUuid();
    v.url = writeClip({.path = folder / name,
                       .camera = camera,
                       .width = width,
                       .height = height,
                       .seconds = seconds,
                       .startTime = start});
    v.fileName = name;
    v.startTime = start;
    v.cameraAngle = camera;
    return v;
}

// Every entry of a folder, hidden ones included.
inline QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System);
}

// The export suites: a 2-second front clip recorded in the morning and a back clip of the
// afternoon, both 320 × 240, written once; each test's own folder, with a temporary folder in
// it that QDir::tempPath() points at.
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
