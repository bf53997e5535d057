#include "ExportTestSupport.h"

#include "SampleDrive.h"

#include <QUuid>

namespace orvane::test {

TeslaVideoFile clip(const TempFolder& folder, const QString& name, CameraAngle camera, Instant start, double seconds,
                    int width, int height) {
    sample::ClipSpec spec;
    spec.path = folder / name;
    spec.camera = camera;
    spec.width = width;
    spec.height = height;
    spec.seconds = seconds;
    spec.startTime = start;
    sample::writeClip(spec);
    TeslaVideoFile v;
    v.id = QUuid::createUuid();
    v.url = spec.path;
    v.fileName = name;
    v.startTime = start;
    v.cameraAngle = camera;
    return v;
}

WatermarkSettings settings(ExportQuality quality, bool showTime) {
    WatermarkSettings s;
    s.exportQuality = quality;
    s.showTime = showTime;
    return s;
}

} // namespace orvane::test
