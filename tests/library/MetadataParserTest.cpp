#include "MetadataParser.h"
#include "TeslaTimeParser.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <unistd.h>

using namespace orvane;

namespace {

// Builds drive trees out of empty files: the scanner reads names and event.json only.
class MetadataParserTest : public testing::Test {
protected:
    test::ScopedTimeZone zone{"Asia/Shanghai"};
    test::TempFolder tmp;

    static Instant at(const char* localDateTime) {
        return *TeslaTimeParser::parseLocalDateTime(QString::fromUtf8(localDateTime));
    }
    QString minute(const QString& folder, const char* stamp, std::initializer_list<const char*> cameras = {"front", "back"}) {
        for (const char* camera : cameras)
            tmp.writeFile(folder + "/" + stamp + "-" + camera + ".mp4");
        return tmp / folder;
    }
    QString root() const { return tmp / "TeslaCam"; }
    static QStringList names(const std::vector<TeslaVideoFile>& files) {
        QStringList out;
        for (const auto& f : files)
            out << f.fileName;
        return out;
    }
};

TEST_F(MetadataParserTest, SavedClipFolderBecomesOneEventAcrossMinutes) {
    const char* folder = "TeslaCam/SavedClips/2024-05-01_10-20-30";
    minute(folder, "2024-05-01_10-19-00", {"front", "back", "left_repeater", "right_repeater", "left_pillar", "right_pillar"});
    minute(folder, "2024-05-01_10-20-00", {"front", "back", "left_repeater", "right_repeater", "left_pillar", "right_pillar"});
    tmp.writeFile(QString(folder) + "/event.json",
                  R"({"timestamp":"2024-05-01T10:20:30","city":"上海","est_lat":"31.2304","est_lon":"-121.4737"})");
    const auto library = MetadataParser::scanLibrary({root()});
    ASSERT_EQ(library.size(), 1u);
    const auto& saved = library.at(ClipCategory::saved);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].startTime, at("2024-05-01T10:19:00"));
    EXPECT_EQ(saved[0].endTime, at("2024-05-01T10:20:00"));
    EXPECT_EQ(saved[0].videoCount, 2);
    EXPECT_EQ(saved[0].folderName, QStringLiteral("2024-05-01_10-20-30"));
    EXPECT_EQ(saved[0].locationLine, QStringLiteral("31.23040°N, 121.47370°W · 上海"));
    EXPECT_FALSE(saved[0].sourceFileURL);
    EXPECT_FALSE(saved[0].isContinuousSession);
}

TEST_F(MetadataParserTest, MinutesMoreThanNinetySecondsApartSplitTheFolder) {
    struct Case {
        const char* second;
        size_t events;
    };
    for (const Case& c : {Case{"2024-05-01_10-01-30", 1}, Case{"2024-05-01_10-01-31", 2}}) {
        test::TempFolder local;
        const QString folder = local.makeFolder("SavedClips/2024-05-01_10-02-00");
        local.writeFile("SavedClips/2024-05-01_10-02-00/2024-05-01_10-00-00-front.mp4");
        local.writeFile(QStringLiteral("SavedClips/2024-05-01_10-02-00/%1-front.mp4").arg(c.second));
        const auto events = MetadataParser::summarizeEvents(folder, ClipCategory::saved);
        ASSERT_EQ(events.size(), c.events) << c.second;
        if (c.events == 2) {
            EXPECT_EQ(events[0].folderURL, events[1].folderURL);
            EXPECT_EQ(events[1].startTime, events[1].endTime);
        }
    }
}

TEST_F(MetadataParserTest, RecentClipsFormOneContinuousSessionAcrossDays) {
    minute("TeslaCam/RecentClips", "2024-05-01_23-59-00");
    minute("TeslaCam/RecentClips", "2024-05-02_08-00-00");
    tmp.writeFile("TeslaCam/RecentClips/notes.txt");
    tmp.writeFile("TeslaCam/RecentClips/.hidden-front.mp4");
    const auto library = MetadataParser::scanLibrary({root()});
    const auto& recent = library.at(ClipCategory::recent);
    ASSERT_EQ(recent.size(), 1u);
    EXPECT_TRUE(recent[0].isContinuousSession);
    EXPECT_EQ(recent[0].startTime, at("2024-05-01T23:59:00"));
    EXPECT_EQ(recent[0].endTime, at("2024-05-02T08:00:00"));
    EXPECT_EQ(recent[0].videoCount, 2);
    EXPECT_EQ(recent[0].folderName, QStringLiteral("RecentClips"));

    // A session returns its files earliest first; one camera only when asked.
    const auto files = MetadataParser::loadVideos(recent[0], CameraAngle::back);
    EXPECT_EQ(names(files), (QStringList{"2024-05-01_23-59-00-back.mp4", "2024-05-02_08-00-00-back.mp4"}));
    EXPECT_EQ(MetadataParser::loadVideos(recent[0], CameraAngle::all).size(), 4u);
}

TEST_F(MetadataParserTest, LooseSentryFilesAreOneEventEach) {
    minute("TeslaCam/SentryClips", "2024-05-01_10-00-00", {"front"});
    minute("TeslaCam/SentryClips", "2024-05-01_11-00-00", {"front"});
    tmp.writeFile("TeslaCam/SentryClips/undated-front.mp4");
    const auto sentry = MetadataParser::scanLibrary({root()}).at(ClipCategory::sentry);
    ASSERT_EQ(sentry.size(), 2u);
    EXPECT_EQ(sentry[0].folderName, QStringLiteral("2024-05-01_11-00-00-front"));
    for (const auto& e : sentry) {
        EXPECT_TRUE(e.sourceFileURL);
        EXPECT_EQ(e.videoCount, 1);
        EXPECT_FALSE(e.endTime);
    }
    EXPECT_EQ(MetadataParser::loadVideos(sentry[0], CameraAngle::back).size(), 0u);
    EXPECT_EQ(MetadataParser::loadVideos(sentry[0], CameraAngle::front).size(), 1u);
}

TEST_F(MetadataParserTest, ChosenFoldersOutsideTheDriveAreImported) {
    minute("elsewhere/2024-05-01_10-20-30", "2024-05-01_10-20-00");
    tmp.writeFile("plain/a.mp4");
    tmp.writeFile("plain/b.MP4");
    tmp.writeFile("plain/event.json", R"({"timestamp":"2024-05-01T09:00:00"})");
    tmp.writeFile("bare/clip one.mp4");
    const auto library = MetadataParser::scanLibrary(
        {tmp / "elsewhere/2024-05-01_10-20-30", tmp / "plain", tmp / "bare", tmp.makeFolder("empty")});
    const auto& imported = library.at(ClipCategory::imported);
    // "bare" has no file with a usable time (no date in the names, no event.json), so no
    // event: one would list videos it could never open.
    ASSERT_EQ(imported.size(), 2u);
    EXPECT_EQ(imported[0].startTime, at("2024-05-01T10:20:00"));
    EXPECT_EQ(imported[1].folderName, QStringLiteral("plain"));
    EXPECT_EQ(imported[1].startTime, at("2024-05-01T09:00:00"));
    EXPECT_EQ(imported[1].videoCount, 2);
    tmp.writeFile("bare/event.json", R"({"timestamp":"2024-05-01T08:00:00"})");
    EXPECT_EQ(MetadataParser::scanLibrary({tmp / "bare"}).at(ClipCategory::imported)[0].startTime,
              at("2024-05-01T08:00:00"));
}

TEST_F(MetadataParserTest, SameClipChosenTwiceAppearsOnce) {
    const QString clip = minute("TeslaCam/SavedClips/2024-05-01_10-20-30", "2024-05-01_10-20-00");
    minute("TeslaCam/SavedClips/2024-05-02_10-20-30", "2024-05-02_10-20-00");
    const auto library = MetadataParser::scanLibrary({clip, root(), clip + "/", tmp / "TeslaCam/SavedClips"});
    EXPECT_EQ(library.at(ClipCategory::saved).size(), 2u);
    EXPECT_EQ(library.at(ClipCategory::saved)[0].startTime, at("2024-05-02T10:20:00"));
}

TEST_F(MetadataParserTest, TwoRootsMerge) {
    minute("a/TeslaCam/SavedClips/2024-05-01_10-20-30", "2024-05-01_10-20-00");
    minute("b/TeslaCam/SavedClips/2024-05-01_10-20-30", "2024-05-01_10-20-00");
    minute("b/TeslaCam/RecentClips", "2024-05-03_10-20-00");
    const auto library = MetadataParser::scanLibrary({tmp / "a/TeslaCam", tmp / "b/TeslaCam"});
    EXPECT_EQ(library.at(ClipCategory::saved).size(), 2u); // same name, different drives
    EXPECT_EQ(library.at(ClipCategory::recent).size(), 1u);
}

TEST_F(MetadataParserTest, LooseFileWithoutTimeFailsTheScan) {
    const QString clip = tmp.writeFile("loose/clip.mp4");
    try {
        MetadataParser::scanLibrary({clip});
        FAIL() << "expected cannotParseTime";
    } catch (const MetadataParserError& e) {
        EXPECT_EQ(e.kind(), MetadataParserError::Kind::cannotParseTime);
    }
    // The event.json beside it rescues it.
    tmp.writeFile("loose/event.json", R"({"timestamp":"2024-05-01T10:20:30"})");
    const auto library = MetadataParser::scanLibrary({clip});
    ASSERT_EQ(library.at(ClipCategory::imported).size(), 1u);
    EXPECT_EQ(library.at(ClipCategory::imported)[0].startTime, at("2024-05-01T10:20:30"));
    EXPECT_EQ(library.at(ClipCategory::imported)[0].sourceFileURL, clip);
}

TEST_F(MetadataParserTest, UpperCaseExtensionHasNoDateButCounts) {
    minute("TeslaCam/SavedClips/2024-05-01_10-20-30", "2024-05-01_10-20-00", {"front"});
    tmp.writeFile("TeslaCam/SavedClips/2024-05-01_10-20-30/2024-05-01_10-21-00-back.MP4");
    const auto saved = MetadataParser::scanLibrary({root()}).at(ClipCategory::saved);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].videoCount, 1); // the .MP4 group has no time and is dropped
    // loadVideos keeps the undated file, timed by the folder's event.json when present.
    EXPECT_EQ(MetadataParser::loadVideos(saved[0], CameraAngle::all).size(), 1u);
    tmp.writeFile("TeslaCam/SavedClips/2024-05-01_10-20-30/event.json", R"({"timestamp":"2024-05-01T10:20:30"})");
    EXPECT_EQ(MetadataParser::loadVideos(saved[0], CameraAngle::all).size(), 2u);
    EXPECT_EQ(MetadataParser::scanLibrary({root()}).at(ClipCategory::saved)[0].videoCount, 2) << "counted as listed";
}

TEST_F(MetadataParserTest, ClipFolderWithoutDatedFilesFallsBack) {
    tmp.writeFile("TeslaCam/SentryClips/2024-05-01_10-20-30/x-front.mp4");
    tmp.writeFile("TeslaCam/SentryClips/2024-05-01_10-20-30/x-back.mp4");
    // Without event.json no file has a usable time, so there is nothing to list.
    EXPECT_TRUE(MetadataParser::scanLibrary({root()}).at(ClipCategory::sentry).empty());
    tmp.writeFile("TeslaCam/SentryClips/2024-05-01_10-20-30/event.json", R"({"timestamp":"2024-05-01T10:21:00"})");
    const auto sentry = MetadataParser::scanLibrary({root()}).at(ClipCategory::sentry);
    ASSERT_EQ(sentry.size(), 1u);
    EXPECT_EQ(sentry[0].startTime, at("2024-05-01T10:20:30")); // the folder's name comes first
    EXPECT_FALSE(sentry[0].endTime);
    EXPECT_EQ(sentry[0].videoCount, 1);
    EXPECT_EQ(MetadataParser::loadVideos(sentry[0], CameraAngle::all).size(), 2u);
}

TEST_F(MetadataParserTest, LoadVideosFiltersByCameraAndEventRange) {
    const char* folder = "TeslaCam/SavedClips/2024-05-01_10-05-00";
    minute(folder, "2024-05-01_10-00-00");
    minute(folder, "2024-05-01_10-01-00");
    minute(folder, "2024-05-01_10-04-00"); // a second event in the same folder
    const auto saved = MetadataParser::scanLibrary({root()}).at(ClipCategory::saved);
    ASSERT_EQ(saved.size(), 2u);
    const TeslaClipEvent& first = saved[1];
    EXPECT_EQ(names(MetadataParser::loadVideos(first, CameraAngle::back)),
              (QStringList{"2024-05-01_10-01-00-back.mp4", "2024-05-01_10-00-00-back.mp4"}));
    EXPECT_EQ(MetadataParser::loadVideos(first, CameraAngle::all).size(), 4u);
    EXPECT_TRUE(MetadataParser::loadVideos(first, CameraAngle::leftPillar).empty());
    const QStringList sources = MetadataParser::sourceVideoURLs(first);
    ASSERT_EQ(sources.size(), 4u);
    EXPECT_TRUE(sources[0].endsWith("2024-05-01_10-00-00-back.mp4"));
    EXPECT_TRUE(sources[3].endsWith("2024-05-01_10-01-00-front.mp4"));
}

TEST_F(MetadataParserTest, NamesWithSpacesQuotesAndNonAsciiLetters) {
    const QString folder = QStringLiteral("我的 \"行车\" 记录's");
    tmp.writeFile(folder + "/2024-05-01_10-20-00-front.mp4");
    tmp.writeFile(folder + "/event.json", R"({"city":"Zürich"})");
    const auto library = MetadataParser::scanLibrary({tmp / folder});
    const auto& imported = library.at(ClipCategory::imported);
    ASSERT_EQ(imported.size(), 1u);
    EXPECT_EQ(imported[0].folderName, folder);
    EXPECT_EQ(imported[0].locationLine, QStringLiteral("Zürich"));
    const auto files = MetadataParser::loadVideos(imported[0], CameraAngle::all);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(QFile::exists(files[0].url));
}

TEST_F(MetadataParserTest, UnreadableOrVanishedFoldersGiveNoEvents) {
    // A category "folder" that is a file cannot be listed.
    tmp.writeFile("TeslaCam/SavedClips");
    minute("TeslaCam/RecentClips", "2024-05-01_10-00-00");
    const auto library = MetadataParser::scanLibrary({root()});
    EXPECT_TRUE(library.at(ClipCategory::saved).empty());
    EXPECT_EQ(library.at(ClipCategory::recent).size(), 1u);

    TeslaClipEvent gone = library.at(ClipCategory::recent)[0];
    gone.folderURL = tmp / "vanished";
    EXPECT_THROW(MetadataParser::loadVideos(gone, CameraAngle::all), FileSystemError);
    EXPECT_THROW(MetadataParser::sourceVideoURLs(gone), FileSystemError);
}

TEST_F(MetadataParserTest, FolderWithoutReadPermissionGivesNoEvents) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    const QString locked = minute("TeslaCam/SentryClips/2024-05-01_10-20-30", "2024-05-01_10-20-00");
    QFile::setPermissions(locked, QFile::Permissions());
    minute("TeslaCam/RecentClips", "2024-05-01_10-00-00");
    const auto again = MetadataParser::scanLibrary({root()});
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(again.at(ClipCategory::sentry).empty());
    EXPECT_EQ(again.at(ClipCategory::recent).size(), 1u);
}

TEST(DeduplicationTest, KeysOnSourceFileOrFolderAndStart) {
    auto event = [](const char* folder, Instant start, std::optional<QString> source = std::nullopt) {
        TeslaClipEvent e;
        e.folderURL = QString::fromUtf8(folder);
        e.startTime = start;
        e.sourceFileURL = source;
        return e;
    };
    const auto kept = MetadataParser::deduplicatedEvents({event("/a", 100), event("/a", 100.0), event("/a", 100.5),
                                                          event("/b", 100), event("/a", 1, QStringLiteral("/a/x.mp4")),
                                                          event("/c", 2, QStringLiteral("/a/x.mp4"))});
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_EQ(kept[0].startTime, 100.5);
    EXPECT_EQ(kept[3].startTime, 1);
}

// Each failure's text, once; the other tests compare kinds.
TEST(MetadataParserErrorTest, EachKindSaysWhatWentWrong) {
    const auto enumerate = MetadataParserError::cannotEnumerate(QStringLiteral("/drive/SavedClips"));
    EXPECT_EQ(enumerate.kind(), MetadataParserError::Kind::cannotEnumerate);
    EXPECT_EQ(enumerate.description(), QStringLiteral("无法读取目录: /drive/SavedClips"));
    const auto time = MetadataParserError::cannotParseTime(QStringLiteral("clip.mp4"));
    EXPECT_EQ(time.kind(), MetadataParserError::Kind::cannotParseTime);
    EXPECT_EQ(time.description(), QStringLiteral("无法从文件名解析时间: clip.mp4"));
}

} // namespace
