#include "VideoSinkBinder.h"

#include <QPointer>
#include <QVideoSink>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace orvane;

namespace {

// Plays into whatever sink it is given, like a controller.
class FakeTarget : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE void setVideoSink(QVideoSink* sink) {
        // A sink taken back must still be whole at that moment.
        previousAliveWhenReplaced.push_back(!current.isNull());
        current = sink;
        calls.push_back(sink);
    }
    QPointer<QVideoSink> current;
    std::vector<QVideoSink*> calls;
    std::vector<bool> previousAliveWhenReplaced;
};

TEST(VideoSinkBinderTest, HandsTheSinkOverAndTakesItBack) {
    FakeTarget target;
    QVideoSink first, second;
    auto binder = std::make_unique<VideoSinkBinder>();
    binder->setVideoSink(&first);
    EXPECT_TRUE(target.calls.empty());
    binder->setTarget(&target);
    EXPECT_TRUE(binder->attached());
    EXPECT_EQ(target.current, &first);
    binder->setVideoSink(&second);
    EXPECT_EQ(target.calls, (std::vector<QVideoSink*>{&first, nullptr, &second}));
    binder.reset();
    EXPECT_EQ(target.current, nullptr);
}

TEST(VideoSinkBinderTest, AViewThatTookOverKeepsItsSink) {
    FakeTarget target;
    QVideoSink oldSink, newSink;
    auto oldView = std::make_unique<VideoSinkBinder>();
    oldView->setTarget(&target);
    oldView->setVideoSink(&oldSink);
    VideoSinkBinder newView;
    newView.setTarget(&target);
    newView.setVideoSink(&newSink);
    oldView.reset(); // the replaced view goes away after the new one attached
    EXPECT_EQ(target.current, &newSink);
    EXPECT_TRUE(newView.attached());
}

TEST(VideoSinkBinderTest, DetachesWhileTheOutputsSinkIsStillWhole) {
    FakeTarget target;
    VideoSinkBinder binder;
    auto* output = new QObject; // stands in for a VideoOutput owning its sink
    auto* sink = new QVideoSink(output);
    binder.setTarget(&target);
    binder.setVideoSink(sink);
    delete output;
    ASSERT_EQ(target.calls.size(), 2u);
    EXPECT_EQ(target.calls.back(), nullptr);
    EXPECT_TRUE(target.previousAliveWhenReplaced.back());
    EXPECT_FALSE(binder.attached());
}

TEST(VideoSinkBinderTest, ATargetThatGoesAwayFirstIsLeftAlone) {
    QVideoSink sink;
    VideoSinkBinder binder;
    {
        FakeTarget target;
        binder.setTarget(&target);
        binder.setVideoSink(&sink);
    }
    EXPECT_EQ(binder.target(), nullptr);
    FakeTarget next; // may reuse the address; the old binding must not reach it
    VideoSinkBinder other;
    other.setTarget(&next);
    other.setVideoSink(&sink);
    binder.setVideoSink(nullptr);
    EXPECT_EQ(next.current, &sink);
}

} // namespace

#include "VideoSinkBinderTest.moc"
