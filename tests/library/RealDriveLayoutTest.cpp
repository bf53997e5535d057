// Every layout real drives have, scanned from TeslaCam; the latest event of a category as one line.

#include "MetadataParser.h"
#include "SampleDrive.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

struct LayoutCase {
    const char* name;
    // Under TeslaCam; "enc " before a name: the car's encrypted container; "name=text": its content.
    std::vector<const char*> files;
    ClipCategory category;
    // "<events> <latest's start> ×<its minutes> files <its files> back <back files> encrypted <events>"
    const char* expected;
};

const LayoutCase layoutCases[] = {
    {"an archive's day folders of recent footage",
     {"RecentClips/2024-05-01/2024-05-01_08-00-00-front.mp4",
      "RecentClips/2024-05-01/2024-05-01_08-01-00-front.mp4",
      "RecentClips/2024-05-02/2024-05-02_09-00-00-back.mp4"},
     ClipCategory::recent,
     "2 05-02 09:00:00 ×1 files 1 back 1 encrypted 0"},
    {"names without seconds and the 2019 rear camera",
     {"SavedClips/2019-05-01_10-21-00/2019-05-01_10-20-front.mp4",
      "SavedClips/2019-05-01_10-21-00/2019-05-01_10-20-rear_view.mp4",
      "SavedClips/2019-05-01_10-21-00/2019-05-01_10-19-front.mp4"},
     ClipCategory::saved,
     "1 05-01 10:19:00 ×2 files 3 back 1 encrypted 0"},
    {"an upper-case extension",
     {"SentryClips/2024-05-01_11-00-00/2024-05-01_10-59-00-front.MP4",
      "SentryClips/2024-05-01_11-00-00/2024-05-01_10-59-00-back.MP4"},
     ClipCategory::sentry,
     "1 05-01 10:59:00 ×1 files 2 back 1 encrypted 0"},
    {"repair and other-computer leftovers are no minutes",
     {"SavedClips/2024-05-01_12-00-00/2024-05-01_11-58-00-back.mp4",
      "SavedClips/2024-05-01_12-00-00/2024-05-01_11-59-00-front.mp4",
      "SavedClips/2024-05-01_12-00-00/2025-0~2.MP4", "SavedClips/2024-05-01_12-00-00/FSCK0000.REC",
      "SavedClips/2024-05-01_12-00-00/._2024-05-01_11-58-00-front.mp4",
      "SavedClips/2024-05-01_12-00-00/.DS_Store",
      "SavedClips/2024-05-01_12-00-00/System Volume Information/x.mp4",
      R"(SavedClips/2024-05-01_12-00-00/event.json={"timestamp":"2024-05-01T11:59:42"})",
      "SavedClips/$RECYCLE.BIN/2024-05-01_11-00-00-front.mp4", "System Volume Information/IndexerVolumeGuid"},
     ClipCategory::saved,
     "1 05-01 11:58:00 ×2 files 2 back 1 encrypted 0"},
    {"encrypted recordings beside plain ones, told by content",
     {"enc SentryClips/2024-05-01_15-00-00/2024-05-01_14-59-00-back.mp4",
      "EncryptedClips/SentryClips/2024-05-01_14-00-00/2024-05-01_13-59-00-back.mp4"},
     ClipCategory::sentry,
     "2 05-01 14:59:00 ×1 files 1 back 1 encrypted 1"},
};

class RealDriveLayoutTest : public testing::TestWithParam<LayoutCase> {
protected:
    test::ScopedTimeZone zone{"Asia/Shanghai"};
    test::TempFolder tmp;
};

TEST_P(RealDriveLayoutTest, TheEventIsListedWithItsTimeAndFiles) {
    const LayoutCase& c = GetParam();
    for (QString file : c.files) {
        const bool encrypted = file.startsWith("enc ");
        const QStringList nameAndText = file.mid(encrypted ? 4 : 0).split('=');
        const QString path = tmp.writeFile("TeslaCam/" + nameAndText[0], nameAndText.value(1).toUtf8());
        if (encrypted)
            sample::writeClip({.path = path, .seconds = 0.05, .damage = sample::Damage::encrypted});
    }
    const EventsByCategory library = MetadataParser::scanLibrary({tmp / "TeslaCam"});
    const auto found = library.find(c.category);
    ASSERT_NE(found, library.end()) << c.name;
    const TeslaClipEvent& latest = found->second.front();
    const auto encrypted = std::count_if(found->second.begin(), found->second.end(),
                                         [](const TeslaClipEvent& e) { return e.isEncrypted; });
    const QString line = QStringLiteral("%1 %2 ×%3 files %4 back %5 encrypted %6")
                             .arg(found->second.size())
                             .arg(LocalTime::format(latest.startTime, "MM-dd HH:mm:ss"))
                             .arg(latest.videoCount)
                             .arg(MetadataParser::loadVideos(latest, CameraAngle::all).size())
                             .arg(MetadataParser::loadVideos(latest, CameraAngle::back).size())
                             .arg(encrypted);
    EXPECT_EQ(line.toStdString(), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Layouts, RealDriveLayoutTest, testing::ValuesIn(layoutCases));

// event.json's reason, camera and street in words; a key of an unexpected type costs nothing else.
TEST(EventReasonTest, TheCarsWordsBecomeTheUsers) {
    struct Case {
        const char* json;
        const char* words; // reason; camera; place
    };
    const Case cases[] = {
        {R"({"reason":"sentry_aware_accel_0.532005","camera":"3"})",
         "哨兵模式：检测到车身震动（0.53 g）;right_repeater;"},
        {R"({"reason":"user_interaction_honk","camera":5,"city":"上海","street":"世纪大道"})",
         "鸣笛保存;right_pillar;上海 · 世纪大道"},
        {R"({"timestamp":"2024-05-01T10:20:42","reason":"new_reason","camera":"9","street":["x"],"city":"杭州"})",
         "new_reason;;杭州"},
    };
    for (const Case& c : cases) {
        const auto m = EventMetadata::decode(c.json);
        ASSERT_TRUE(m) << c.json;
        const auto camera = m->triggerCamera();
        const QString words = m->reasonText().value_or("") + ";" + (camera ? Camera::rawValue(*camera) : "") +
                              ";" + m->locationLine().value_or("");
        EXPECT_EQ(words.toStdString(), c.words) << c.json;
    }
}

} // namespace
