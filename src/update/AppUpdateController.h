#pragma once
// The update state the About sheet, the main window's alerts and the update overlay show: checks for
// a newer release, offers it, downloads and installs it. Lives on the GUI thread; fields notify only
// when they change.

#include "AppUpdateManifest.h"
#include "AppUpdateService.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QtQmlIntegration/qqmlintegration.h>

#include <exception>
#include <optional>

namespace orvane {

// Where the controller looks for updates and what it replaces; tests substitute their own.
struct AppUpdateEnvironment {
    QString runningVersion;
    QList<QUrl> manifestCandidates;
    AppUpdateInstallation installation;

    static AppUpdateEnvironment current();
};

class AppUpdateController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application creates the one update controller.")
    Q_PROPERTY(QVariant availableUpdate READ availableUpdateValue NOTIFY availableUpdateChanged)
    Q_PROPERTY(bool showUpdateAlert READ showUpdateAlert WRITE setShowUpdateAlert NOTIFY showUpdateAlertChanged)
    Q_PROPERTY(bool showUpToDateAlert READ showUpToDateAlert WRITE setShowUpToDateAlert NOTIFY showUpToDateAlertChanged)
    Q_PROPERTY(bool isCheckingForUpdates READ isCheckingForUpdates NOTIFY isCheckingForUpdatesChanged)
    Q_PROPERTY(bool isUpdating READ isUpdating NOTIFY isUpdatingChanged)
    Q_PROPERTY(QString updateStatusMessage READ updateStatusMessage NOTIFY updateStatusMessageChanged)
    // Empty when absent.
    Q_PROPERTY(QString updateErrorMessage READ updateErrorMessageText NOTIFY updateErrorMessageChanged)
    Q_PROPERTY(QString manualCheckErrorMessage READ manualCheckErrorMessageText NOTIFY manualCheckErrorMessageChanged)
    // The running version, as the About sheet and the alerts show it.
    Q_PROPERTY(QString shortVersion READ shortVersion CONSTANT)
    // The package manager installs updates of this copy: the offer only tells of the new version.
    Q_PROPERTY(bool updatedByPackageManager READ updatedByPackageManager CONSTANT)

public:
    explicit AppUpdateController(QObject* parent = nullptr);
    explicit AppUpdateController(AppUpdateEnvironment environment, QObject* parent = nullptr);

    const std::optional<AppUpdateManifest>& availableUpdate() const { return availableUpdate_; }
    QVariant availableUpdateValue() const;
    bool showUpdateAlert() const { return showUpdateAlert_; }
    bool showUpToDateAlert() const { return showUpToDateAlert_; }
    bool isCheckingForUpdates() const { return isCheckingForUpdates_; }
    bool isUpdating() const { return isUpdating_; }
    const QString& updateStatusMessage() const { return updateStatusMessage_; }
    const std::optional<QString>& updateErrorMessage() const { return updateErrorMessage_; }
    QString updateErrorMessageText() const { return updateErrorMessage_.value_or(QString()); }
    const std::optional<QString>& manualCheckErrorMessage() const { return manualCheckErrorMessage_; }
    QString manualCheckErrorMessageText() const { return manualCheckErrorMessage_.value_or(QString()); }
    const QString& shortVersion() const { return environment_.runningVersion; }
    bool updatedByPackageManager() const;

    void setShowUpdateAlert(bool show);
    void setShowUpToDateAlert(bool show);

    // The silent check when the window first appears; runs once per process.
    Q_INVOKABLE void checkOnLaunchIfNeeded();
    // Does nothing while a check or an update runs. Failures are shown only when not silent.
    Q_INVOKABLE void checkForUpdates(bool silentOnError);
    // Downloads and installs the offered update; on success the application quits and reopens. A copy
    // the package manager keeps downloads nothing and says so (packageManaged).
    Q_INVOKABLE void startUpdate();
    Q_INVOKABLE void dismissUpdate();
    Q_INVOKABLE void dismissUpdateError();
    Q_INVOKABLE void dismissManualCheckError();

signals:
    void availableUpdateChanged();
    void showUpdateAlertChanged();
    void showUpToDateAlertChanged();
    void isCheckingForUpdatesChanged();
    void isUpdatingChanged();
    void updateStatusMessageChanged();
    void updateErrorMessageChanged();
    void manualCheckErrorMessageChanged();

private:
    void finishCheck(const AppUpdateManifest& manifest, bool silentOnError);
    void failCheck(std::exception_ptr error, bool silentOnError);
    void install(const QString& archive);
    void failUpdate(std::exception_ptr error);
    void setAvailableUpdate(const std::optional<AppUpdateManifest>& update);
    void setIsCheckingForUpdates(bool checking);
    void setIsUpdating(bool updating);
    void setUpdateStatusMessage(const QString& message);
    void setUpdateErrorMessage(const std::optional<QString>& message);
    void setManualCheckErrorMessage(const std::optional<QString>& message);

    AppUpdateEnvironment environment_;
    std::optional<AppUpdateManifest> availableUpdate_;
    bool showUpdateAlert_ = false;
    bool showUpToDateAlert_ = false;
    bool isCheckingForUpdates_ = false;
    bool isUpdating_ = false;
    QString updateStatusMessage_;
    std::optional<QString> updateErrorMessage_;
    std::optional<QString> manualCheckErrorMessage_;
    bool hasCheckedThisSession_ = false;
};

} // namespace orvane
