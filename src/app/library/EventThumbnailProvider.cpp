#include "EventThumbnailProvider.h"

#include "EventThumbnailLoader.h"
#include "EventThumbnailSource.h"
#include "ThumbnailDiskCache.h"

#include <QCoreApplication>
#include <QRunnable>
#include <atomic>

namespace orvane {

namespace {

class ThumbnailResponse;

// What a queued decode and its response share. The response may be deleted by the engine at
// any time after it reported finished(), so the worker reaches it only through this, under
// the lock; the response unlinks itself when cancelled or destroyed.
struct Request {
    QMutex mutex;
    ThumbnailResponse* response = nullptr;
};

class ThumbnailResponse : public QQuickImageResponse {
public:
    ThumbnailResponse() : request_(std::make_shared<Request>()) { request_->response = this; }
    ~ThumbnailResponse() override {
        QMutexLocker lock(&request_->mutex);
        request_->response = nullptr;
    }
    QQuickTextureFactory* textureFactory() const override {
        return QQuickTextureFactory::textureFactoryForImage(image_);
    }
    QString errorString() const override { return error_; }
    // The engine no longer wants the picture: a request still queued is never decoded; the
    // engine is told at once (it deletes the response on finished()).
    void cancel() override {
        {
            QMutexLocker lock(&request_->mutex);
            request_->response = nullptr;
        }
        finish({}, QStringLiteral("cancelled"));
    }

    std::shared_ptr<Request> request() const { return request_; }
    // Reports the outcome once; later calls do nothing.
    void finish(const QImage& image, const QString& error) {
        if (finished_.exchange(true))
            return;
        image_ = image;
        error_ = error;
        emit finished();
    }

private:
    std::shared_ptr<Request> request_;
    std::atomic<bool> finished_{false};
    QImage image_;
    QString error_;
};

bool isWanted(Request& request) {
    QMutexLocker lock(&request.mutex);
    return request.response != nullptr;
}

// Hands the outcome to the response if it still exists, in the response's own thread: the
// engine connects to finished() only after requestImageResponse returns, and a report made
// from a worker before that would be lost.
void deliver(Request& request, const QImage& image, const QString& error) {
    QMutexLocker lock(&request.mutex);
    if (ThumbnailResponse* response = request.response)
        QMetaObject::invokeMethod(
            response, [response, image, error] { response->finish(image, error); }, Qt::QueuedConnection);
}

QImage fitted(const QImage& image, const QSize& requested) {
    if (!requested.isValid() || requested.isEmpty() || image.isNull())
        return image;
    if (image.width() <= requested.width() && image.height() <= requested.height())
        return image;
    return image.scaled(requested, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

EventThumbnailProvider::EventThumbnailProvider()
    : EventThumbnailProvider(
          [](const TeslaClipEvent& event) {
              return ThumbnailDiskCache::image(event, &EventThumbnailLoader::image);
          },
          defaultThreads, defaultCacheKilobytes) {}

EventThumbnailProvider::EventThumbnailProvider(Loader loader, int threads, qsizetype cacheKilobytes)
    : shared_(std::make_shared<Shared>()) {
    shared_->loader = std::move(loader);
    shared_->cache.setMaxCost(cacheKilobytes);
    pool_.setMaxThreadCount(threads);
}

EventThumbnailProvider::~EventThumbnailProvider() {
    pool_.clear();
    pool_.waitForDone();
}

void EventThumbnailProvider::waitForIdle() {
    pool_.waitForDone();
}

QQuickImageResponse* EventThumbnailProvider::requestImageResponse(const QString& id,
                                                                  const QSize& requestedSize) {
    auto* response = new ThumbnailResponse;
    const auto answerLater = [response](const QImage& image, const QString& error) {
        deliver(*response->request(), image, error);
        return response;
    };
    const std::optional<TeslaClipEvent> event = EventThumbnailSource::parse(id);
    if (!event)
        return answerLater({}, QCoreApplication::translate("EventThumbnailProvider", "无法生成预览"));
    {
        QMutexLocker lock(&shared_->mutex);
        if (const QImage* cached = shared_->cache.object(id))
            return answerLater(fitted(*cached, requestedSize), {});
    }
    std::shared_ptr<Shared> shared = shared_;
    std::shared_ptr<Request> request = response->request();
    pool_.start(QRunnable::create([shared, request, id, event = *event, requestedSize] {
        if (!isWanted(*request))
            return; // the card went away while this waited its turn
        QImage image;
        try {
            image = shared->loader(event);
        } catch (const std::exception&) {
        }
        if (image.isNull()) {
            deliver(*request, {}, QCoreApplication::translate("EventThumbnailProvider", "无法生成预览"));
            return;
        }
        {
            QMutexLocker lock(&shared->mutex);
            shared->cache.insert(id, new QImage(image), qsizetype(image.sizeInBytes() / 1024) + 1);
        }
        deliver(*request, fitted(image, requestedSize), {});
    }));
    return response;
}

} // namespace orvane
