// The cards' pictures: decoded off the interface thread, fitted, cached, and never decoded for
// cards scrolled away before their turn.

#include "EventThumbnailProvider.h"

#include "EventThumbnailSource.h"

#include <QMutex>
#include <QSemaphore>
#include <QTest>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>

using namespace orvane;

namespace {

TeslaClipEvent eventIn(const QString& folder, Instant start = 1714558800) {
    TeslaClipEvent e;
    e.folderURL = folder;
    e.startTime = start;
    return e;
}

// Waits (running the event loop) until the response has reported.
bool waitFinished(QQuickImageResponse* response) {
    auto reports = std::make_shared<int>(0);
    QObject::connect(
        response, &QQuickImageResponse::finished, response, [reports] { ++*reports; }, Qt::QueuedConnection);
    return QTest::qWaitFor([reports] { return *reports > 0; }, 10000);
}

QImage imageOf(QQuickImageResponse* response) {
    std::unique_ptr<QQuickTextureFactory> factory(response->textureFactory());
    return factory ? factory->image() : QImage();
}

TEST(EventThumbnailProviderTest, DecodesOffTheInterfaceThreadAndCaches) {
    std::atomic<int> calls = 0;
    std::atomic<QThread*> decodedOn = nullptr;
    EventThumbnailProvider provider(
        [&](const TeslaClipEvent& event) {
            ++calls;
            decodedOn = QThread::currentThread();
            return event.folderURL == QLatin1String("/broken") ? QImage()
                                                               : QImage(640, 360, QImage::Format_RGB32);
        },
        2, 1024 * 1024);
    const QString id = EventThumbnailSource::url(eventIn(QStringLiteral("/cards/a"))).mid(19);

    std::unique_ptr<QQuickImageResponse> first(provider.requestImageResponse(id, QSize(320, 320)));
    ASSERT_TRUE(waitFinished(first.get()));
    EXPECT_NE(decodedOn.load(), QThread::currentThread());
    EXPECT_TRUE(first->errorString().isEmpty());
    EXPECT_EQ(imageOf(first.get()).size(), QSize(320, 180)); // fitted to the requested size

    std::unique_ptr<QQuickImageResponse> again(provider.requestImageResponse(id, QSize()));
    ASSERT_TRUE(waitFinished(again.get()));
    EXPECT_EQ(imageOf(again.get()).size(), QSize(640, 360));
    EXPECT_EQ(calls, 1); // served from the cache

    const QString brokenId = EventThumbnailSource::url(eventIn(QStringLiteral("/broken"))).mid(19);
    std::unique_ptr<QQuickImageResponse> broken(provider.requestImageResponse(brokenId, QSize()));
    ASSERT_TRUE(waitFinished(broken.get()));
    EXPECT_EQ(broken->errorString(), QStringLiteral("无法生成预览"));

    std::unique_ptr<QQuickImageResponse> nonsense(
        provider.requestImageResponse(QStringLiteral("v1/%%%"), QSize()));
    ASSERT_TRUE(waitFinished(nonsense.get()));
    EXPECT_FALSE(nonsense->errorString().isEmpty());
    provider.waitForIdle();
    EXPECT_EQ(calls, 2);
}

TEST(EventThumbnailProviderTest, CardsScrolledAwayAreNeverDecoded) {
    QSemaphore release;
    std::atomic<int> started = 0;
    std::vector<QString> decoded;
    QMutex decodedMutex;
    EventThumbnailProvider provider(
        [&](const TeslaClipEvent& event) {
            ++started;
            if (event.folderURL == QLatin1String("/cards/0"))
                release.acquire(); // the first card is slow, the others wait behind it
            QMutexLocker lock(&decodedMutex);
            decoded.push_back(event.folderURL);
            return QImage(8, 8, QImage::Format_RGB32);
        },
        1, 1024);
    std::vector<QQuickImageResponse*> responses;
    for (int i = 0; i < 4; ++i)
        responses.push_back(provider.requestImageResponse(
            EventThumbnailSource::url(eventIn(QStringLiteral("/cards/%1").arg(i))).mid(19), QSize()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return started == 1; }, 5000));

    // Cards 1 and 2 scroll away: the engine cancels and, once told, deletes their responses.
    int cancelledReports = 0;
    for (int i : {1, 2}) {
        QObject::connect(responses[i], &QQuickImageResponse::finished, [&] { ++cancelledReports; });
        responses[i]->cancel();
        responses[i]->cancel(); // a second cancel reports nothing more
        delete responses[i];
    }
    EXPECT_EQ(cancelledReports, 2);
    // Cancelling the one already decoding is harmless; its result is simply dropped.
    int firstReports = 0;
    QObject::connect(responses[0], &QQuickImageResponse::finished, [&] { ++firstReports; });
    responses[0]->cancel();
    delete responses[0];
    release.release();

    ASSERT_TRUE(waitFinished(responses[3]));
    provider.waitForIdle();
    EXPECT_EQ(firstReports, 1);
    EXPECT_EQ(decoded, (std::vector<QString>{QStringLiteral("/cards/0"), QStringLiteral("/cards/3")}));
    EXPECT_EQ(imageOf(responses[3]).size(), QSize(8, 8));
    delete responses[3];
}

} // namespace
