// From the selection to the export plan, the names and the places of the output, and the
// export task's phases, as tables; the task itself with a scripted engine.

#include "ExportOrchestration.h"

#include "ExportJobRunner.h"
#include "TestSupport.h"
#include "VideoSegmentPlaylist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
        event.id = QUuid::createUuid();
        event.category = ClipCategory::saved;
        event.startTime = tenTwenty;
        event.endTime = tenTwenty + 60;
        event.videoCount = 2;
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
    // The photo library's staging copy carries the same name, so the library's copy does too.
    EXPECT_EQ(ExportOrchestration::outputPath(plan, OutputDestination::photosLibrary(),
                                              ExportOrchestration::exportingFileName(s), "/stage"),
              "/stage/2024-05-01_10-21-00-back_watermarked.mp4");
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
    EXPECT_FALSE(plan.isContinuous);
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
    EXPECT_EQ(ExportOrchestration::outputPath(ExportOrchestration::buildExportPlan(s),
                                              OutputDestination::inFolder("/out"),
                                              ExportOrchestration::exportingFileName(s), "/stage"),
              "/out/SavedClips_2024-05-01_10-21-00_2024-05-01_10-21-59_grid_watermarked.mp4");
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
    EXPECT_EQ(ExportOrchestration::emptyPlanMessage(nothing), "请先选择要导出的视频");
    EXPECT_EQ(ExportOrchestration::exportingFileName(nothing), "视频");
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
    // A grid minute with only pillar cameras has nothing for the grid.
    ExportSelection pillars;
    pillars.cameraFilter = CameraAngle::all;
    pillars.videos = {file("k", CameraAngle::leftPillar, tenTwenty)};
    pillars.selectedTimestampKey = QStringLiteral("k");
    EXPECT_TRUE(ExportOrchestration::buildExportPlan(pillars).isEmpty());
}

TEST(ExportJobRunner, phaseTextsFollowTheExportersWeights) {
    struct Case {
        double p;
        bool slow;
        QString grid, continuous;
    };
    const QString encoding = "正在添加水印并编码（原画）...";
    const std::vector<Case> cases = {
        {0.0, false, "正在合成四宫格...", "正在合并视频片段..."},
        {0.39, true, "正在合成四宫格...", "正在合并视频片段（外置 U 盘较慢）..."},
        {0.4, true, "正在合成四宫格...", encoding},
        {0.69, false, "正在合成四宫格...", encoding},
        {0.7, true, encoding, encoding},
        {1.0, false, encoding, encoding},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExportJobRunner::gridProgressMessage(c.p, ExportQuality::original), c.grid) << c.p;
        EXPECT_EQ(ExportJobRunner::continuousProgressMessage(c.p, c.slow, ExportQuality::original),
                  c.continuous)
            << c.p;
    }
    EXPECT_EQ(ExportJobRunner::encodingMessage(ExportQuality::balanced), "正在添加水印并编码（高清）...");
    EXPECT_EQ(ExportJobRunner::gridMessage(true), "正在合成四宫格（外置 U 盘较慢）...");
}

namespace {

// An engine whose exporters write a small file and report progress; sources count as slow
// when their path says so.
struct ScriptedEngine {
    std::vector<ExportUpdate> updates;
    QString copied;
    std::optional<std::exception_ptr> failure;
    bool cancelBeforeFailing = false; // the user cancels while the exporter fails

    ExportEngine make() {
        ExportEngine e;
        auto write = [this](const QString& out, const ExportCallbacks& c) {
            for (double p : {0.2, 0.5, 0.8})
                c.onProgress(p);
            if (failure) {
                if (cancelBeforeFailing)
                    c.cancel.cancel();
                std::rethrow_exception(*failure);
            }
            c.cancel.check();
            QFile f(out);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("video");
            c.onProgress(1.0);
            ExportResult r;
            r.path = out;
            r.timeline = ExportTimeline::continuous(tenTwenty + 3);
            return r;
        };
        auto exporter = [write](const auto&, const QString& out, const auto&, const ExportCallbacks& c) {
            return write(out, c);
        };
        e.exportGrid = exporter;
        e.exportContinuous = exporter;
        e.exportSync = [write](const auto&, const QString&, const QString& out, const auto&, double, double,
                               const ExportCallbacks& c) { return write(out, c); };
        e.localInput = [this](const TeslaVideoFile& v, bool, const CancellationToken&) {
            copied = QDir::temp().filePath("tesla-export-test.mp4");
            QFile(copied).open(QIODevice::WriteOnly);
            return PreparedInput{v.url, copied};
        };
        e.isSlowSource = [](const QString& path) { return path.contains("usb"); };
        e.importVideoToLibrary = [](const QString& path) { return path + ".delivered"; };
        return e;
    }
    ExportJobRunner::Reporter reporter() {
        return [this](const ExportUpdate& u) { updates.push_back(u); };
    }
    QStringList messages() const {
        QStringList m;
        for (const auto& u : updates)
            if (u.message && (m.isEmpty() || m.last() != *u.message))
                m << *u.message;
        return m;
    }
};

} // namespace

TEST(ExportJobRunner, gridFromAUsbDriveToAFolder) {
    test::TempFolder t;
    ScriptedEngine engine;
    ExportJobRequest r;
    r.plan.gridSegments = {{{file("k", CameraAngle::front, tenTwenty)}, 0, 60}};
    r.plan.gridSegments[0].videos[0].url = "/media/usb/k-front.mp4";
    r.outputPath = t / "grid.mp4";
    r.destination = OutputDestination::inFolder(t.path());
    const auto outcome = ExportJobRunner::run(r, engine.make(), {}, engine.reporter());
    EXPECT_EQ(outcome.status.kind, ProcessingStatus::Kind::completed);
    EXPECT_EQ(outcome.deliveredPath, r.outputPath);
    EXPECT_EQ(*outcome.startDate, tenTwenty + 3); // what the exporter burned, not what was asked
    EXPECT_EQ(engine.messages(), QStringList({"正在合成四宫格（外置 U 盘较慢）...", "正在合成四宫格...",
                                              "正在添加水印并编码（原画）..."}));
    EXPECT_TRUE(*engine.updates[1].indeterminate); // slow: a spinner until progress arrives
    EXPECT_EQ(*engine.updates.back().progress, 1.0);
}

TEST(ExportJobRunner, singleFileToThePhotoLibraryLeavesNoTemporaryFile) {
    test::TempFolder t;
    ScriptedEngine engine;
    ExportJobRequest r;
    r.plan.segments = {{file("k", CameraAngle::front, tenTwenty), 0, 0}};
    r.outputPath = t / "stage/k-front_watermarked.mp4";
    r.destination = OutputDestination::photosLibrary();
    const auto outcome = ExportJobRunner::run(r, engine.make(), {}, engine.reporter());
    EXPECT_EQ(outcome.status.kind, ProcessingStatus::Kind::completed);
    EXPECT_EQ(outcome.deliveredPath, r.outputPath + ".delivered");
    EXPECT_EQ(engine.messages(), QStringList({"正在添加水印并编码（原画）...", "正在保存到相册..."}));
    EXPECT_FALSE(QFileInfo::exists(r.outputPath));
    EXPECT_FALSE(QFileInfo::exists(t / "stage"));
    EXPECT_FALSE(QFileInfo::exists(engine.copied));
}

TEST(ExportJobRunner, failuresAndCancellation) {
    test::TempFolder t;
    ExportJobRequest r;
    r.plan.segments = {{file("k", CameraAngle::front, tenTwenty), 0, 0},
                       {file("l", CameraAngle::front, tenTwenty), 0, 0}};
    r.plan.isContinuous = true;
    r.outputPath = t / "out.mp4";
    r.destination = OutputDestination::inFolder(t.path());

    ScriptedEngine refused;
    refused.failure = std::make_exception_ptr(
        PhotosLibraryExporterError::accessDenied(PhotosLibraryExporterError::Status::denied));
    auto outcome = ExportJobRunner::run(r, refused.make(), {}, refused.reporter());
    EXPECT_EQ(outcome.status.kind, ProcessingStatus::Kind::failed);
    EXPECT_EQ(
        outcome.status.message,
        PhotosLibraryExporterError::accessDenied(PhotosLibraryExporterError::Status::denied).description());
    EXPECT_TRUE(outcome.showPhotosPrivacySettings);

    ScriptedEngine failing;
    failing.failure = std::make_exception_ptr(PhotosLibraryExporterError::importFailed("磁盘已满"));
    outcome = ExportJobRunner::run(r, failing.make(), {}, failing.reporter());
    EXPECT_EQ(outcome.status.message, "保存到相册失败: 磁盘已满");
    EXPECT_FALSE(outcome.showPhotosPrivacySettings);
    EXPECT_EQ(failing.updates.back().status, outcome.status);

    // An error while cancelled is a cancellation, never a failure.
    ScriptedEngine cancelled;
    cancelled.failure = std::make_exception_ptr(GPUVideoExporterError::readerSetupFailed());
    cancelled.cancelBeforeFailing = true;
    outcome = ExportJobRunner::run(r, cancelled.make(), {}, cancelled.reporter());
    EXPECT_EQ(outcome.status.kind, ProcessingStatus::Kind::cancelled);
    EXPECT_FALSE(QFileInfo::exists(r.outputPath));
}
