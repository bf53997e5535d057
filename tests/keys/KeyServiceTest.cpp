// The key client against the loopback key service: requests of at most 20 items, each file id
// asked once a session, every way of getting no key named, and the asynchronous form delivering on
// the interface thread.

#include "KeyService.h"

#include "KeyRing.h"
#include "SampleClips.h"
#include "SampleKeyService.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QThread>
#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::keys;
using sample::SampleKeyService;
using Kind = KeyServiceError::Kind;

namespace {

class KeyServiceTest : public testing::Test {
protected:
    void SetUp() override { forgetSession(); }
    void TearDown() override { forgetSession(); }

    QStringList containers(int count) {
        const QString plain =
            test::writeClip({.path = tmp / "plain-front.mp4", .width = 32, .height = 32, .seconds = 0.1});
        QStringList paths;
        for (int i = 0; i < count; ++i)
            paths << test::writeContainerOf(plain, tmp / QString("c%1-front.mp4").arg(i));
        return paths;
    }
    QString idOf(const QString& path) {
        return crypto::ContainerFormat::fileIdText(crypto::ContainerReader::readHead(path).header.fileId);
    }

    test::TempFolder tmp;
    SampleKeyService service;
    KeyServiceOptions options{.url = service.url()};
};

TEST_F(KeyServiceTest, AsksInBatchesOfTwentyAndEachFileOnce) {
    QStringList paths = containers(45);
    const QString plain = tmp / "plain-front.mp4";
    EXPECT_EQ(filesNeedingKeys(paths + QStringList{plain}), paths);
    const KeyFetchResult first =
        fetchKeys(paths + QStringList{paths.front(), plain}, SampleKeyService::acceptedToken(), options);
    EXPECT_TRUE(first.complete());
    EXPECT_EQ(first.unlocked.size(), 45);
    EXPECT_EQ(service.batchSizes(), (std::vector<int>{20, 20, 5}));
    const QStringList asked = service.askedIds();
    EXPECT_EQ(QSet<QString>(asked.begin(), asked.end()).size(), 45);
    EXPECT_TRUE(filesNeedingKeys(paths).isEmpty());
    EXPECT_EQ(fetchKeys(paths, SampleKeyService::acceptedToken(), options).unlocked.size(), 45);
    EXPECT_EQ(service.batchSizes().size(), 3u);
}

// Each failure of the whole request leaves every file locked and says why; a refused or wrong key
// fails its file alone, and is not asked again.
TEST_F(KeyServiceTest, NamesEveryWayOfGettingNoKey) {
    const QStringList paths = containers(3);
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const QUrl closedUrl(QString("http://127.0.0.1:%1/batch").arg(closed.serverPort()));
    closed.close();
    const QString token = SampleKeyService::acceptedToken();
    const struct {
        const char* name;
        std::function<void()> arrange;
        QString token;
        std::optional<Kind> serviceError, fileError; // fileError: of the first file alone
        QUrl url = {};
    } cases[] = {
        {"no token", [] {}, "  ", Kind::tokenMissing, std::nullopt},
        {"token refused", [] {}, "someone-else", Kind::tokenRefused, std::nullopt},
        {"unreachable", [] {}, token, Kind::unreachable, std::nullopt, closedUrl},
        {"not https", [] {}, token, Kind::unreachable, std::nullopt, QUrl("http://keys.example/batch")},
        {"server error", [&] { service.answerWithStatus(500); }, token, Kind::badAnswer, std::nullopt},
        {"too slow", [&] { service.setSilent(true); }, token, Kind::timedOut, std::nullopt},
        {"wrong key", [&] { service.giveWrongKeyFor(idOf(paths[0])); }, token, std::nullopt, Kind::wrongKey},
        // Last: the service keeps refusing it.
        {"key refused", [&] { service.refuseKeyOf(idOf(paths[0])); }, token, std::nullopt, Kind::keyRefused},
    };
    for (const auto& c : cases) {
        forgetSession();
        c.arrange();
        KeyServiceOptions o{.url = c.url.isEmpty() ? service.url() : c.url, .timeoutMilliseconds = 300};
        QElapsedTimer timer;
        timer.start();
        const KeyFetchResult result = fetchKeys(paths, c.token, o);
        EXPECT_LT(timer.elapsed(), 5000) << c.name;
        EXPECT_EQ(result.serviceError ? std::optional(result.serviceError->kind()) : std::nullopt,
                  c.serviceError)
            << c.name;
        ASSERT_EQ(result.failures.size(), c.serviceError ? 3u : c.fileError ? 1u : 0u) << c.name;
        EXPECT_EQ(result.unlocked.size(), 3 - qsizetype(result.failures.size())) << c.name;
        if (c.fileError) {
            EXPECT_EQ(result.failures[0].path, paths[0]) << c.name;
            EXPECT_EQ(result.failures[0].error.kind(), *c.fileError) << c.name;
            const auto asked = service.batchSizes().size();
            EXPECT_EQ(fetchKeys({paths[0]}, token, o).failures.size(), 1u) << c.name << " asked again";
            EXPECT_EQ(service.batchSizes().size(), asked) << c.name;
        }
        service.answerWithStatus(0);
        service.setSilent(false);
    }
    EXPECT_TRUE(service.sawOtherToken());
}

TEST_F(KeyServiceTest, TheAsynchronousFetchCompletesOnTheInterfaceThread) {
    const QStringList paths = containers(2);
    QObject context;
    std::optional<KeyFetchResult> delivered;
    QThread* deliveredOn = nullptr;
    fetchKeysAsync(paths, SampleKeyService::acceptedToken(), options)
        .then(&context, [&](const KeyFetchResult& r) {
            delivered = r;
            deliveredOn = QThread::currentThread();
        });
    ASSERT_TRUE(test::waitUntil([&] { return delivered.has_value(); }, 10000));
    EXPECT_EQ(deliveredOn, context.thread());
    EXPECT_EQ(delivered->unlocked, paths);
}

} // namespace
