// What a clip is, told by its content (the car's encrypted container, a power cut's stub), and
// exact seeks by each file's own timing: 30 frames a second, and frames at an uneven pace.

#include "ClipSource.h"
#include "FrameGrabber.h"
#include "MediaProbe.h"
#include "MediaTestClips.h"
#include "VideoDecoder.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::media;
using test::patternFrame;

namespace {

class ClipTimingTest : public test::SharedClipTest {
protected:
    sample::ClipSpec spec(const char* name, double fps, bool uneven) const {
        return {.path = *folder / name,
                .width = 160,
                .height = 120,
                .framesPerSecond = fps,
                .seconds = 1,
                .unevenTiming = uneven};
    }
};

// Encrypted and stub files are refused with the words the user sees before FFmpeg guesses at
// them; an MP4 cut short still opens as an MP4 (the decoder reports what it lacks).
TEST_F(ClipTimingTest, AClipIsToldByItsContentNotItsName) {
    const struct {
        sample::Damage damage;
        ClipKind kind;
        const char* refusal; // the start of what probing says; empty: it opens
    } cases[] = {
        {sample::Damage::none, ClipKind::mp4, ""},
        {sample::Damage::truncated, ClipKind::mp4, "cannot open"},
        {sample::Damage::encrypted, ClipKind::encrypted, "这段录像已被车辆加密"},
        {sample::Damage::powerCutStub, ClipKind::stub, "这一分钟的文件在录制时中断"},
        {sample::Damage::zeroBytes, ClipKind::stub, "这一分钟的文件在录制时中断"},
    };
    for (const auto& c : cases) {
        const QString path =
            test::writeClip({.path = *folder / QString("kind%1-front.mp4").arg(int(c.damage)),
                             .width = 64,
                             .height = 48,
                             .damage = c.damage});
        EXPECT_EQ(ClipSource::inspect(path), c.kind) << int(c.damage);
        std::string refusal;
        try {
            MediaProbe::probe(path);
        } catch (const MediaError& e) {
            refusal = e.what();
        }
        EXPECT_TRUE(QString::fromStdString(refusal).startsWith(c.refusal)) << refusal;
    }
    // Neither an MP4 nor the container: a file of another kind is not taken for encrypted footage.
    EXPECT_EQ(ClipSource::classify(QByteArray(64, 'x'), 1 << 20), ClipKind::unknown);
}

// Frame k is shown from its own time until the next frame's: times inside a frame and on its
// first instant land on it, at 30 frames a second and at an uneven pace, forwards and back.
TEST_F(ClipTimingTest, ExactSeeksFollowTheFilesOwnFrameTimes) {
    for (const bool uneven : {false, true}) {
        const sample::ClipSpec clipSpec = spec(uneven ? "uneven.mp4" : "thirty.mp4", 30, uneven);
        VideoDecoder decoder(test::writeClip(clipSpec));
        for (const int frame : {0, 7, 2, 29, 13, 14, 1}) {
            const double start = sample::frameTime(clipSpec, frame);
            const double length = sample::frameTime(clipSpec, frame + 1) - start;
            for (const double time : {start, start + 0.8 * length}) {
                SCOPED_TRACE(
                    QString("uneven %1 frame %2 at %3").arg(uneven).arg(frame).arg(time).toStdString());
                ASSERT_TRUE(decoder.seekExact(time));
                EXPECT_EQ(patternFrame(decoder.toImage()), frame);
                EXPECT_NEAR(decoder.frameTime(), start, 1e-4);
            }
        }
        EXPECT_TRUE(decoder.seekExact(sample::frameTime(clipSpec, 20)));
        ASSERT_TRUE(decoder.previous());
        EXPECT_EQ(patternFrame(decoder.toImage()), 19);
        ASSERT_TRUE(decoder.next());
        EXPECT_EQ(patternFrame(decoder.toImage()), 20);
        const std::vector<double> times = MediaProbe::frameTimes(clipSpec.path);
        ASSERT_EQ(times.size(), 30u);
        EXPECT_NEAR(times[11], sample::frameTime(clipSpec, 11), 1e-4);
    }
}

} // namespace
