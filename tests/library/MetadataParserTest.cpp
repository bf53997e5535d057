// Scanning drives and chosen folders into events, and events back into their files. The trees
// are made of empty files: the scanner reads names and event.json only.

#include "MetadataParser.h"

#include "MinuteGroups.h"
#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace orvane;

namespace {

// One line per event: folder, local start…end, count, session, the single file, the location.
QString listing(const EventsByCategory& library) {
    const auto local = [](Instant t) { return LocalTime::format(t, QStringLiteral("MM-dd HH:mm:ss")); };
    QStringList lines;
    for (const auto& [category, events] : library)
        for (const TeslaClipEvent& e : events) {
            QString line = QStringLiteral("%1 %2 %3…%4 ×%5")
                               .arg(Category::rawValue(category), e.folderName, local(e.startTime),
                                    e.endTime ? local(*e.endTime) : QString())
                               .arg(e.videoCount);
            if (e.isContinuousSession)
                line += QStringLiteral(" session");
            if (e.sourceFileURL)
                line += QStringLiteral(" file ") + QFileInfo(*e.sourceFileURL).fileName();
            if (e.locationLine)
                line += QStringLiteral(" @") + *e.locationLine;
            lines << line;
        }
    return lines.join(QLatin1Char('\n'));
}

QStringList names(const std::vector<TeslaVideoFile>& files) {
    QStringList out;
    for (const auto& f : files)
        out << f.fileName;
    return out;
}

class MetadataParserTest : public testing::Test {
protected:
    test::ScopedTimeZone zone{"Asia/Shanghai"};
    test::TempFolder tmp;
    const QString root = tmp / "TeslaCam";

    // Empty camera files of one minute in `folder`.
    QString minute(const QString& folder, const char* stamp, QStringList cameras = {"front", "back"}) {
        for (const QString& camera : cameras)
            tmp.writeFile(folder + "/" + stamp + "-" + camera + ".mp4");
        return tmp / folder;
    }
    void eventJson(const QString& folder, const char* json) { tmp.writeFile(folder + "/event.json", json); }
    const TeslaClipEvent& event(const EventsByCategory& library, ClipCategory category,
                                const QString& folderName, size_t nth = 0) {
        for (const auto& e : library.at(category))
            if (e.folderName == folderName && nth-- == 0)
                return e;
        throw std::runtime_error("no such event");
    }
};

TEST_F(MetadataParserTest, ADriveBecomesEventsByCategory) {
    const QStringList sixCameras = {"front",          "back",        "left_repeater",
                                    "right_repeater", "left_pillar", "right_pillar"};
    minute("TeslaCam/SavedClips/2024-05-01_10-20-30", "2024-05-01_10-19-00", sixCameras);
    minute("TeslaCam/SavedClips/2024-05-01_10-20-30", "2024-05-01_10-20-00", sixCameras);
    eventJson(
        "TeslaCam/SavedClips/2024-05-01_10-20-30",
        R"({"timestamp":"2024-05-01T10:20:30","city":"上海","est_lat":"31.2304","est_lon":"-121.4737"})");
    // Minutes more than 90 s apart split a folder into events.
    for (const char* stamp : {"2024-05-01_11-00-00", "2024-05-01_11-01-00", "2024-05-01_11-02-31"})
        minute("TeslaCam/SavedClips/2024-05-01_11-05-00", stamp);
    for (const char* stamp : {"2024-05-01_13-00-00", "2024-05-01_13-01-30"})
        minute("TeslaCam/SavedClips/2024-05-01_13-02-00", stamp, {"front"});
    // Rolling minutes across midnight are one session; other files are not clips.
    minute("TeslaCam/RecentClips", "2024-05-01_23-59-00");
    minute("TeslaCam/RecentClips", "2024-05-02_08-00-00");
    tmp.writeFile("TeslaCam/RecentClips/notes.txt");
    tmp.writeFile("TeslaCam/RecentClips/.hidden-front.mp4");
    // Loose sentry files are one event each; an undated one is none.
    minute("TeslaCam/SentryClips", "2024-05-01_10-00-00", {"front"});
    minute("TeslaCam/SentryClips", "2024-05-01_11-00-00", {"front"});
    tmp.writeFile("TeslaCam/SentryClips/undated-front.mp4");
    // A folder without dated files is an event all the same, timed by the folder's name.
    for (const char* folder :
         {"TeslaCam/SentryClips/2024-05-01_16-20-30", "TeslaCam/SentryClips/2024-05-01_17-20-30"})
        minute(folder, "x");
    eventJson("TeslaCam/SentryClips/2024-05-01_17-20-30", R"({"timestamp":"2024-05-01T17:21:00"})");

    const EventsByCategory library = MetadataParser::scanLibrary({root});
    EXPECT_EQ(listing(library).toStdString(),
              "recent RecentClips 05-01 23:59:00…05-02 08:00:00 ×2 session\n"
              "sentry 2024-05-01_17-20-30 05-01 17:20:30… ×1\n"
              "sentry 2024-05-01_16-20-30 05-01 16:20:30… ×1\n"
              "sentry 2024-05-01_11-00-00-front 05-01 11:00:00… ×1 file 2024-05-01_11-00-00-front.mp4\n"
              "sentry 2024-05-01_10-00-00-front 05-01 10:00:00… ×1 file 2024-05-01_10-00-00-front.mp4\n"
              "saved 2024-05-01_13-02-00 05-01 13:00:00…05-01 13:01:30 ×2\n"
              "saved 2024-05-01_11-05-00 05-01 11:02:31…05-01 11:02:31 ×1\n"
              "saved 2024-05-01_11-05-00 05-01 11:00:00…05-01 11:01:00 ×2\n"
              "saved 2024-05-01_10-20-30 05-01 10:19:00…05-01 10:20:00 ×2 @31.23040°N, 121.47370°W · 上海");

    // A session's files come earliest first, an event's latest first; one camera when asked.
    const TeslaClipEvent& recent = event(library, ClipCategory::recent, "RecentClips");
    EXPECT_EQ(names(MetadataParser::loadVideos(recent, CameraAngle::back)),
              (QStringList{"2024-05-01_23-59-00-back.mp4", "2024-05-02_08-00-00-back.mp4"}));
    EXPECT_EQ(MetadataParser::loadVideos(recent, CameraAngle::all).size(), 4u);
    const TeslaClipEvent& split = event(library, ClipCategory::saved, "2024-05-01_11-05-00", 1);
    EXPECT_EQ(names(MetadataParser::loadVideos(split, CameraAngle::back)),
              (QStringList{"2024-05-01_11-01-00-back.mp4", "2024-05-01_11-00-00-back.mp4"}));
    EXPECT_EQ(MetadataParser::loadVideos(split, CameraAngle::all).size(), 4u);
    const QStringList sources = MetadataParser::sourceVideoURLs(split);
    ASSERT_EQ(sources.size(), 4);
    EXPECT_TRUE(sources[0].endsWith("2024-05-01_11-00-00-back.mp4"));
    EXPECT_TRUE(sources[3].endsWith("2024-05-01_11-01-00-front.mp4"));
    const TeslaClipEvent& loose = event(library, ClipCategory::sentry, "2024-05-01_11-00-00-front");
    EXPECT_EQ(MetadataParser::loadVideos(loose, CameraAngle::back).size(), 0u);
    EXPECT_EQ(MetadataParser::loadVideos(loose, CameraAngle::front).size(), 1u);
    // Every file of a folder is listed, dated or not. (An upper-case extension: RealDriveLayoutTest.)
    const TeslaClipEvent& undated = event(library, ClipCategory::sentry, "2024-05-01_17-20-30");
    EXPECT_EQ(MetadataParser::loadVideos(undated, CameraAngle::all).size(), 2u);
}

// A folder chosen again, through a drive or a category, or a file chosen twice is one event.
TEST_F(MetadataParserTest, ChosenPathsAreScannedOnceAndOutsideTheDriveAreImported) {
    const QString clip = minute("TeslaCam/SavedClips/2024-05-01_10-20-30", "2024-05-01_10-20-00");
    minute("TeslaCam/SavedClips/2024-05-02_10-20-30", "2024-05-02_10-20-00");
    minute("b/TeslaCam/SavedClips/2024-05-01_10-20-30", "2024-05-01_10-20-00");
    minute("b/TeslaCam/RecentClips", "2024-05-03_10-20-00");
    minute("elsewhere/2024-05-01_10-20-30", "2024-05-01_10-20-00");
    tmp.writeFile("plain/a.mp4");
    tmp.writeFile("plain/b.MP4");
    eventJson("plain", R"({"timestamp":"2024-05-01T09:00:00"})");
    tmp.writeFile("bare/clip one.mp4"); // no usable time: no event, which would list videos it cannot open
    const QString quoted = QStringLiteral("我的 \"行车\" 记录's");
    tmp.writeFile(quoted + "/2024-05-01_10-20-00-front.mp4");
    eventJson(quoted, R"({"city":"Zürich"})");
    tmp.writeFile("loose/event.json", R"({"timestamp":"2024-05-01T10:20:30"})");
    const struct {
        QStringList chosen;
        const char* listing;
    } cases[] = {
        {{clip, root, clip + "/", root + "/SavedClips"},
         "saved 2024-05-02_10-20-30 05-02 10:20:00…05-02 10:20:00 ×1\n"
         "saved 2024-05-01_10-20-30 05-01 10:20:00…05-01 10:20:00 ×1"},
        // The same folder name on two drives is two events.
        {{root, tmp / "b/TeslaCam"},
         "recent RecentClips 05-03 10:20:00…05-03 10:20:00 ×1 session\n"
         "saved 2024-05-02_10-20-30 05-02 10:20:00…05-02 10:20:00 ×1\n"
         "saved 2024-05-01_10-20-30 05-01 10:20:00…05-01 10:20:00 ×1\n"
         "saved 2024-05-01_10-20-30 05-01 10:20:00…05-01 10:20:00 ×1"},
        {{tmp / "elsewhere/2024-05-01_10-20-30", tmp / "plain", tmp / "bare", tmp.makeFolder("empty")},
         "imported 2024-05-01_10-20-30 05-01 10:20:00…05-01 10:20:00 ×1\n"
         "imported plain 05-01 09:00:00… ×2"},
        {{tmp / quoted}, "imported 我的 \"行车\" 记录's 05-01 10:20:00…05-01 10:20:00 ×1 @Zürich"},
        // A loose file is timed by its name, else by the event.json beside it.
        {{tmp.writeFile("loose/clip.mp4"), tmp / "loose/clip.mp4"},
         "imported clip 05-01 10:20:30… ×1 file clip.mp4"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(listing(MetadataParser::scanLibrary(c.chosen)).toStdString(), c.listing)
            << c.chosen.join(' ').toStdString();
}

// Unreadable folders are skipped; unreadable chosen paths are errors, alone or beside a drive.
TEST_F(MetadataParserTest, UnreadableFoldersGiveNoEventsAndUnreadableChosenPathsAreErrors) {
    tmp.writeFile("TeslaCam/SavedClips"); // a category "folder" that is a file
    minute("TeslaCam/RecentClips", "2024-05-01_10-00-00", {"front"});
    const QString locked = minute("TeslaCam/SentryClips/2024-05-01_10-20-30", "2024-05-01_10-20-00");
    QFile::setPermissions(locked, QFile::Permissions());
    const auto library = MetadataParser::scanLibrary({root});
    EXPECT_TRUE(library.at(ClipCategory::saved).empty());
    EXPECT_EQ(library.at(ClipCategory::recent).size(), 1u);
    QStringList unreadable = {tmp / "does-not-exist", QString(), tmp.writeFile("notes.txt", "text"),
                              test::makeFifo(tmp / "2024-05-01_10-00-00-back.mp4")};
    if (geteuid() != 0) { // permissions do not bind root
        EXPECT_TRUE(library.at(ClipCategory::sentry).empty());
        unreadable << locked;
    }
    for (const QString& path : unreadable) {
        for (const QStringList& chosen : {QStringList{path}, QStringList{root, path}}) {
            try {
                MetadataParser::scanLibrary(chosen);
                ADD_FAILURE() << "no error for " << path.toStdString();
            } catch (const MetadataParserError& e) {
                EXPECT_EQ(e.kind(), MetadataParserError::Kind::cannotEnumerate) << path.toStdString();
                EXPECT_TRUE(e.description().contains(path.isEmpty() ? QStringLiteral("\"\"") : path))
                    << e.description().toStdString();
            }
        }
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(MetadataParser::scanLibrary({tmp.makeFolder("empty")}).empty())
        << "an empty folder is no error";
}

// An event.json that is a FIFO would block the scan for ever if it were opened for reading.
TEST_F(MetadataParserTest, EventJsonThatIsAFifoCountsAsAbsent) {
    const QString clip = minute("TeslaCam/SavedClips/2024-05-01_10-20-30", "2024-05-01_10-20-00", {"front"});
    tmp.writeFile("TeslaCam/SavedClips/2024-05-01_10-20-30/clip-back.mp4");
    const QString fifo = test::makeFifo(clip + "/event.json");
    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"scan", [&] { EXPECT_EQ(MetadataParser::scanLibrary({root}).at(ClipCategory::saved).size(), 1u); }},
        {"metadata", [&] { EXPECT_FALSE(MetadataParser::loadMetadata(clip)); }},
        {"videos",
         [&] {
             const auto saved = MetadataParser::scanLibrary({clip});
             EXPECT_EQ(
                 MetadataParser::loadVideos(saved.at(ClipCategory::saved).at(0), CameraAngle::all).size(),
                 2u);
         }},
        {"loose file",
         [&] { EXPECT_THROW(MetadataParser::scanLibrary({clip + "/clip-back.mp4"}), MetadataParserError); }},
    };
    for (const auto& [name, operation] : operations)
        EXPECT_TRUE(test::returnsPromptly(operation, fifo)) << name << " blocked on the FIFO";
}

// Only regular files with a real date are clips, and links to them: a stamp that is no real date,
// and a folder, FIFO or link to a folder named like a clip belong to no event. Every event's count
// agrees with its files.
TEST_F(MetadataParserTest, OnlyRegularFilesWithRealDatesAreClipsAndCountsAgree) {
    const QStringList impossible = {"2024-13-45_25-61-61-front.mp4", "2023-02-29_10-00-00-back.mp4"};
    // `names` and the impossible ones; named as other cameras' files of the first of `names` (09:00
    // without any): a folder, a FIFO, a link to a folder, and a link to that first file.
    auto files = [&](const QString& folder, const QStringList& names) {
        for (const QString& name : names + impossible)
            tmp.writeFile(folder + "/" + name);
        const QString first = folder + "/" + names.value(0, "2024-05-01_09-00-00-front.mp4");
        const auto as = [&](const char* camera) { return QString(first).replace("front", camera); };
        tmp.makeFolder(as("right_repeater") + "/inner");
        test::makeFifo(tmp / as("left_pillar"));
        QFile::link(tmp / folder, tmp / as("right_pillar"));
        QFile::link(tmp / first, tmp / as("left_repeater"));
    };
    files("TeslaCam/RecentClips",
          {"2024-05-01_10-00-00-front.mp4", "2024-05-01_10-00-00-back.mp4", "2024-05-01_10-01-00-front.mp4"});
    files("TeslaCam/SavedClips/2024-05-01_10-20-30", {});
    files("TeslaCam/SentryClips/2024-05-01_11-00-00", {"2024-05-01_11-00-00-front.mp4"});
    eventJson("TeslaCam/SentryClips/2024-05-01_11-00-00", R"({"timestamp":"2024-05-01T11:00:30"})");
    files("TeslaCam/SentryClips", {}); // loose files of a category folder
    files("imported", {"2024-05-01_12-00-00-front.mp4"});
    eventJson("imported", R"({"timestamp":"2024-05-01T12:00:30"})");

    const auto library = MetadataParser::scanLibrary({root, tmp / "imported"});
    EXPECT_EQ(listing(library).toStdString(), "recent RecentClips 05-01 10:00:00…05-01 10:01:00 ×2 session\n"
                                              "sentry 2024-05-01_11-00-00 05-01 11:00:00…05-01 11:00:00 ×1\n"
                                              "imported imported 05-01 12:00:00…05-01 12:00:00 ×1");
    for (const auto& [category, events] : library) {
        for (const TeslaClipEvent& event : events) {
            SCOPED_TRACE(event.folderURL.toStdString());
            const auto videos = MetadataParser::loadVideos(event, CameraAngle::all);
            EXPECT_EQ(event.videoCount, int(groupByMinute(videos).size()));
            EXPECT_EQ(MetadataParser::loadVideos(event, CameraAngle::leftRepeater).size(), 1u) << "the link";
            for (const TeslaVideoFile& video : videos)
                EXPECT_TRUE(QFileInfo(video.url).isFile() && !impossible.contains(video.fileName))
                    << video.fileName.toStdString();
            for (const QString& source : MetadataParser::sourceVideoURLs(event)) // what deleting moves
                EXPECT_TRUE(QFileInfo(source).isFile() && !impossible.contains(QFileInfo(source).fileName()))
                    << source.toStdString();
        }
    }
    // Chosen on its own it fails like any file without a usable time, event.json or not.
    EXPECT_THROW(MetadataParser::scanLibrary({tmp / "imported/2024-13-45_25-61-61-front.mp4"}),
                 MetadataParserError);
}

} // namespace
