// Stepping frame by frame by each file's own timing: no frame skipped or shown twice at 30
// frames a second or at an uneven pace, forwards and back.

#include "PlayerTestSupport.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

class PlayerStepTest : public test::PlayerTest {};

TEST_F(PlayerStepTest, EveryStepShowsTheNextOrPreviousFrame) {
    for (const bool uneven : {false, true}) {
        const sample::ClipSpec spec{.path = *folder / (uneven ? "step-uneven.mp4" : "step-thirty.mp4"),
                                    .framesPerSecond = 30,
                                    .unevenTiming = uneven};
        ASSERT_EQ(open(player, test::writeClip(spec)), media::AbstractMediaPlayer::ItemStatus::readyToPlay);
        ASSERT_TRUE(seekAndWait(sample::frameTime(spec, 10)));
        for (const auto& [count, frame] : {std::pair{1, 11}, {1, 12}, {1, 13}, {-1, 12}, {-2, 10}, {3, 13}}) {
            player.stepFrames(count);
            EXPECT_TRUE(test::waitUntil([&] { return log.last() == frame; }))
                << "uneven " << uneven << " step " << count << " showed " << log.last().value_or(-1);
            EXPECT_NEAR(player.currentTime(), sample::frameTime(spec, frame), 1e-4);
        }
    }
}

} // namespace
