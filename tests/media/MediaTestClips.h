#pragma once

#include "SampleDrive.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <optional>

namespace orvane::test {

// A sample clip (frame pattern in every picture) written under `folder`.
QString writeTestClip(const QString& folder, const QString& name, double seconds = 2, int width = 160, int height = 120,
                      sample::Damage damage = sample::Damage::none, CameraAngle camera = CameraAngle::front);

// A clip whose first frame carries the timestamp `firstFrame` / fps (pattern numbers start there).
QString writeOffsetClip(const QString& path, int firstFrame, int frames, int fps = 36);

// The frame index drawn into a picture (any size, upright), if readable.
std::optional<int> patternFrame(const QImage& image);

// A suite sharing one 2-second, 72-frame sample clip, written once for all its tests.
class SharedClipTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new TempFolder;
        clip = new QString(writeTestClip(folder->path(), QStringLiteral("clip.mp4"), 2));
    }
    static void TearDownTestSuite() {
        delete clip;
        delete folder;
    }
    static inline TempFolder* folder = nullptr;
    static inline QString* clip = nullptr;
};

} // namespace orvane::test
