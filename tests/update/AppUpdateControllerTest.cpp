#include "AppUpdateController.h"
#include "TestSupport.h"
#include "UpdateTestSupport.h"

#include <QCoreApplication>
#include <QQmlExpression>
#include <QQmlEngine>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

namespace orvane {
namespace {

const QString manifestPath = QStringLiteral("/misc/Orvane-latest.json");
const QString unreachableText = QStringLiteral("无法连接更新服务器，请稍后重试");

class AppUpdateControllerTest : public ::testing::Test {
protected:
    // A controller running `version`, looking for manifests on the test server (primary, fallback).
    std::unique_ptr<AppUpdateController> makeController(const QString& version, QList<QUrl> candidates = {}) {
        if (candidates.isEmpty())
            candidates = {server.url(QStringLiteral("/primary") + manifestPath), server.url(manifestPath)};
        AppUpdateEnvironment environment{version, candidates,
                                         AppUpdateInstallation{QCoreApplication::applicationFilePath(), temp.path(),
                                                               QCoreApplication::applicationPid(), [this] { ++quits; }}};
        return std::make_unique<AppUpdateController>(environment);
    }

    void publish(const QString& version, const QByteArray& extraKeys = {}) {
        server.serve(manifestPath, QStringLiteral(R"({"version":"%1","downloadURL":"%2")")
                                           .arg(version, server.url(QStringLiteral("/Orvane.tar.gz")).toString())
                                           .toUtf8() +
                                       extraKeys + "}");
    }

    static void check(AppUpdateController& controller, bool silent) {
        controller.checkForUpdates(silent);
        EXPECT_TRUE(test::processEventsUntil([&] { return !controller.isCheckingForUpdates(); }));
    }

    test::LoopbackHttpServer server;
    test::TempFolder temp;
    int quits = 0;
};

struct OfferCase {
    const char* running;
    const char* published;
    bool offered;
};

class OfferTest : public AppUpdateControllerTest, public ::testing::WithParamInterface<OfferCase> {};

TEST_P(OfferTest, OffersOnlyANewerVersion) {
    const OfferCase c = GetParam();
    SCOPED_TRACE(std::string(c.running) + " running, " + c.published + " published");
    publish(QString::fromUtf8(c.published));
    for (const bool silent : {true, false}) {
        const auto controller = makeController(QString::fromUtf8(c.running));
        check(*controller, silent);
        EXPECT_EQ(controller->showUpdateAlert(), c.offered);
        EXPECT_EQ(controller->availableUpdate().has_value(), c.offered);
        // The up-to-date notice answers a manual check only.
        EXPECT_EQ(controller->showUpToDateAlert(), !c.offered && !silent);
        EXPECT_FALSE(controller->manualCheckErrorMessage());
    }
}

INSTANTIATE_TEST_SUITE_P(Table, OfferTest,
                         ::testing::Values(OfferCase{"1.2", "1.2.0", false}, OfferCase{"1.9", "1.10", true},
                                           OfferCase{"1.10", "1.9", false}, OfferCase{"0.1.0", "0.1.1-beta", false},
                                           OfferCase{"2.0", "2.0.0.0", false}),
                         [](const ::testing::TestParamInfo<OfferCase>& info) { return std::to_string(info.index); });

TEST_F(AppUpdateControllerTest, UnreachableServersShowAnErrorOnlyForAManualCheck) {
    const QUrl down = test::LoopbackHttpServer::unreachableUrl(manifestPath);
    const auto controller = makeController(QStringLiteral("1.0"), {down, down});
    controller->checkOnLaunchIfNeeded();
    EXPECT_TRUE(test::processEventsUntil([&] { return !controller->isCheckingForUpdates(); }));
    EXPECT_FALSE(controller->manualCheckErrorMessage());
    EXPECT_FALSE(controller->showUpToDateAlert());
    check(*controller, false);
    EXPECT_EQ(controller->manualCheckErrorMessage(), unreachableText);
    EXPECT_EQ(controller->manualCheckErrorMessageText(), unreachableText);
    controller->dismissManualCheckError();
    EXPECT_FALSE(controller->manualCheckErrorMessage());
}

TEST_F(AppUpdateControllerTest, InvalidManifestIsReportedForAManualCheck) {
    server.serve(manifestPath, "{\"version\": ");
    const auto controller = makeController(QStringLiteral("1.0"));
    check(*controller, false);
    EXPECT_EQ(controller->manualCheckErrorMessage(), QStringLiteral("更新信息无效"));
}

TEST_F(AppUpdateControllerTest, TheLaunchCheckRunsOncePerProcessAndChecksDoNotOverlap) {
    publish(QStringLiteral("1.0"));
    const auto controller = makeController(QStringLiteral("1.0"));
    controller->checkOnLaunchIfNeeded();
    controller->checkForUpdates(false); // refused: a check runs
    EXPECT_TRUE(test::processEventsUntil([&] { return !controller->isCheckingForUpdates(); }));
    controller->checkOnLaunchIfNeeded();
    EXPECT_FALSE(controller->isCheckingForUpdates());
    test::processEventsUntil([] { return false; }, 100);
    EXPECT_EQ(server.requests(manifestPath), 1);
    EXPECT_FALSE(controller->showUpToDateAlert());
}

TEST_F(AppUpdateControllerTest, FieldsPublishOnlyRealChanges) {
    publish(QStringLiteral("3.0"));
    const auto controller = makeController(QStringLiteral("1.0"));
    QSignalSpy checking(controller.get(), &AppUpdateController::isCheckingForUpdatesChanged);
    QSignalSpy offer(controller.get(), &AppUpdateController::availableUpdateChanged);
    QSignalSpy alert(controller.get(), &AppUpdateController::showUpdateAlertChanged);
    QSignalSpy error(controller.get(), &AppUpdateController::manualCheckErrorMessageChanged);
    check(*controller, false);
    EXPECT_EQ(checking.count(), 2);
    EXPECT_EQ(offer.count(), 1);
    EXPECT_EQ(alert.count(), 1);
    EXPECT_EQ(error.count(), 0);
    controller->setShowUpdateAlert(true);
    controller->dismissManualCheckError();
    EXPECT_EQ(alert.count(), 1);
    EXPECT_EQ(error.count(), 0);
    controller->dismissUpdate();
    EXPECT_FALSE(controller->showUpdateAlert());
    EXPECT_FALSE(controller->availableUpdate());
    EXPECT_EQ(offer.count(), 2);
}

TEST_F(AppUpdateControllerTest, QmlReadsTheOfferAndItsNotes) {
    publish(QStringLiteral("3.0"), R"(,"releaseNotes":"   ")");
    const auto controller = makeController(QStringLiteral("1.0"));
    check(*controller, true);
    QQmlEngine engine;
    // Evaluated with the controller as scope, as a binding in a screen reads it.
    const auto read = [&] {
        QQmlExpression expression(engine.rootContext(), controller.get(),
                                  QStringLiteral("availableUpdate ? availableUpdate.version + ' ' + "
                                                 "availableUpdate.displayReleaseNotes + ' ' + shortVersion : 'none'"));
        return expression.evaluate().toString();
    };
    EXPECT_EQ(read(), QStringLiteral("3.0 建议更新到最新版本以获得更好的体验。 1.0"));
    controller->dismissUpdate();
    EXPECT_EQ(read(), QStringLiteral("none"));
}

class StartUpdateTest : public AppUpdateControllerTest {
protected:
    // Checks, accepts the offer and waits until the update attempt ends; returns its error message.
    std::optional<QString> updateError(AppUpdateController& controller) {
        check(controller, true);
        EXPECT_TRUE(controller.showUpdateAlert());
        QStringList statuses;
        QObject::connect(&controller, &AppUpdateController::updateStatusMessageChanged, &controller,
                         [&] { statuses.append(controller.updateStatusMessage()); });
        controller.startUpdate();
        EXPECT_TRUE(controller.isUpdating());
        EXPECT_FALSE(controller.showUpdateAlert());
        controller.startUpdate(); // ignored while one runs
        EXPECT_TRUE(test::processEventsUntil([&] { return !controller.isUpdating(); }));
        EXPECT_EQ(statuses.first(), QStringLiteral("正在下载更新..."));
        EXPECT_EQ(server.requests(QStringLiteral("/Orvane.tar.gz")), 1);
        EXPECT_TRUE(test::folderEntries(temp.path()).isEmpty());
        EXPECT_EQ(quits, 0);
        return controller.updateErrorMessage();
    }
};

TEST_F(StartUpdateTest, AFailedDownloadIsShownAndCanBeDismissed) {
    publish(QStringLiteral("2.0"));
    const auto controller = makeController(QStringLiteral("1.0"));
    EXPECT_EQ(updateError(*controller), QStringLiteral("下载更新失败，请稍后重试"));
    controller->dismissUpdateError();
    EXPECT_FALSE(controller->updateErrorMessage());
}

TEST_F(StartUpdateTest, AChecksumMismatchIsADownloadFailure) {
    server.serve(QStringLiteral("/Orvane.tar.gz"), "archive bytes");
    publish(QStringLiteral("2.0"), ",\"sha256\":\"" + test::sha256Hex("other bytes").toUtf8() + "\"");
    const auto controller = makeController(QStringLiteral("1.0"));
    EXPECT_EQ(updateError(*controller), QStringLiteral("下载更新失败，请稍后重试"));
}

TEST_F(StartUpdateTest, ACopyInTheBuildTreeIsNotReplaced) {
    server.serve(QStringLiteral("/Orvane.tar.gz"), "archive bytes");
    publish(QStringLiteral("2.0"));
    const auto controller = makeController(QStringLiteral("1.0"));
    EXPECT_EQ(updateError(*controller), QStringLiteral("当前应用未安装到本地，请先将应用拖入「应用程序」文件夹"));
    EXPECT_EQ(controller->updateStatusMessage(), QStringLiteral("正在安装更新..."));
}

} // namespace
} // namespace orvane
