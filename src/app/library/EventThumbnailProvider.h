#pragma once
// Serves "image://eventthumb/…" (EventThumbnailSource) to QML: decodes each card's picture on a
// small thread pool, keeps recent pictures in a bounded cache, and never decodes a request
// whose card went away before its turn came. Any thread (the engine calls it from its reader).

#include "TeslaClipEvent.h"

#include <QCache>
#include <QImage>
#include <QMutex>
#include <QQuickAsyncImageProvider>
#include <QThreadPool>
#include <functional>
#include <memory>

namespace orvane {

class EventThumbnailProvider : public QQuickAsyncImageProvider {
public:
    using Loader = std::function<QImage(const TeslaClipEvent&)>;

    // Decodes with EventThumbnailLoader::image, through the pictures kept on disk.
    EventThumbnailProvider();
    // `loader` runs on the provider's pool (tests inject a scripted one); `threads` workers.
    EventThumbnailProvider(Loader loader, int threads, qsizetype cacheKilobytes);
    ~EventThumbnailProvider() override;

    QQuickImageResponse* requestImageResponse(const QString& id, const QSize& requestedSize) override;

    // Waits until no request is running (tests and shutdown).
    void waitForIdle();

    // A slow USB stick serves one file at a time best; two keep a card grid moving.
    static constexpr int defaultThreads = 2;
    // About 50 pictures of 760 × 428.
    static constexpr qsizetype defaultCacheKilobytes = 64 * 1024;

private:
    struct Shared {
        Loader loader;
        QMutex mutex;
        QCache<QString, QImage> cache;
    };
    std::shared_ptr<Shared> shared_;
    QThreadPool pool_;
};

} // namespace orvane
