#pragma once

#include "SampleClips.h"
#include "TestSupport.h"

#include <QImage>
#include <QString>
#include <gtest/gtest.h>
#include <optional>

namespace orvane::test {

// A clip whose first frame carries the timestamp `firstFrame` / fps (pattern numbers start there).
QString writeOffsetClip(const QString& path, int firstFrame, int frames, int fps = 36);

// The frame index drawn into a picture (any size, upright), if readable.
std::optional<int> patternFrame(const QImage& image);

// A suite sharing the clips it reads, written once: a 2-second 320 × 240 front clip of 72
// frames with key frames at 0 and 1 s, and whatever a suite adds in its own SetUpTestSuite.
class SharedClipTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder.emplace();
        clip = writeClip({.path = *folder / "clip.mp4", .width = 320, .height = 240, .seconds = 2});
    }
    static void TearDownTestSuite() { folder.reset(); }
    static inline std::optional<TempFolder> folder;
    static inline QString clip;
};

} // namespace orvane::test
