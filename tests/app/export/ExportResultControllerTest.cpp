// The export result page without a window, over a real two-second clip: stills captured at the
// right time, named after their recording, saved beside the video or in the Pictures folder
// without ever replacing a file, and what the user is told when that fails.

#include "ExportResultController.h"

#include "MetadataParserError.h"
#include "SampleDrive.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

using namespace orvane;

namespace {

constexpr Instant startOfVideo = 1714568520; // 2024-05-01 13:02:00 UTC
constexpr double clipSeconds = 2;
constexpr int framesPerSecond = 30;

// A result page over a 2-second exported clip in its own folder.
class ExportResultControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        exports = root.makeFolder(QStringLiteral("exports"));
        sample::ClipSpec spec;
        spec.path = exports + QStringLiteral("/export.mp4");
        spec.width = 96;
        spec.height = 64;
        spec.framesPerSecond = framesPerSecond;
        spec.seconds = clipSeconds;
        spec.startTime = startOfVideo;
        sample::writeClip(spec);
        video = spec.path;
    }

    void open(ExportResultController& page) {
        page.setVideoUrl(QUrl::fromLocalFile(video));
        ASSERT_TRUE(QTest::qWaitFor([&] { return page.isReady(); }, 10000));
    }
    static void moveTo(ExportResultController& page, double time) {
        page.beginScrub();
        page.scrub(time);
        page.endScrub();
        QTest::qWait(50);
    }
    static bool capture(ExportResultController& page) {
        const int before = page.captures()->count();
        page.captureCurrentFrame();
        return QTest::qWaitFor([&] { return !page.isCapturing(); }, 10000) &&
               page.captures()->count() == before + 1;
    }
    static bool save(ExportResultController& page) {
        page.saveAllCaptures();
        return QTest::qWaitFor([&] { return !page.isSavingCaptures(); }, 10000);
    }
    static QStringList pngsIn(const QString& folder) {
        return QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files | QDir::Hidden, QDir::Name);
    }

    test::ScopedTimeZone zone{"UTC"};
    test::TempFolder root;
    QString exports;
    QString video;
};

TEST_F(ExportResultControllerTest, CapturesOfOneSecondGetFreeNamesAndNeverReplaceAFile) {
    ExportResultController page;
    page.setVideoStartDate(startOfVideo);
    open(page);
    EXPECT_NEAR(page.duration(), clipSeconds, 0.05);
    moveTo(page, 1.0);
    ASSERT_TRUE(capture(page));
    page.stepFrame(1);
    QTest::qWait(100);
    ASSERT_TRUE(capture(page));
    ASSERT_TRUE(capture(page));

    // A still saved earlier under the first name stays exactly as it was.
    const QString earlier = exports + QStringLiteral("/TeslaCam-2024-05-01_13-02-01.png");
    root.writeFile(QStringLiteral("exports/TeslaCam-2024-05-01_13-02-01.png"), "an earlier picture");

    ASSERT_TRUE(save(page));
    EXPECT_EQ(page.saveMessage(), QStringLiteral("已将 3 张图片保存到视频所在目录"));
    EXPECT_EQ(pngsIn(exports), (QStringList{QStringLiteral("TeslaCam-2024-05-01_13-02-01-2.png"),
                                            QStringLiteral("TeslaCam-2024-05-01_13-02-01-3.png"),
                                            QStringLiteral("TeslaCam-2024-05-01_13-02-01-4.png"),
                                            QStringLiteral("TeslaCam-2024-05-01_13-02-01.png")}));
    QFile check(earlier);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray("an earlier picture"));
    EXPECT_EQ(QImage(exports + QStringLiteral("/TeslaCam-2024-05-01_13-02-01-2.png")).size(), QSize(96, 64));

    // Removing one keeps the others; saving again writes them under new names.
    page.removeCapture(1);
    EXPECT_EQ(page.captures()->count(), 2);
    ASSERT_TRUE(save(page));
    EXPECT_EQ(page.saveMessage(), QStringLiteral("已将 2 张图片保存到视频所在目录"));
    EXPECT_EQ(pngsIn(exports).size(), 6);
}

TEST_F(ExportResultControllerTest, CaptureTimeIsKeptBeforeTheEndAndUsesThePageTimeBeforeThePlayerKnowsIt) {
    std::vector<double> asked;
    ExportResultController page;
    page.setFrameSource([&](double time, double tolerance) {
        asked.push_back(time);
        if (tolerance == 0 && time > 1.5)
            throw UserFacingError(QStringLiteral("exact frame missing"));
        return FrameCapture::Frame{QImage(4, 4, QImage::Format_RGB32), time};
    });
    page.setVideoUrl(QUrl::fromLocalFile(video));
    page.captureCurrentFrame(); // before the player has opened the file
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.isCapturing(); }, 5000));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], 0);

    ASSERT_TRUE(QTest::qWaitFor([&] { return page.isReady(); }, 10000));
    moveTo(page, page.duration());
    asked.clear();
    ASSERT_TRUE(capture(page));
    // The exact frame at duration − 1/30 failed, so the tolerant request followed.
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_NEAR(asked[0], page.duration() - 1.0 / 30, 1e-9);
    EXPECT_EQ(asked[1], asked[0]);
}

TEST_F(ExportResultControllerTest, FailuresBecomeTheAlertWithItsTitle) {
    ExportResultController page;
    page.setFrameSource([](double, double) -> FrameCapture::Frame {
        throw UserFacingError(QStringLiteral("无法读取画面: 文件已损坏"));
    });
    open(page);
    page.captureCurrentFrame();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.isCapturing(); }, 5000));
    EXPECT_EQ(page.captureError(), QStringLiteral("无法读取画面: 文件已损坏"));
    EXPECT_EQ(page.operationErrorTitle(), QStringLiteral("截图失败"));
    EXPECT_EQ(page.captures()->count(), 0);
    page.dismissCaptureError();
    EXPECT_TRUE(page.captureError().isEmpty());

    page.setFrameSource({});
    ASSERT_TRUE(capture(page));
    // The drive went away: the video's folder is gone when saving.
    ASSERT_TRUE(QDir(exports).removeRecursively());
    ASSERT_TRUE(save(page));
    EXPECT_EQ(page.operationErrorTitle(), QStringLiteral("保存失败"));
    EXPECT_TRUE(page.captureError().startsWith(QStringLiteral("无法写入文件")))
        << page.captureError().toStdString();
    EXPECT_TRUE(page.saveMessage().isEmpty());
}

TEST_F(ExportResultControllerTest,
       WithoutAStartDateNamesFollowThePlaybackTimeAndPicturesGoToThePicturesFolder) {
    const QString home = root.makeFolder(QStringLiteral("home"));
    const test::ScopedEnvironment homeVariable("HOME", home.toUtf8());
    const test::ScopedEnvironment config("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toUtf8());
    const QStringList stagingBefore = QDir(QDir::tempPath()).entryList({QStringLiteral("TeslaCam-*.png")});

    ExportResultController page;
    page.setOutputToPhotosLibrary(true);
    open(page);
    moveTo(page, 1.2);
    ASSERT_TRUE(capture(page));
    ASSERT_TRUE(capture(page));
    ASSERT_TRUE(save(page));
    EXPECT_EQ(page.saveMessage(), QStringLiteral("已将 2 张图片保存到系统相册"));
    EXPECT_EQ(pngsIn(home + QStringLiteral("/Pictures")),
              (QStringList{QStringLiteral("TeslaCam-00-01-2.png"), QStringLiteral("TeslaCam-00-01.png")}));
    EXPECT_TRUE(pngsIn(exports).isEmpty());
    EXPECT_EQ(QDir(QDir::tempPath()).entryList({QStringLiteral("TeslaCam-*.png")}), stagingBefore);
}

TEST_F(ExportResultControllerTest, PlayAtTheEndStartsOverAndAMissingFileSaysSo) {
    ExportResultController page;
    open(page);
    moveTo(page, page.duration());
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.currentTime() >= page.duration() - 0.05; }, 5000));
    page.togglePlayback();
    EXPECT_TRUE(page.isPlaying());
    EXPECT_LT(page.currentTime(), 0.5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.currentTime() > 0.1; }, 5000));
    page.togglePlayback();
    EXPECT_FALSE(page.isPlaying());

    ExportResultController gone;
    gone.setVideoUrl(QUrl::fromLocalFile(root / QStringLiteral("missing.mp4")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !gone.videoUnavailableMessage().isEmpty(); }, 5000));
    EXPECT_EQ(gone.videoUnavailableMessage(), QStringLiteral("导出的视频已不在原位置"));
    EXPECT_FALSE(gone.isReady());
}

TEST_F(ExportResultControllerTest, ASpliceTimelineNamesEachCaptureAfterItsOwnRecording) {
    ExportResultController page;
    page.setVideoStartDate(startOfVideo);
    // From second 1 on, the file shows a recording made an hour later.
    page.setTimeline(
        QVariant::fromValue(ExportTimeline({{0, 1, startOfVideo}, {1, 0, startOfVideo + 3600}})));
    open(page);
    moveTo(page, 1.5);
    ASSERT_TRUE(capture(page));
    ASSERT_TRUE(save(page));
    EXPECT_EQ(pngsIn(exports), QStringList{QStringLiteral("TeslaCam-2024-05-01_14-02-00.png")});
}

} // namespace
