// The preview's time watermark: which instant it shows, and that it prints exactly what the
// exporter burns into the same frame.

#include "PreviewWatermark.h"

#include "ExportTimeline.h"
#include "OverlayRenderer.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

constexpr int fps = 36;

PlaybackSegmentContext at(Instant fileStart, double localTime) {
    TeslaVideoFile video;
    video.startTime = fileStart;
    return {video, localTime, 60, 0};
}

} // namespace

TEST(PreviewWatermark, ShowsTheFileTimeElseTheEventStartElseNow) {
    TeslaClipEvent event;
    event.startTime = 5000;
    const Instant now = 9000;
    EXPECT_DOUBLE_EQ(PreviewWatermark::instant(at(1000, 12.5), &event, now), 1012.5);
    EXPECT_DOUBLE_EQ(PreviewWatermark::instant(at(1000, 12.5), nullptr, now), 1012.5);
    EXPECT_DOUBLE_EQ(PreviewWatermark::instant(std::nullopt, &event, now), 5000); // a gap in the playlist
    EXPECT_DOUBLE_EQ(PreviewWatermark::instant(std::nullopt, nullptr, now), 9000);
    const Instant before = PreviewWatermark::currentInstant();
    EXPECT_NEAR(PreviewWatermark::instant(std::nullopt, nullptr, PreviewWatermark::currentInstant()), before,
                5);
}

// Every frame of three seconds across each of Berlin's clock changes, at the start of the frame
// and inside it, in a whole-file export and one trimmed to start 1.25 s in.
TEST(PreviewWatermark, PrintsWhatTheExportBurnsInAcrossClockChanges) {
    test::ScopedTimeZone zone{"Europe/Berlin"};
    const Instant springStart = *LocalTime::fromFields(2024, 3, 31, 1, 59, 58);  // CET, 02:00 is skipped
    const Instant autumnStart = *LocalTime::fromFields(2024, 10, 27, 2, 59, 58); // CEST, 02:00–03:00 repeats
    constexpr double trim = 1.25;
    for (const Instant fileStart : {springStart, autumnStart}) {
        const ExportTimeline whole = ExportTimeline::continuous(fileStart);
        const ExportTimeline trimmed = whole.shifted(trim);
        for (int frame = 0; frame < 3 * fps; ++frame)
            for (double within : {0.0, 0.5}) {
                const double local = (frame + within) / fps;
                const QString preview = PreviewWatermark::text(at(fileStart, local), nullptr, 0);
                EXPECT_EQ(preview, OverlayRenderer::watermarkText(*whole.instantAt(local))) << local;
                if (local >= trim) {
                    EXPECT_EQ(preview, OverlayRenderer::watermarkText(*trimmed.instantAt(local - trim)))
                        << local;
                }
            }
    }
    const auto text = [](Instant start, double local) {
        return PreviewWatermark::text(at(start, local), nullptr, 0);
    };
    EXPECT_EQ(text(springStart, 1.99), QStringLiteral("2024-03-31 01:59:59"));
    EXPECT_EQ(text(springStart, 2.0), QStringLiteral("2024-03-31 03:00:00"));
    EXPECT_EQ(text(springStart, 2.5 / fps + 2), QStringLiteral("2024-03-31 03:00:00"));
    EXPECT_EQ(text(autumnStart, 1.99), QStringLiteral("2024-10-27 02:59:59"));
    EXPECT_EQ(text(autumnStart, 2.0), QStringLiteral("2024-10-27 02:00:00")); // back to CET
}
