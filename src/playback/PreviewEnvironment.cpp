#include "PreviewEnvironment.h"

#include "LatestRequest.h"
#include "MediaPlayer.h"
#include "VideoSegmentPlaylist.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

namespace orvane {

namespace {

// The cells' players share two cores: one decoder thread each, but two for a big front camera,
// which otherwise falls behind the others. A cell shows a camera's picture at a fraction of its
// size, so while playing the deblocking filter's work is not seen and its pictures are reduced
// to the size shown; fewer frames wait per cell. Six decoders outnumber the threads that draw
// the window, so they yield to them: a cell has frames queued to wait with, a late window frame
// has none.
media::MediaPlayer::Options cellPlayerOptions() {
    constexpr int cellQueuedFrames = 3;
    constexpr int cellDecoderNiceness = 3;
    media::MediaPlayer::Options options;
    options.decoderThreads = 1;
    options.largeFrameDecoderThreads = 2;
    options.skipLoopFilter = true;
    options.queuedFrames = cellQueuedFrames;
    options.reduceToShownWidth = true;
    options.decoderNiceness = cellDecoderNiceness;
    return options;
}

// One camera alone: a picture recorded at twice the width it is shown at (the newer cars' front
// camera in a laptop's window) waits, and is copied and uploaded, at half its size while playing.
media::MediaPlayer::Options singlePlayerOptions() {
    media::MediaPlayer::Options options;
    options.reduceToShownWidth = true;
    return options;
}

} // namespace

PreviewEnvironment PreviewEnvironment::standard(QThreadPool* pool) {
    PreviewEnvironment environment;
    environment.makePlayer = [] { return std::make_unique<media::MediaPlayer>(singlePlayerOptions()); };
    environment.makeCellPlayer = [] { return std::make_unique<media::MediaPlayer>(cellPlayerOptions()); };
    if (!pool)
        pool = QThreadPool::globalInstance();
    environment.measureSteps = [pool](std::vector<PlaybackStep> steps,
                                      std::function<void(StepDurations)> done) {
        runInBackground(
            pool, QCoreApplication::instance(),
            [steps = std::move(steps)] { return VideoSegmentPlaylist::loadStepDurations(steps); },
            [done = std::move(done)](StepDurations durations) { done(std::move(durations)); });
    };
    environment.schedule = [](int milliseconds, std::function<void()> action) -> Cancel {
        auto* timer = new QTimer;
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, action = std::move(action)] {
            timer->deleteLater();
            action();
        });
        timer->start(milliseconds);
        return [guard = QPointer<QTimer>(timer)] {
            if (guard) {
                guard->stop();
                guard->deleteLater();
            }
        };
    };
    return environment;
}

} // namespace orvane
