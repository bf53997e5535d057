// What the suites reading the sample drive (its patterns at every size, its telemetry through the
// reader's byte-checked framing) would not notice broken: files made like the car's, repeatably.

#include "SampleClips.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace orvane;

namespace {

TEST(SampleDriveTest, FilesAreHighProfileH264WithTheAskedSizeAndRateAndRepeatable) {
    test::TempFolder tmp;
    const sample::ClipSpec spec{
        .path = tmp / "a-back.mp4", .camera = CameraAngle::back, .width = 288, .height = 186, .seconds = 2};
    const QString path = test::writeClip(spec);
    const auto json = test::runProgram(
        "ffprobe", {"-v", "error", "-select_streams", "v:0", "-count_frames", "-show_entries",
                    "stream=codec_name,profile,width,height,r_frame_rate,pix_fmt,"
                    "has_b_frames,nb_read_frames",
                    "-of", "json", path});
    ASSERT_TRUE(json) << "ffprobe failed";
    const QJsonObject stream = QJsonDocument::fromJson(*json).object()["streams"].toArray()[0].toObject();
    EXPECT_EQ(
        QJsonDocument(stream).toJson(QJsonDocument::Compact).toStdString(),
        R"({"codec_name":"h264","has_b_frames":0,"height":186,"nb_read_frames":"72","pix_fmt":"yuv420p",)"
        R"("profile":"High","r_frame_rate":"36/1","width":288})");
    // The same seed writes the same bytes.
    sample::ClipSpec again = spec;
    again.path = tmp / "b-back.mp4";
    EXPECT_EQ(test::digest(test::writeClip(again)), test::digest(path));
}

} // namespace
