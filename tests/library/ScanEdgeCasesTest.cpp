// What a careless or hostile drive (or user) hands the scanner: paths that cannot be read,
// special files named like clips or like event.json, names that are no real date.

#include "MetadataParser.h"
#include "MinuteGroups.h"
#include "TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace orvane;

namespace {

class ScanEdgeCasesTest : public testing::Test {
protected:
    test::ScopedTimeZone zone{"Asia/Shanghai"};
    test::TempFolder tmp;
    QString root() const { return tmp / "TeslaCam"; }
    void files(const QString& folder, const QStringList& names) {
        for (const QString& name : names)
            tmp.writeFile(folder + "/" + name);
    }
    static QStringList namesOf(const std::vector<TeslaVideoFile>& videos) {
        QStringList out;
        for (const auto& v : videos)
            out << v.fileName;
        out.sort();
        return out;
    }
};

TEST_F(ScanEdgeCasesTest, ChosenPathsThatCannotBeReadAreErrors) {
    files("TeslaCam/RecentClips", {"2024-05-01_10-00-00-front.mp4"});
    QStringList unreadable = {tmp / "does-not-exist", QString(), tmp.writeFile("elsewhere/TeslaCam", "not a folder"),
                              tmp.writeFile("notes.txt", "text"),
                              test::makeFifo(tmp / "2024-05-01_10-00-00-back.mp4")};
    if (geteuid() != 0) {
        const QString locked = tmp.makeFolder("locked");
        QFile::setPermissions(locked, QFile::Permissions());
        unreadable << locked;
    }
    for (const QString& path : unreadable) {
        for (const QStringList& chosen : {QStringList{path}, QStringList{root(), path}}) {
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
    QFile::setPermissions(tmp / "locked", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(MetadataParser::scanLibrary({tmp.makeFolder("empty")}).empty()) << "an empty folder is no error";
}

// An event.json that is a FIFO would block the scan for ever if it were opened for reading.
TEST_F(ScanEdgeCasesTest, EventJsonThatIsAFifoCountsAsAbsent) {
    const QString clip = tmp.makeFolder("TeslaCam/SavedClips/2024-05-01_10-20-30");
    files("TeslaCam/SavedClips/2024-05-01_10-20-30", {"2024-05-01_10-20-00-front.mp4", "clip-back.mp4"});
    const QString fifo = test::makeFifo(clip + "/event.json");
    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"scan", [&] { EXPECT_EQ(MetadataParser::scanLibrary({root()}).at(ClipCategory::saved).size(), 1u); }},
        {"metadata", [&] { EXPECT_FALSE(MetadataParser::loadMetadata(clip)); }},
        {"videos",
         [&] {
             const auto saved = MetadataParser::scanLibrary({clip});
             EXPECT_EQ(MetadataParser::loadVideos(saved.at(ClipCategory::saved).at(0), CameraAngle::all).size(), 1u);
         }},
        {"loose file", [&] { EXPECT_THROW(MetadataParser::scanLibrary({clip + "/clip-back.mp4"}), MetadataParserError); }},
    };
    for (const auto& [name, operation] : operations)
        EXPECT_TRUE(test::returnsPromptly(operation, fifo)) << name << " blocked on the FIFO";
}

// A name with the car's stamp that is no real date has no usable time: it belongs to no
// event, and every event's count agrees with the files it lists.
TEST_F(ScanEdgeCasesTest, NamesThatAreNoRealDateAreSkippedAndCountsAgree) {
    const QStringList impossible = {"2024-13-45_25-61-61-front.mp4", "2024-02-30_10-00-00-back.mp4",
                                    "2023-02-29_10-00-00-front.mp4", "2024-05-01_24-00-00-front.mp4"};
    files("TeslaCam/RecentClips", QStringList{"2024-05-01_10-00-00-front.mp4", "2024-05-01_10-00-00-back.mp4",
                                              "2024-05-01_10-01-00-front.mp4"} +
                                      impossible);
    files("TeslaCam/SavedClips/2024-05-01_10-20-30", impossible);
    files("TeslaCam/SentryClips/2024-05-01_11-00-00", QStringList{"2024-05-01_11-00-00-front.mp4"} + impossible);
    tmp.writeFile("TeslaCam/SentryClips/2024-05-01_11-00-00/event.json", R"({"timestamp":"2024-05-01T11:00:30"})");
    files("TeslaCam/SentryClips", impossible); // loose files of a category folder
    files("imported", QStringList{"2024-05-01_12-00-00-front.mp4"} + impossible);
    tmp.writeFile("imported/event.json", R"({"timestamp":"2024-05-01T12:00:30"})");

    const auto library = MetadataParser::scanLibrary({root(), tmp / "imported"});
    EXPECT_TRUE(library.at(ClipCategory::saved).empty()) << "a folder of impossible names has no event";
    ASSERT_EQ(library.at(ClipCategory::recent).size(), 1u);
    EXPECT_EQ(library.at(ClipCategory::recent)[0].videoCount, 2);
    ASSERT_EQ(library.at(ClipCategory::sentry).size(), 1u);
    ASSERT_EQ(library.at(ClipCategory::imported).size(), 1u);
    for (const auto& [category, events] : library) {
        for (const TeslaClipEvent& event : events) {
            const auto videos = MetadataParser::loadVideos(event, CameraAngle::all);
            EXPECT_EQ(event.videoCount, int(groupByMinute(videos).size())) << event.folderURL.toStdString();
            EXPECT_GT(event.startTime, distantPast);
            for (const QString& name : impossible) {
                EXPECT_FALSE(namesOf(videos).contains(name)) << name.toStdString();
                for (const QString& source : MetadataParser::sourceVideoURLs(event))
                    EXPECT_FALSE(source.endsWith("/" + name)) << "never deleted with an event it is not in";
            }
        }
    }
    // Chosen on its own it fails like any file without a usable time, event.json or not.
    try {
        MetadataParser::scanLibrary({tmp / "imported/2024-13-45_25-61-61-front.mp4"});
        FAIL();
    } catch (const MetadataParserError& e) {
        EXPECT_EQ(e.kind(), MetadataParserError::Kind::cannotParseTime);
    }
}

// Only regular files (or links to them) are clips; a folder or FIFO named like one is not.
TEST_F(ScanEdgeCasesTest, OnlyRegularFilesAreClips) {
    for (const char* folder : {"TeslaCam/RecentClips", "TeslaCam/SavedClips/2024-05-01_10-20-30"}) {
        files(folder, {"2024-05-01_10-00-00-front.mp4"});
        tmp.makeFolder(QString(folder) + "/2024-05-01_10-01-00-front.mp4");
        tmp.makeFolder(QString(folder) + "/2024-05-01_10-01-00-back.mp4/inner");
        test::makeFifo(tmp / folder + "/2024-05-01_10-02-00-front.mp4");
        QFile::link(tmp / folder + "/2024-05-01_10-00-00-front.mp4", tmp / folder + "/2024-05-01_10-00-00-back.mp4");
        QFile::link(tmp / folder + "/2024-05-01_10-01-00-front.mp4", tmp / folder + "/2024-05-01_10-03-00-back.mp4");
    }
    const auto library = MetadataParser::scanLibrary({root()});
    for (ClipCategory category : {ClipCategory::recent, ClipCategory::saved}) {
        ASSERT_EQ(library.at(category).size(), 1u);
        const TeslaClipEvent& event = library.at(category)[0];
        EXPECT_EQ(event.videoCount, 1);
        EXPECT_EQ(event.endTime.value_or(0), event.startTime);
        EXPECT_EQ(namesOf(MetadataParser::loadVideos(event, CameraAngle::all)),
                  (QStringList{"2024-05-01_10-00-00-back.mp4", "2024-05-01_10-00-00-front.mp4"}));
        EXPECT_EQ(MetadataParser::sourceVideoURLs(event).size(), 2);
    }
}

} // namespace
