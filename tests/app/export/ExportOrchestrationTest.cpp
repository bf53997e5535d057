// From the selection to the export plan: which files, cut where, named how and put where; and
// the export task's failures with a scripted engine.

#include "ExportOrchestration.h"

#include "ExportJobRunner.h"
#include "TestSupport.h"
#include "VideoSegmentPlaylist.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

constexpr Instant tenTwenty = 1714530000; // 2024-05-01 10:20:00 +08

TeslaVideoFile file(const QString& key, CameraAngle camera, Instant start) {
    TeslaVideoFile v;
    v.id = QUuid::createUuid();
    v.fileName = key + Camera::fileNameSuffix(camera);
    v.url = QStringLiteral("/drive/SavedClips/e/") + v.fileName;
    v.startTime = start;
    v.cameraAngle = camera;
    return v;
}

// Two minutes of a saved event with front, back and left repeater files.
struct Event {
    std::vector<TeslaVideoFile> videos;
    TeslaClipEvent event;
    Event() {
        for (int m = 0; m < 2; ++m)
            for (CameraAngle c : {CameraAngle::front, CameraAngle::back, CameraAngle::leftRepeater})
                videos.push_back(file(QStringLiteral("2024-05-01_10-2%1-00").arg(m), c, tenTwenty + 60 * m));
        event.category = ClipCategory::saved;
        event.startTime = tenTwenty;
        event.endTime = tenTwenty + 60;
    }
    // The selection the view model holds with minute `m` open on `camera`.
    ExportSelection open(int m, CameraAngle camera) const {
        ExportSelection s;
        s.cameraFilter = camera;
        s.videos = videos;
        s.selectedEvent = event;
        s.selectedTimestampKey = QStringLiteral("2024-05-01_10-2%1-00").arg(m);
        const CameraAngle shown = camera == CameraAngle::all ? CameraAngle::front : camera;
        for (const TeslaVideoFile& v : videos)
            if (v.startTime == tenTwenty + 60 * m && v.cameraAngle == shown)
                s.selectedVideo = v;
        return s;
    }
};

VideoMergeItem item(const std::vector<TeslaVideoFile>& files, double start, double end, Instant eventStart) {
    VideoMergeItem i;
    i.id = QUuid::createUuid();
    i.event.startTime = eventStart;
    i.videos = files;
    i.playlistSteps = VideoSegmentPlaylist::singleCamera(files).steps;
    i.stepDurations.assign(files.size(), 60.0);
    i.rangeStart = start;
    i.rangeEnd = end;
    return i;
}

std::string trims(const std::vector<ContinuousExportSegment>& segments) {
    QStringList parts;
    for (const auto& s : segments)
        parts << QStringLiteral("%1@%2+%3").arg(s.video.fileName).arg(s.trimStart).arg(s.trimDuration);
    return parts.join(' ').toStdString();
}

} // namespace

TEST(ExportOrchestration, singleFileWholeOrRange) {
    test::ScopedTimeZone zone("Asia/Shanghai");
    const Event e;
    ExportSelection s = e.open(1, CameraAngle::back);
    ExportPlan plan = ExportOrchestration::buildExportPlan(s);
    EXPECT_EQ(trims(plan.segments), "2024-05-01_10-21-00-back.mp4@0+0");
    EXPECT_FALSE(plan.isContinuous);
    EXPECT_EQ(ExportOrchestration::outputPath(plan, OutputDestination::inFolder("/out"),
                                              ExportOrchestration::exportingFileName(s), "/stage"),
              "/out/2024-05-01_10-21-00-back_watermarked.mp4");
    s.rangeStart = 12.5;
    s.rangeEnd = 20;
    plan = ExportOrchestration::buildExportPlan(s);
    EXPECT_EQ(trims(plan.segments), "2024-05-01_10-21-00-back.mp4@12.5+7.5");
    EXPECT_DOUBLE_EQ(*plan.exportStartDate(), tenTwenty + 60 + 12.5);
    // An end before the start is no range: the whole file.
    s.rangeEnd = 5;
    EXPECT_EQ(trims(ExportOrchestration::buildExportPlan(s).segments), "2024-05-01_10-21-00-back.mp4@0+0");
}

TEST(ExportOrchestration, gridMinuteUsesThePreviewLengthOrAWholeMinute) {
    test::ScopedTimeZone zone("Asia/Shanghai");
    const Event e;
    ExportSelection s = e.open(0, CameraAngle::all);
    auto plan = ExportOrchestration::buildExportPlan(s);
    ASSERT_EQ(plan.gridSegments.size(), 1u);
    EXPECT_EQ(plan.gridSegments[0].videos.size(), 3u);
    EXPECT_EQ(plan.gridSegments[0].videos[0].fileName, "2024-05-01_10-20-00-front.mp4");
    EXPECT_EQ(plan.gridSegments[0].trimDuration, 60);
    s.multiCameraDuration = 59.5;
    s.rangeStart = 10;
    s.rangeEnd = 80; // past the minute: cut at its end
    plan = ExportOrchestration::buildExportPlan(s);
    ASSERT_EQ(plan.gridSegments.size(), 1u);
    EXPECT_EQ(plan.gridSegments[0].trimStart, 10);
    EXPECT_EQ(plan.gridSegments[0].trimDuration, 49.5);
    // Named after the minute on screen, not the whole event.
    EXPECT_EQ(ExportOrchestration::exportingFileName(s),
              "SavedClips_2024-05-01_10-20-10_2024-05-01_10-21-20_grid_watermarked.mp4");
    s = e.open(1, CameraAngle::all);
    s.multiCameraDuration = 59.5;
    EXPECT_EQ(ExportOrchestration::exportingFileName(s),
              "SavedClips_2024-05-01_10-21-00_2024-05-01_10-21-59_grid_watermarked.mp4");
}

TEST(ExportOrchestration, continuousPlaylistExportsTheChosenCameraOfEachMinute) {
    const Event e;
    ExportSelection s = e.open(0, CameraAngle::back);
    s.continuousPlaylistSteps = VideoSegmentPlaylist::multiCamera(e.videos).steps;
    s.continuousStepDurations = {60, 60};
    s.rangeStart = 50;
    s.rangeEnd = 70;
    const auto plan = ExportOrchestration::buildExportPlan(s);
    EXPECT_TRUE(plan.isContinuous);
    EXPECT_EQ(trims(plan.segments), "2024-05-01_10-20-00-back.mp4@50+10 2024-05-01_10-21-00-back.mp4@0+10");
    // With the grid chosen the export's camera is the selected file's.
    s.cameraFilter = CameraAngle::all;
    EXPECT_EQ(ExportOrchestration::exportVideos(s).size(), 2u);
    EXPECT_TRUE(ExportOrchestration::buildExportPlan(s).isContinuous);
}

TEST(ExportOrchestration, mergeTakesEachMinuteOnceFromTheFirstItem) {
    const Event e;
    std::vector<TeslaVideoFile> fronts;
    for (const auto& v : e.videos)
        if (v.cameraAngle == CameraAngle::front)
            fronts.push_back(v);
    ExportSelection s;
    s.isMergeEditorPresented = true;
    s.mergeCameraAngle = CameraAngle::front;
    s.mergeItems = {item(fronts, 30, 90, tenTwenty), item({fronts[1]}, 5, 20, tenTwenty)};
    const auto plan = ExportOrchestration::buildExportPlan(s);
    EXPECT_TRUE(plan.isContinuous);
    EXPECT_EQ(trims(plan.segments), "2024-05-01_10-20-00-front.mp4@30+30 2024-05-01_10-21-00-front.mp4@0+30");
    test::ScopedTimeZone zone("Asia/Shanghai");
    EXPECT_EQ(ExportOrchestration::exportingFileName(s), "2024-05-01_10-20-00-merged-front.mp4");
}

TEST(ExportOrchestration, emptyPlansAndTheirMessages) {
    ExportSelection nothing;
    EXPECT_TRUE(ExportOrchestration::buildExportPlan(nothing).isEmpty());
    const Event e;
    ExportSelection s = e.open(0, CameraAngle::rightPillar); // no such camera
    s.selectedVideo.reset();
    s.continuousPlaylistSteps = VideoSegmentPlaylist::multiCamera(e.videos).steps;
    s.continuousStepDurations = {60, 60};
    EXPECT_TRUE(ExportOrchestration::buildExportPlan(s).isEmpty());
    EXPECT_EQ(ExportOrchestration::emptyPlanMessage(s), "当前回放没有可导出的视频");
    s.rangeStart = 1;
    s.rangeEnd = 2;
    EXPECT_EQ(ExportOrchestration::emptyPlanMessage(s), "选区无效，请重新设置起点和终点");
    // A grid minute with only a pillar camera is a six-camera grid, not nothing.
    ExportSelection pillars;
    pillars.cameraFilter = CameraAngle::all;
    pillars.videos = {file("k", CameraAngle::leftPillar, tenTwenty)};
    pillars.selectedTimestampKey = QStringLiteral("k");
    EXPECT_FALSE(ExportOrchestration::buildExportPlan(pillars).isEmpty());
}
