// An encrypted clip whose key is known reads as the plain clip it holds: the same frames, the same
// description and the same telemetry; without its key it stays locked, in the user's words.

#include "ClipSource.h"
#include "FrameGrabber.h"
#include "KeyRing.h"
#include "MediaError.h"
#include "MediaProbe.h"
#include "SampleClips.h"
#include "TeslaTelemetryReader.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::media;

namespace {

TEST(EncryptedClipTest, ReadsAsThePlainClipOnceItsKeyIsKnown) {
    test::TempFolder tmp;
    const QString plain =
        test::writeClip({.path = tmp / "plain-front.mp4", .width = 64, .height = 48, .seconds = 2});
    const QString sealed = test::writeContainerOf(plain, tmp / "sealed-front.mp4");
    EXPECT_EQ(ClipSource::inspect(sealed), ClipKind::encrypted);
    EXPECT_THROW(MediaProbe::probe(sealed), EncryptedClipError);
    try {
        TeslaTelemetryReader::read(sealed);
        ADD_FAILURE() << "telemetry of a locked clip";
    } catch (const TeslaTelemetryReaderError& e) {
        EXPECT_EQ(e.kind(), TeslaTelemetryReaderError::Kind::encrypted);
    }

    test::unlock(sealed);
    EXPECT_EQ(ClipSource::inspect(sealed), ClipKind::unlocked);
    const MediaInfo a = MediaProbe::probe(plain), b = MediaProbe::probe(sealed);
    EXPECT_EQ(std::tie(a.duration, a.width, a.height, a.frameRate, a.bitRate),
              std::tie(b.duration, b.width, b.height, b.frameRate, b.bitRate));
    // Exact frames near the start, mid-way after a seek, and the last one.
    for (double time : {0.0, 1.03, 1.98}) {
        const FrameRequest request{.time = time, .toleranceBefore = 0, .toleranceAfter = 0, .maxSize = {}};
        const GrabbedFrame p = FrameGrabber::grab(plain, request), s = FrameGrabber::grab(sealed, request);
        EXPECT_EQ(p.actualTime, s.actualTime) << time;
        EXPECT_TRUE(p.image == s.image) << time;
    }
    const auto plainSamples = TeslaTelemetryReader::read(plain),
               sealedSamples = TeslaTelemetryReader::read(sealed);
    ASSERT_EQ(plainSamples.size(), sealedSamples.size());
    EXPECT_FALSE(plainSamples.empty());
    for (size_t i = 0; i < plainSamples.size(); ++i)
        EXPECT_EQ(plainSamples[i].frameSequenceNumber, sealedSamples[i].frameSequenceNumber);
    crypto::KeyRing::instance().clear();
}

} // namespace
