// The export result page without a window, over a real two-second clip: stills captured at the
// right time, named after their recording, saved beside the video or in the Pictures folder
// without ever replacing a file, and what the user is told when that fails.

#include "ExportResultController.h"

#include "SampleClips.h"
#include "TestSupport.h"
#include "UserFacingError.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

constexpr Instant startOfVideo = 1714568520; // 2024-05-01 13:02:00 UTC
constexpr double clipSeconds = 2;
constexpr int framesPerSecond = 30;

// A result page over a 2-second exported clip in its own folder.
class ExportResultControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        exports = root.makeFolder(u"exports"_s);
        video = test::writeClip({.path = exports + u"/export.mp4"_s,
                                 .width = 96,
                                 .height = 64,
                                 .framesPerSecond = framesPerSecond,
                                 .seconds = clipSeconds,
                                 .startTime = startOfVideo});
    }

    void open() {
        page.setVideoUrl(QUrl::fromLocalFile(video));
        ASSERT_TRUE(QTest::qWaitFor([&] { return page.isReady(); }, 10000));
    }
    void moveTo(double time) {
        page.beginScrub();
        page.scrub(time);
        page.endScrub();
        QTest::qWait(50);
    }
    bool capture() {
        const int before = page.captures()->count();
        page.captureCurrentFrame();
        return QTest::qWaitFor([&] { return !page.isCapturing(); }, 10000) &&
               page.captures()->count() == before + 1;
    }
    bool save() {
        page.saveAllCaptures();
        return QTest::qWaitFor([&] { return !page.isSavingCaptures(); }, 10000);
    }
    static QStringList pngsIn(const QString& folder) {
        return QDir(folder).entryList({u"*.png"_s}, QDir::Files | QDir::Hidden, QDir::Name);
    }

    test::ScopedTimeZone zone{"UTC"};
    test::TempFolder root;
    QString exports;
    QString video;
    ExportResultController page;
};

TEST_F(ExportResultControllerTest, CapturesOfOneSecondGetFreeNamesAndNeverReplaceAFile) {
    page.setVideoStartDate(startOfVideo);
    open();
    EXPECT_NEAR(page.duration(), clipSeconds, 0.05);
    moveTo(1.0);
    ASSERT_TRUE(capture());
    page.stepFrame(1);
    QTest::qWait(100);
    ASSERT_TRUE(capture());
    ASSERT_TRUE(capture());

    // A still saved earlier under the first name stays exactly as it was.
    const QString earlier =
        root.writeFile(u"exports/TeslaCam-2024-05-01_13-02-01.png"_s, "an earlier picture");

    ASSERT_TRUE(save());
    EXPECT_EQ(page.saveMessage(), u"已将 3 张图片保存到视频所在目录"_s);
    EXPECT_EQ(pngsIn(exports),
              (QStringList{u"TeslaCam-2024-05-01_13-02-01-2.png"_s, u"TeslaCam-2024-05-01_13-02-01-3.png"_s,
                           u"TeslaCam-2024-05-01_13-02-01-4.png"_s, u"TeslaCam-2024-05-01_13-02-01.png"_s}));
    QFile check(earlier);
    EXPECT_TRUE(check.open(QIODevice::ReadOnly) && check.readAll() == "an earlier picture");
    EXPECT_EQ(QImage(exports + u"/TeslaCam-2024-05-01_13-02-01-2.png"_s).size(), QSize(96, 64));

    // Removing one keeps the others; saving again writes them under new names.
    page.removeCapture(1);
    EXPECT_EQ(page.captures()->count(), 2);
    ASSERT_TRUE(save());
    EXPECT_EQ(page.saveMessage(), u"已将 2 张图片保存到视频所在目录"_s);
    EXPECT_EQ(pngsIn(exports).size(), 6);
}

TEST_F(ExportResultControllerTest, CaptureTimeIsKeptBeforeTheEndAndUsesThePageTimeBeforeThePlayerKnowsIt) {
    std::vector<double> asked;
    page.setFrameSource([&](double time, double tolerance) {
        asked.push_back(time);
        if (tolerance == 0 && time > 1.5)
            throw UserFacingError(u"exact frame missing"_s);
        return FrameCapture::Frame{QImage(4, 4, QImage::Format_RGB32), time};
    });
    page.setVideoUrl(QUrl::fromLocalFile(video));
    page.captureCurrentFrame(); // before the player has opened the file
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.isCapturing(); }, 5000));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], 0);

    ASSERT_TRUE(QTest::qWaitFor([&] { return page.isReady(); }, 10000));
    moveTo(page.duration());
    asked.clear();
    ASSERT_TRUE(capture());
    // The exact frame at duration − 1/30 failed, so the tolerant request followed.
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_NEAR(asked[0], page.duration() - 1.0 / 30, 1e-9);
    EXPECT_EQ(asked[1], asked[0]);
}

TEST_F(ExportResultControllerTest, FailuresBecomeTheAlertWithItsTitle) {
    page.setFrameSource(
        [](double, double) -> FrameCapture::Frame { throw UserFacingError(u"无法读取画面: 文件已损坏"_s); });
    open();
    page.captureCurrentFrame();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.isCapturing(); }, 5000));
    EXPECT_EQ(page.captureError(), u"无法读取画面: 文件已损坏"_s);
    EXPECT_EQ(page.operationErrorTitle(), u"截图失败"_s);
    EXPECT_EQ(page.captures()->count(), 0);
    page.dismissCaptureError();
    EXPECT_TRUE(page.captureError().isEmpty());

    page.setFrameSource({});
    ASSERT_TRUE(capture());
    // The drive went away: the video's folder is gone when saving.
    ASSERT_TRUE(QDir(exports).removeRecursively());
    ASSERT_TRUE(save());
    EXPECT_EQ(page.operationErrorTitle(), u"保存失败"_s);
    EXPECT_TRUE(page.captureError().startsWith(u"无法写入文件"_s)) << page.captureError().toStdString();
    EXPECT_TRUE(page.saveMessage().isEmpty());
}

TEST_F(ExportResultControllerTest,
       WithoutAStartDateNamesFollowThePlaybackTimeAndPicturesGoToThePicturesFolder) {
    const QString home = root.makeFolder(u"home"_s);
    const test::ScopedEnvironment homeVariable("HOME", home.toUtf8());
    const test::ScopedEnvironment config("XDG_CONFIG_HOME", (home + u"/.config"_s).toUtf8());
    const QStringList stagingBefore = QDir(QDir::tempPath()).entryList({u"TeslaCam-*.png"_s});

    page.setOutputToPhotosLibrary(true);
    open();
    moveTo(1.2);
    ASSERT_TRUE(capture());
    ASSERT_TRUE(capture());
    ASSERT_TRUE(save());
    EXPECT_EQ(page.saveMessage(), u"已将 2 张图片保存到系统相册"_s);
    EXPECT_EQ(pngsIn(home + u"/Pictures"_s),
              (QStringList{u"TeslaCam-00-01-2.png"_s, u"TeslaCam-00-01.png"_s}));
    EXPECT_TRUE(pngsIn(exports).isEmpty());
    EXPECT_EQ(QDir(QDir::tempPath()).entryList({u"TeslaCam-*.png"_s}), stagingBefore);
}

TEST_F(ExportResultControllerTest, ASpliceTimelineNamesEachCaptureAfterItsOwnRecording) {
    page.setVideoStartDate(startOfVideo);
    // From second 1 on, the file shows a recording made an hour later.
    page.setTimeline(
        QVariant::fromValue(ExportTimeline({{0, 1, startOfVideo}, {1, 0, startOfVideo + 3600}})));
    open();
    moveTo(1.5);
    ASSERT_TRUE(capture());
    ASSERT_TRUE(save());
    EXPECT_EQ(pngsIn(exports), QStringList{u"TeslaCam-2024-05-01_14-02-00.png"_s});
}

} // namespace
