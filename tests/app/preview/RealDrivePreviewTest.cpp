// The preview of today's cars and real drives: the six-camera grid and its tab, the camera that
// saw the event chosen first, the event's moment on the time line and the export around it, an
// encrypted event said plainly, and frame steps by a file's own frame times.

#include "EventListModel.h"
#include "MetadataParser.h"
#include "PreviewPageController.h"
#include "ViewModelHarness.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

// "<camera><note>" per grid cell, the note saying why its file cannot play.
QStringList cells(const PreviewPageController& page) {
    QStringList out;
    for (const QVariant& cell : page.gridCells())
        out << cell.toMap().value("camera").toString() + cell.toMap().value("note").toString();
    return out;
}

TEST(RealDrivePreviewTest, ASixCameraEventOpensOnItsCameraAndExportsAroundItsMoment) {
    test::ScopedTimeZone zone("Asia/Shanghai");
    test::Harness h([](sample::DriveSpec& d) {
        d.layout = sample::CarLayout::sixCamera;
        for (auto& e : d.events)
            e.triggerCamera = QStringLiteral("2");
    });
    ASSERT_TRUE(h.imported());
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    PreviewPageController page;
    page.setViewModel(h.vm.get());
    // Saved at 10:21:12, 42 s into its second minute (10:20:30), by the left repeater.
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved, 1)));
    EXPECT_EQ(preview.cameraFilter(), "left_repeater");
    EXPECT_EQ(page.detailSubtitle(), "鸣笛保存 · 31.23040°N, 121.47370°E · Shanghai · Century Avenue");
    EXPECT_EQ(page.cameraOptions().front().toMap().value("title"), "六宫格");

    h.preview.measures.clear();
    page.selectCamera("all");
    ASSERT_TRUE(test::waitUntil([&] { return !h.preview.measures.empty(); }));
    test::finishLoading(h.preview, 60);
    EXPECT_EQ(page.gridColumns(), 3);
    QStringList order;
    for (const QVariant& cell : page.gridCells())
        order << cell.toMap().value("camera").toString();
    EXPECT_EQ(order, QStringList({"left_pillar", "front", "right_pillar", "left_repeater", "back",
                                  "right_repeater"}));
    EXPECT_EQ(page.eventMomentTitle(), "事件时刻 10:21:12");
    // On the event's time line: after the first minute's 60 s, 42 s into the second.
    EXPECT_EQ(page.eventMarkerTime(), 102);

    const auto minutes = VideoTimestampGroup::groups(preview.videos()); // latest first
    page.segments()->activate(minutes.back().id);
    test::finishLoading(h.preview, 60);
    EXPECT_EQ(preview.selectedTimestampKey(), minutes.back().id);
    EXPECT_EQ(page.eventMarkerTime(), 102) << "the marker stays where the moment is";
    page.jumpToEventMoment();
    test::finishLoading(h.preview, 60);
    EXPECT_EQ(preview.selectedTimestampKey(), minutes.front().id);
    EXPECT_EQ(preview.multiCameraPreview()->currentTime(), 102);

    // 50 s before (into the first minute) to 10 s after.
    exporter.setAroundEventBefore(50);
    page.exportAroundEvent();
    ASSERT_TRUE(test::waitUntil([&] { return *h.exportCalls == 1 && !exporter.isProcessing(); }));
    EXPECT_TRUE(messages.statusMessage().endsWith(
        "SavedClips_2024-05-01_10-20-22_2024-05-01_10-21-22_grid_watermarked.mp4"))
        << messages.statusMessage().toStdString();
}

TEST(RealDrivePreviewTest, AnEncryptedEventSaysSoAndWhereItIsTurnedOff) {
    test::Harness h([](sample::DriveSpec& d) { sample::addEncryptedEvent(d); });
    ASSERT_TRUE(h.imported());
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    PreviewPageController page;
    page.setViewModel(h.vm.get());
    const TeslaClipEvent& encrypted = h.event(ClipCategory::saved, 0);
    EXPECT_TRUE(encrypted.isEncrypted);
    // Its card carries the lock and the reason in words; a plain event's card no lock.
    library.selectCategory(ClipCategory::saved);
    const EventListModel* cards = library.eventsInSelectedCategory();
    EXPECT_EQ(cards->data(cards->index(0), EventListModel::IsEncryptedRole), true);
    EXPECT_EQ(cards->data(cards->index(0), EventListModel::ReasonTextRole), "手动保存：点击行车记录仪图标");
    EXPECT_EQ(cards->data(cards->index(1), EventListModel::IsEncryptedRole), false);
    ASSERT_TRUE(h.opened_(encrypted));
    test::finishLoading(h.preview, 60);
    ASSERT_TRUE(test::waitUntil([&] { return !page.clipNotice().isEmpty(); }));
    EXPECT_TRUE(page.clipNotice().contains("控制 › 安全 › 加密行车记录仪录像"))
        << page.clipNotice().toStdString();
    const auto* groups = preview.videoGroups();
    EXPECT_EQ(groups->data(groups->index(groups->indexOf(*preview.selectedTimestampKey())),
                           VideoGroupListModel::NoteRole),
              "已加密");
    h.preview.measures.clear();
    page.selectCamera("all");
    ASSERT_TRUE(test::waitUntil([&] { return !h.preview.measures.empty(); }));
    test::finishLoading(h.preview, 60);
    const QStringList locked = {"front已加密", "back已加密", "left_repeater已加密", "right_repeater已加密"};
    EXPECT_TRUE(test::waitUntil([&] { return cells(page) == locked; }))
        << cells(page).join(' ').toStdString();
}

// A power cut leaves stubs (595 bytes, or none), and a car that started encrypting mid-event
// leaves encrypted minutes beside plain ones: such a minute is marked in the list and says why
// in the picture and in every grid cell (never a generic failure), while the event's other
// minute plays plainly.
TEST(RealDrivePreviewTest, StubAndEncryptedMinutesSayWhyAndTheRestPlays) {
    const struct {
        sample::Damage front, others;
        QString note, notice;
    } cases[] = {
        {sample::Damage::powerCutStub, sample::Damage::zeroBytes, "文件已损坏",
         media::ClipSource::stubMessage()},
        {sample::Damage::encrypted, sample::Damage::encrypted, "已加密",
         media::ClipSource::encryptedMessage()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.note.toStdString());
        test::ScopedTimeZone zone("Asia/Shanghai");
        test::Harness h([](sample::DriveSpec& d) { d.contentFree = false; });
        ASSERT_TRUE(h.imported());
        auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
        PreviewPageController page;
        page.setViewModel(h.vm.get());
        const TeslaClipEvent& event = h.event(ClipCategory::saved, 1); // 10:19:30 and 10:20:30
        for (const TeslaVideoFile& v : MetadataParser::loadVideos(event, CameraAngle::all))
            if (v.fileName.startsWith("2024-05-01_10-19-30"))
                sample::writeClip(
                    {.path = v.url, .damage = v.cameraAngle == CameraAngle::front ? c.front : c.others});
        ASSERT_TRUE(h.opened_(event));
        test::finishLoading(h.preview, 60);
        const auto* groups = preview.videoGroups();
        const auto note = [&](const char* key) {
            return groups->data(groups->index(groups->indexOf(key)), VideoGroupListModel::NoteRole)
                .toString();
        };
        ASSERT_TRUE(test::waitUntil([&] { return note("2024-05-01_10-19-30") == c.note; }));
        EXPECT_EQ(note("2024-05-01_10-20-30"), "");
        EXPECT_EQ(page.clipNotice(), "") << "the latest minute plays";

        page.segments()->activate("2024-05-01_10-19-30");
        test::finishLoading(h.preview, 60);
        EXPECT_EQ(page.clipNotice(), c.notice);
        h.preview.measures.clear();
        page.selectCamera("all");
        ASSERT_TRUE(test::waitUntil([&] { return !h.preview.measures.empty(); }));
        test::finishLoading(h.preview, 60);
        EXPECT_EQ(preview.selectedTimestampKey(), "2024-05-01_10-19-30");
        QStringList marked;
        for (const char* camera : {"front", "back", "left_repeater", "right_repeater"})
            marked << camera + c.note;
        EXPECT_TRUE(test::waitUntil([&] { return cells(page) == marked; }))
            << cells(page).join(' ').toStdString();
    }
}

// Frames of 0.1, 0.06, 0.14 and 0.1 s: a step goes to the middle of the next or previous frame,
// from inside a frame or its first instant, and stops at the ends.
TEST(RealDrivePreviewTest, FrameStepsFollowTheFilesOwnFrameTimes) {
    const std::vector<double> times = {0, 0.1, 0.16, 0.3, 0.4};
    const struct {
        double current;
        int count;
        double target;
    } cases[] = {{0.16, 1, 0.35}, {0.2, 1, 0.35},  {0.2, -1, 0.13},
                 {0.1, -1, 0.05}, {0.45, 1, 0.43}, {0.05, -3, 0.05}};
    for (const auto& c : cases)
        EXPECT_NEAR(PreviewPageController::frameStepTarget(c.current, c.count, times, 0.06, 0.46), c.target,
                    1e-9)
            << c.current << " " << c.count;
}

} // namespace
