#include "EventThumbnailLoader.h"

#include "EventThumbnailSource.h"
#include "FileName.h"
#include "FramePattern.h"
#include "SampleClips.h"
#include "TestSupport.h"
#include "ThumbnailDiskCache.h"

#include <QDir>
#include <QUrl>
#include <functional>
#include <gtest/gtest.h>

using namespace orvane;
namespace Loader = orvane::EventThumbnailLoader;

namespace {

constexpr Instant minute0 = 1714558800; // 2024-05-01 10:20:00 UTC

TeslaClipEvent eventIn(const QString& folder, Instant start = TeslaClipEvent().startTime) {
    TeslaClipEvent e;
    e.folderURL = folder;
    e.startTime = start;
    return e;
}

class EventThumbnailLoaderTest : public ::testing::Test {
protected:
    // A one-second camera file named after its minute; returns its path.
    QString clip(const QString& folder, Instant minute, CameraAngle camera, int width = 64, int height = 48) {
        QDir().mkpath(folder);
        return test::writeClip(
            {.path = folder + "/" + sample::carTimeName(minute) + Camera::fileNameSuffix(camera),
             .camera = camera,
             .width = width,
             .height = height,
             .startTime = minute});
    }
    static std::optional<int> cameraOf(const QImage& image) {
        const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
        auto p = sample::FramePattern::read(gray.constBits(), int(gray.bytesPerLine()), gray.width(),
                                            gray.height());
        return p ? std::optional<int>(p->cameraIndex) : std::nullopt;
    }
    test::ScopedTimeZone zone{"UTC"};
    test::TempFolder root;
};

TEST_F(EventThumbnailLoaderTest, ClipFolderWithoutFrontUsesTheFileThatSortsFirst) {
    const QString folder = root / QStringLiteral("SavedClips/event");
    clip(folder, minute0, CameraAngle::leftRepeater);
    clip(folder, minute0, CameraAngle::back);
    clip(folder, minute0 + 60, CameraAngle::front);
    // Clip folders keep every file regardless of time.
    const TeslaClipEvent event = eventIn(folder, minute0 + 100);
    const auto groups = Loader::videoGroups(event);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].size(), 2);
    const QImage picture = Loader::image(event);
    EXPECT_EQ(picture.size(), QSize(64, 48));
    EXPECT_EQ(cameraOf(picture), sample::cameraIndex(CameraAngle::back));
    EXPECT_NEAR(Loader::duration(event), 2.0, 0.06);
}

// An empty folder or a damaged first file give no picture; a minute no file of which can be
// measured counts as a whole dashcam minute, as on the preview's time line.
TEST_F(EventThumbnailLoaderTest, NoPictureFromAnEmptyFolderOrADamagedFirstFile) {
    const TeslaClipEvent empty = eventIn(root.makeFolder(QStringLiteral("empty")));
    EXPECT_THROW(Loader::image(empty), std::exception);
    EXPECT_EQ(Loader::duration(empty), 0);
    root.writeFile(QStringLiteral("damaged/") + sample::carTimeName(minute0) + QStringLiteral("-front.mp4"),
                   "garbage");
    clip(root / QStringLiteral("damaged"), minute0 + 60, CameraAngle::front);
    const TeslaClipEvent damaged = eventIn(root / QStringLiteral("damaged"));
    EXPECT_THROW(Loader::image(damaged), std::exception);
    EXPECT_NEAR(Loader::duration(damaged), 61.0, 0.03);
}

TEST_F(EventThumbnailLoaderTest, ContinuousSessionUsesItsEarliestMinuteAndItsRangeOnly) {
    const QString folder = root / QStringLiteral("RecentClips");
    clip(folder, minute0 - 60, CameraAngle::front, 96, 64); // before the session
    clip(folder, minute0 + 120, CameraAngle::front);
    clip(folder, minute0, CameraAngle::front, 128, 96); // the session's first minute
    clip(folder, minute0 + 60, CameraAngle::front);
    clip(folder, minute0 + 180, CameraAngle::front, 96, 64); // after it
    root.writeFile(QStringLiteral("RecentClips/notes.txt"), "x");
    TeslaClipEvent event = eventIn(folder, minute0);
    event.isContinuousSession = true;
    event.endTime = minute0 + 120;
    EXPECT_EQ(Loader::videoGroups(event).size(), 3u);
    EXPECT_EQ(Loader::image(event).size(), QSize(128, 96));
    event.endTime.reset(); // without an end only the first minute stays
    EXPECT_EQ(Loader::videoGroups(event).size(), 1u);
}

// Kept pictures serve until the files change or the kept one is damaged; an unwritable cache still gives one.
TEST_F(EventThumbnailLoaderTest, KeptPicturesAreUsedUntilTheEventsFilesChange) {
    const QString folder = root / QStringLiteral("SavedClips/event");
    clip(folder, minute0, CameraAngle::front);
    const TeslaClipEvent event = eventIn(folder, minute0);
    int made = 0;
    const auto make = [&](const TeslaClipEvent& e) {
        ++made;
        return Loader::image(e);
    };
    const auto damageKeptFiles = [] {
        for (const QString& name : QDir(ThumbnailDiskCache::folder()).entryList(QDir::Files)) {
            QFile file(ThumbnailDiskCache::folder() + "/" + name);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("junk");
        }
    };
    const test::ScopedEnvironment cache{"XDG_CACHE_HOME", (root / QStringLiteral("cache")).toLocal8Bit()};
    const struct {
        const char* what;
        std::function<void()> before;
        int made;
    } steps[] = {
        {"first look", [] {}, 1},
        {"again", [] {}, 1},
        {"a file added", [&] { clip(folder, minute0 + 60, CameraAngle::back); }, 2},
        {"kept files damaged", damageKeptFiles, 3},
        {"cache not writable",
         [&] {
             QDir(ThumbnailDiskCache::folder()).removeRecursively();
             qputenv("XDG_CACHE_HOME", root.writeFile(QStringLiteral("not-a-folder")).toLocal8Bit());
         },
         4},
        {"still not writable", [] {}, 5},
    };
    for (const auto& step : steps) {
        step.before();
        const QImage picture = ThumbnailDiskCache::image(event, make);
        EXPECT_EQ(picture.size(), QSize(64, 48)) << step.what;
        EXPECT_EQ(made, step.made) << step.what;
    }
}

TEST(EventThumbnailSourceTest, RoundTripKeepsWhatTheLoaderReads) {
    std::vector<TeslaClipEvent> events;
    TeslaClipEvent session = eventIn(QStringLiteral("/media/u/TESLA/TeslaCam/RecentClips"), minute0 + 0.25);
    session.isContinuousSession = true;
    session.endTime = 1714559400.5;
    events.push_back(session);
    TeslaClipEvent imported = eventIn(QStringLiteral("/home/李/行车 记录#1?/100%&x=y"), minute0 + 0.25);
    imported.sourceFileURL = QStringLiteral("/home/李/行车 记录#1?/100%&x=y/a+b 视频.mp4");
    events.push_back(imported);
    // A drive written by another system: a name's bytes that are not UTF-8 come back whole.
    events.push_back(eventIn(FileName::decode("/media/cl\xe9 USB/TeslaCam/SavedClips"), minute0));

    const auto read = [](const TeslaClipEvent& e) {
        return std::tuple{e.folderURL, e.sourceFileURL, e.startTime, e.endTime, e.isContinuousSession};
    };
    for (const TeslaClipEvent& original : events) {
        const QString url = EventThumbnailSource::url(original);
        ASSERT_TRUE(url.startsWith(QStringLiteral("image://eventthumb/"))) << url.toStdString();
        // What QML hands an image provider: the URL's path after the host, decoded as QML does.
        const QUrl parsed(url);
        const QString id = parsed.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority).mid(1);
        for (const QString& form : {url, id}) {
            const std::optional<TeslaClipEvent> back = EventThumbnailSource::parse(form);
            ASSERT_TRUE(back) << form.toStdString();
            EXPECT_EQ(read(*back), read(original));
        }
    }
    // Different windows of the same folder are different pictures (and cache entries).
    TeslaClipEvent later = session;
    later.startTime += 60;
    EXPECT_NE(EventThumbnailSource::url(session), EventThumbnailSource::url(later));
}

TEST(EventThumbnailSourceTest, AnythingElseIsRejected) {
    const QString valid = EventThumbnailSource::url(eventIn(QStringLiteral("/a")));
    const QString payload = valid.mid(valid.lastIndexOf(QLatin1Char('/')) + 1);
    const auto v1 = [](const char* json) {
        return QStringLiteral("v1/") +
               QString::fromLatin1(QByteArray(json).toBase64(QByteArray::Base64UrlEncoding));
    };
    const QStringList bad = {QStringLiteral("v2/") + payload, QStringLiteral("v1/!!!"), v1("[1,2]"),
                             v1(R"({"d":5,"s":1})"), v1(R"({"d":"/a"})")};
    for (const QString& text : bad)
        EXPECT_FALSE(EventThumbnailSource::parse(text)) << text.toStdString();
}

} // namespace
