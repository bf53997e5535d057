#include "PlayerTestSupport.h"

namespace orvane::test {

namespace {

std::optional<sample::FramePattern> readPattern(QVideoFrame frame) {
    if (!frame.isValid() || !frame.map(QVideoFrame::ReadOnly))
        return std::nullopt;
    auto pattern =
        sample::FramePattern::read(frame.bits(0), frame.bytesPerLine(0), frame.width(), frame.height());
    frame.unmap();
    return pattern;
}

} // namespace

SinkLog::SinkLog(QVideoSink& sink) {
    // No context object: the slot runs on the thread that delivers the frame.
    connection_ = QObject::connect(&sink, &QVideoSink::videoFrameChanged, [this](const QVideoFrame& frame) {
        const auto pattern = readPattern(frame).value_or(sample::FramePattern{-1, -1});
        std::lock_guard lock(mutex_);
        frames_.push_back(pattern);
        latest_ = frame;
    });
}

std::vector<sample::FramePattern> SinkLog::frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

size_t SinkLog::size() const {
    std::lock_guard lock(mutex_);
    return frames_.size();
}

std::optional<int> SinkLog::last() const {
    std::lock_guard lock(mutex_);
    return frames_.empty() ? std::nullopt : std::optional(frames_.back().frameIndex);
}

QByteArray SinkLog::lastLuma() const {
    QVideoFrame frame;
    {
        std::lock_guard lock(mutex_);
        frame = latest_;
    }
    QByteArray out;
    if (!frame.map(QVideoFrame::ReadOnly))
        return out;
    for (int y = 0; y < frame.height(); ++y)
        out.append(reinterpret_cast<const char*>(frame.bits(0)) + qsizetype(y) * frame.bytesPerLine(0),
                   frame.width());
    frame.unmap();
    return out;
}

void PlayerTest::SetUpTestSuite() {
    SharedClipTest::SetUpTestSuite();
    large = writeClip({.path = *folder / "large.mp4", .width = 640, .height = 480});
    back = writeClip({.path = *folder / "back.mp4", .camera = CameraAngle::back, .seconds = 2});
    broken = writeClip(
        {.path = *folder / "cut.mp4", .width = 64, .height = 48, .damage = sample::Damage::truncated});
}

media::AbstractMediaPlayer::ItemStatus PlayerTest::open(media::MediaPlayer& player, const QString& path) {
    player.replaceCurrentItem(path);
    using Status = media::AbstractMediaPlayer::ItemStatus;
    EXPECT_TRUE(waitUntil([&] { return player.itemStatus() != Status::loading; })) << path.toStdString();
    return player.itemStatus();
}

bool PlayerTest::seekAndWait(double time, double before, double after) {
    std::optional<bool> finished;
    player.seek(time, before, after, [&](bool f) { finished = f; });
    EXPECT_TRUE(waitUntil([&] { return finished.has_value(); })) << time;
    return finished.value_or(false);
}

} // namespace orvane::test
