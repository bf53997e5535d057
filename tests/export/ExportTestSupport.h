#pragma once

// Sample clips and settings shared by the export tests.

#include "ExportSettings.h"
#include "TeslaVideoFile.h"
#include "TestSupport.h"

#include <QByteArray>
#include <QString>

namespace orvane::test {

inline constexpr Instant morning = 1714550400; // 2024-05-01 08:00:00 UTC

// A sample-drive clip (frame pattern in every picture) written as `folder`/`name`.
TeslaVideoFile clip(const TempFolder& folder, const QString& name, CameraAngle camera, Instant start,
                    double seconds = 2, int width = 320, int height = 240);

WatermarkSettings settings(ExportQuality quality, bool showTime = true);

// Points QDir::tempPath() at a folder of the test's own, so leftovers can be counted.
class ScopedTemp {
public:
    explicit ScopedTemp(const QString& path) : previous_(qgetenv("TMPDIR")) { qputenv("TMPDIR", path.toUtf8()); }
    ~ScopedTemp() { qputenv("TMPDIR", previous_); }

private:
    QByteArray previous_;
};

} // namespace orvane::test
