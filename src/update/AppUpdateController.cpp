#include "AppUpdateController.h"

#include "AppLinks.h"
#include "AppUpdateError.h"
#include "AppVersion.h"
#include "ObservableField.h"
#include "TranslatedText.h"

#include <QPromise>
#include <QThreadPool>
#include <functional>
#include <memory>

namespace orvane {

namespace {

constexpr TranslatedText checkingStatus{"AppUpdateController",
                                        QT_TRANSLATE_NOOP("AppUpdateController", "正在检查更新...")};
constexpr TranslatedText downloadingStatus{"AppUpdateController",
                                           QT_TRANSLATE_NOOP("AppUpdateController", "正在下载更新...")};
constexpr TranslatedText installingStatus{"AppUpdateController",
                                          QT_TRANSLATE_NOOP("AppUpdateController", "正在安装更新...")};
constexpr TranslatedText checkFailedFallback{
    "AppUpdateController", QT_TRANSLATE_NOOP("AppUpdateController", "无法检查更新，请稍后重试")};

// Runs `work` on the thread pool; an exception it throws reaches the future unchanged.
QFuture<void> runInBackground(std::function<void()> work) {
    auto promise = std::make_shared<QPromise<void>>();
    promise->start();
    QFuture<void> future = promise->future();
    QThreadPool::globalInstance()->start([promise, work = std::move(work)] {
        try {
            work();
        } catch (...) {
            promise->setException(std::current_exception());
        }
        promise->finish();
    });
    return future;
}

// The text a failure shows: its own description, or `fallback` for a failure that has none.
QString describe(std::exception_ptr error, const std::function<QString(const std::exception*)>& fallback) {
    try {
        std::rethrow_exception(error);
    } catch (const UserFacingError& failure) {
        return failure.description();
    } catch (const std::exception& failure) {
        return fallback(&failure);
    } catch (...) {
        return fallback(nullptr);
    }
}

} // namespace

AppUpdateEnvironment AppUpdateEnvironment::current() {
    return {AppVersion::shortVersion(), AppLinks::updateManifestCandidates(),
            AppUpdateInstallation::current()};
}

AppUpdateController::AppUpdateController(QObject* parent)
    : AppUpdateController(AppUpdateEnvironment::current(), parent) {}

AppUpdateController::AppUpdateController(AppUpdateEnvironment environment, QObject* parent)
    : QObject(parent), environment_(std::move(environment)), updateStatusMessage_(checkingStatus) {}

QVariant AppUpdateController::availableUpdateValue() const {
    return availableUpdate_ ? QVariant::fromValue(*availableUpdate_) : QVariant();
}

bool AppUpdateController::updatedByPackageManager() const {
    return AppUpdateService::isPackageManaged(environment_.installation.executablePath);
}

void AppUpdateController::checkOnLaunchIfNeeded() {
    if (hasCheckedThisSession_)
        return;
    hasCheckedThisSession_ = true;
    checkForUpdates(true);
}

void AppUpdateController::checkForUpdates(bool silentOnError) {
    if (isCheckingForUpdates_ || isUpdating_)
        return;
    setIsCheckingForUpdates(true);
    setManualCheckErrorMessage(std::nullopt);
    AppUpdateService::fetchManifest(environment_.manifestCandidates)
        .then(this, [this, silentOnError](QFuture<AppUpdateManifest> fetched) {
            try {
                const AppUpdateManifest manifest = fetched.result();
                finishCheck(manifest, silentOnError);
            } catch (...) {
                failCheck(std::current_exception(), silentOnError);
            }
        });
}

void AppUpdateController::finishCheck(const AppUpdateManifest& manifest, bool silentOnError) {
    if (AppVersion::compareVersions(manifest.version, environment_.runningVersion) > 0) {
        setAvailableUpdate(manifest);
        setShowUpdateAlert(true);
    } else if (!silentOnError) {
        setShowUpToDateAlert(true);
    }
    setIsCheckingForUpdates(false);
}

void AppUpdateController::failCheck(std::exception_ptr error, bool silentOnError) {
    if (!silentOnError)
        setManualCheckErrorMessage(
            describe(error, [](const std::exception*) { return checkFailedFallback; }));
    setIsCheckingForUpdates(false);
}

void AppUpdateController::startUpdate() {
    // A second start while one runs would race two installs over the same copy.
    if (!availableUpdate_ || isUpdating_)
        return;
    setShowUpdateAlert(false);
    setIsUpdating(true);
    setUpdateStatusMessage(downloadingStatus);
    setUpdateErrorMessage(std::nullopt);
    if (updatedByPackageManager()) {
        failUpdate(std::make_exception_ptr(AppUpdateError::packageManaged()));
        return;
    }
    AppUpdateService::downloadUpdate(availableUpdate_->downloadURL, environment_.installation.temporaryFolder,
                                     availableUpdate_->sha256)
        .then(this, [this](QFuture<QString> downloaded) {
            try {
                const QString archive = downloaded.result();
                install(archive);
            } catch (...) {
                failUpdate(std::current_exception());
            }
        });
}

void AppUpdateController::install(const QString& archive) {
    setUpdateStatusMessage(installingStatus);
    const AppUpdateInstallation installation = environment_.installation;
    // Unpacking runs tar and touches the disk: off the GUI thread. On success isUpdating stays true
    // until the application quits.
    runInBackground([archive, installation] {
        AppUpdateService::installUpdate(archive, installation);
    }).then(this, [this](QFuture<void> installed) {
        try {
            installed.waitForFinished();
        } catch (...) {
            failUpdate(std::current_exception());
        }
    });
}

void AppUpdateController::failUpdate(std::exception_ptr error) {
    setIsUpdating(false);
    setUpdateErrorMessage(describe(error, [](const std::exception* failure) {
        return AppUpdateError::installFailed(failure ? QString::fromLocal8Bit(failure->what()) : QString())
            .description();
    }));
}

void AppUpdateController::dismissUpdate() {
    setShowUpdateAlert(false);
    setAvailableUpdate(std::nullopt);
}

void AppUpdateController::dismissUpdateError() {
    setUpdateErrorMessage(std::nullopt);
}

void AppUpdateController::dismissManualCheckError() {
    setManualCheckErrorMessage(std::nullopt);
}

void AppUpdateController::setAvailableUpdate(const std::optional<AppUpdateManifest>& update) {
    assignAndNotify(availableUpdate_, update, this, &AppUpdateController::availableUpdateChanged);
}

void AppUpdateController::setShowUpdateAlert(bool show) {
    assignAndNotify(showUpdateAlert_, show, this, &AppUpdateController::showUpdateAlertChanged);
}

void AppUpdateController::setShowUpToDateAlert(bool show) {
    assignAndNotify(showUpToDateAlert_, show, this, &AppUpdateController::showUpToDateAlertChanged);
}

void AppUpdateController::setIsCheckingForUpdates(bool checking) {
    assignAndNotify(isCheckingForUpdates_, checking, this, &AppUpdateController::isCheckingForUpdatesChanged);
}

void AppUpdateController::setIsUpdating(bool updating) {
    assignAndNotify(isUpdating_, updating, this, &AppUpdateController::isUpdatingChanged);
}

void AppUpdateController::setUpdateStatusMessage(const QString& message) {
    assignAndNotify(updateStatusMessage_, message, this, &AppUpdateController::updateStatusMessageChanged);
}

void AppUpdateController::setUpdateErrorMessage(const std::optional<QString>& message) {
    assignAndNotify(updateErrorMessage_, message, this, &AppUpdateController::updateErrorMessageChanged);
}

void AppUpdateController::setManualCheckErrorMessage(const std::optional<QString>& message) {
    assignAndNotify(manualCheckErrorMessage_, message, this,
                    &AppUpdateController::manualCheckErrorMessageChanged);
}

} // namespace orvane
