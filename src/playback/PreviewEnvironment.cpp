#include "PreviewEnvironment.h"

#include "MediaPlayer.h"
#include "VideoSegmentPlaylist.h"

#include <QCoreApplication>
#include <QFuture>
#include <QPointer>
#include <QTimer>
#include <QtConcurrent>

namespace orvane {

PreviewEnvironment PreviewEnvironment::standard(QThreadPool* pool) {
    PreviewEnvironment environment;
    environment.makePlayer = [] { return std::make_unique<media::MediaPlayer>(); };
    if (!pool)
        pool = QThreadPool::globalInstance();
    environment.measureSteps = [pool](std::vector<PlaybackStep> steps,
                                      std::function<void(StepDurations)> done) {
        QtConcurrent::run(pool, [steps = std::move(steps)] {
            return VideoSegmentPlaylist::loadStepDurations(steps);
        }).then(QCoreApplication::instance(), [done = std::move(done)](StepDurations durations) {
            done(std::move(durations));
        });
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
