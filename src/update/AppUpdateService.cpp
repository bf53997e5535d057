#include "AppUpdateService.h"

#include "AppLinks.h"
#include "AppUpdateError.h"
#include "UpdateArchive.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QPromise>
#include <QSaveFile>
#include <QScopeGuard>
#include <QUuid>

#include <filesystem>
#include <memory>
#include <system_error>

namespace orvane {

namespace {

// Bundle-relative paths the build installs (see cmake/Packaging.cmake).
const QString bundleMarker = QStringLiteral(ORVANE_BUNDLE_MARKER);
const QString bundleReplacer = QStringLiteral(ORVANE_BUNDLE_REPLACER);
const QString packageManagedMarker = QStringLiteral(ORVANE_PACKAGE_MANAGED_MARKER);
const QString bundleExecutable = QStringLiteral("bin/Orvane");
// A copy under one of these runs from a removable drive or a mounted image, not from an installation.
const QStringList diskImageMarks = {QStringLiteral("/media/"), QStringLiteral("/run/media/"),
                                    QStringLiteral("/tmp/.mount_"), QStringLiteral("/Orvane-update-mount-")};
constexpr QFileDevice::Permissions scriptPermissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                       QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                       QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                       QFileDevice::ExeOther; // 0755
constexpr int readBufferBytes = 1 << 20;

QString temporaryPath(const QString& folder, const QString& prefix, const QString& suffix = {}) {
    return folder + u'/' + prefix + QUuid::createUuid().toString(QUuid::WithoutBraces) + suffix;
}

// Removes a file or folder tree, also one holding read-only folders; errors are ignored.
void removeTree(const QString& path) {
    namespace fs = std::filesystem;
    const fs::path root(path.toStdString());
    std::error_code ignored;
    if (fs::is_directory(fs::symlink_status(root, ignored))) {
        fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ignored);
        for (auto it = fs::recursive_directory_iterator(root, ignored); !ignored && it != fs::recursive_directory_iterator();
             it.increment(ignored)) {
            if (it->is_directory(ignored) && !it->is_symlink(ignored))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::remove_all(root, ignored);
}

// Aborts once the reply's signal being handled has returned: aborting inside it races Qt's own
// pending events for the reply.
void abortLater(QNetworkReply* reply) { QMetaObject::invokeMethod(reply, &QNetworkReply::abort, Qt::QueuedConnection); }

// A GET request that never uses a cache, gives up after 15 s without data and follows only
// redirects to addresses the updater may use. The reply's manager is deleted with it.
QNetworkReply* startRequest(const QUrl& url) {
    auto* manager = new QNetworkAccessManager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setTransferTimeout(AppUpdateService::requestTimeoutMilliseconds);
    QNetworkReply* reply = manager->get(request);
    reply->setReadBufferSize(readBufferBytes);
    QObject::connect(reply, &QNetworkReply::redirected, reply, [reply](const QUrl& to) {
        if (isAllowedUpdateAddress(to))
            emit reply->redirectAllowed();
        else
            abortLater(reply);
    });
    QObject::connect(reply, &QNetworkReply::finished, manager, &QObject::deleteLater);
    return reply;
}

// The HTTP status of a reply, or nothing when no HTTP response arrived.
std::optional<int> httpStatus(QNetworkReply* reply) {
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return status.isValid() ? std::optional(status.toInt()) : std::nullopt;
}

bool isSuccess(int status) { return status >= 200 && status <= 299; }

template <typename T> QFuture<T> failedFuture(const AppUpdateError& error) {
    QPromise<T> promise;
    promise.start();
    promise.setException(std::make_exception_ptr(error));
    promise.finish();
    return promise.future();
}

void tryCandidate(const std::shared_ptr<QPromise<AppUpdateManifest>>& promise, const QList<QUrl>& candidates,
                  qsizetype index, std::exception_ptr lastError) {
    if (index == candidates.size()) {
        promise->setException(lastError ? lastError : std::make_exception_ptr(AppUpdateError::invalidManifest()));
        promise->finish();
        return;
    }
    AppUpdateService::fetchManifest(candidates[index])
        .then(QtFuture::Launch::Sync, [promise, candidates, index](QFuture<AppUpdateManifest> fetched) {
            try {
                promise->addResult(fetched.result());
                promise->finish();
            } catch (...) {
                tryCandidate(promise, candidates, index + 1, std::current_exception());
            }
        });
}

// The folder the running executable's bin/ lies in (/usr for the package's copy), or nothing.
std::optional<QString> bundleOf(const QString& executablePath) {
    const QString executable = QDir::cleanPath(QFileInfo(executablePath).absoluteFilePath());
    if (!executable.endsWith(u'/' + bundleExecutable))
        return std::nullopt;
    return executable.chopped(bundleExecutable.size() + 1);
}

// The bundle folder the running executable belongs to; refuses a copy that is not installed, that
// the package manager keeps, or that runs from removable media.
QString installedBundle(const QString& executablePath) {
    if (AppUpdateService::isPackageManaged(executablePath))
        throw AppUpdateError::packageManaged();
    const QString bundle = bundleOf(executablePath).value_or(QString());
    if (bundle.isEmpty() || !QFileInfo(bundle + u'/' + bundleMarker).isFile())
        throw AppUpdateError::appNotInstalled();
    for (const QString& mark : diskImageMarks) {
        if ((bundle + u'/').contains(mark))
            throw AppUpdateError::runningFromDiskImage();
    }
    return bundle;
}

QString writeRelaunchScript(const QString& folder, const QString& target, const QString& staged, qint64 processId) {
    const QString path = temporaryPath(folder, QStringLiteral("Orvane-relaunch-"), QStringLiteral(".sh"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw AppUpdateError::installFailed(file.errorString());
    file.write(AppUpdateService::relaunchScript(processId, target, staged).toUtf8());
    if (!file.commit())
        throw AppUpdateError::installFailed(file.errorString());
    if (!QFile::setPermissions(path, scriptPermissions)) {
        QFile::remove(path);
        throw AppUpdateError::installFailed(
            QCoreApplication::translate("AppUpdateService", "无法设置脚本权限: ") + path);
    }
    return path;
}

void launchRelaunchScript(const QString& script) {
    QProcess bash;
    bash.setProgram(QStringLiteral("/bin/bash"));
    bash.setArguments({script});
    bash.setStandardInputFile(QProcess::nullDevice());
    bash.setStandardOutputFile(QProcess::nullDevice());
    bash.setStandardErrorFile(QProcess::nullDevice());
    if (!bash.startDetached())
        throw AppUpdateError::installFailed(
            QCoreApplication::translate("AppUpdateService", "无法启动 /bin/bash"));
}

} // namespace

AppUpdateInstallation AppUpdateInstallation::current() {
    return {QCoreApplication::applicationFilePath(), QDir::tempPath(), QCoreApplication::applicationPid(),
            [] { QCoreApplication::quit(); }};
}

namespace AppUpdateService {

QFuture<AppUpdateManifest> fetchManifest() { return fetchManifest(AppLinks::updateManifestCandidates()); }

QFuture<AppUpdateManifest> fetchManifest(const QList<QUrl>& candidates) {
    auto promise = std::make_shared<QPromise<AppUpdateManifest>>();
    promise->start();
    QFuture<AppUpdateManifest> future = promise->future();
    tryCandidate(promise, candidates, 0, nullptr);
    return future;
}

QFuture<AppUpdateManifest> fetchManifest(const QUrl& url) {
    if (!isAllowedUpdateAddress(url))
        return failedFuture<AppUpdateManifest>(AppUpdateError::networkUnavailable());
    auto promise = std::make_shared<QPromise<AppUpdateManifest>>();
    promise->start();
    QFuture<AppUpdateManifest> future = promise->future();
    QNetworkReply* reply = startRequest(url);
    auto body = std::make_shared<QByteArray>();
    auto tooLarge = std::make_shared<bool>(false);
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, body, tooLarge] {
        if (*tooLarge)
            return;
        *body += reply->readAll();
        if (body->size() > maximumManifestBytes && !*tooLarge) {
            *tooLarge = true;
            abortLater(reply);
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, body, tooLarge, promise] {
        reply->deleteLater();
        if (reply->isOpen() && !*tooLarge)
            *body += reply->readAll();
        try {
            const std::optional<int> status = httpStatus(reply);
            if (*tooLarge || (status && !isSuccess(*status)))
                throw AppUpdateError::invalidManifest();
            if (reply->error() != QNetworkReply::NoError || !status)
                throw AppUpdateError::networkUnavailable();
            promise->addResult(AppUpdateManifest::fromJson(*body));
        } catch (...) {
            promise->setException(std::current_exception());
        }
        promise->finish();
    });
    return future;
}

QFuture<QString> downloadUpdate(const QUrl& url, const QString& temporaryFolder, const std::optional<QString>& sha256,
                                qint64 maximumBytes) {
    if (!isAllowedUpdateAddress(url))
        return failedFuture<QString>(AppUpdateError::downloadFailed());
    struct Download {
        QFile file;
        QCryptographicHash hash{QCryptographicHash::Sha256};
        qint64 received = 0;
        bool refused = false;
    };
    const QString destination = temporaryPath(temporaryFolder, QStringLiteral("Orvane-update-"), QStringLiteral(".tar.gz"));
    QFile::remove(destination);
    auto download = std::make_shared<Download>();
    download->file.setFileName(destination);
    if (!download->file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return failedFuture<QString>(AppUpdateError::downloadFailed());

    auto promise = std::make_shared<QPromise<QString>>();
    promise->start();
    QFuture<QString> future = promise->future();
    QNetworkReply* reply = startRequest(url);
    const auto refuse = [reply, download] {
        if (!download->refused) {
            download->refused = true;
            abortLater(reply);
        }
    };
    // Written as it arrives, so the archive is never whole in memory.
    const auto store = [reply, download, maximumBytes] {
        const QByteArray chunk = reply->isOpen() ? reply->readAll() : QByteArray();
        download->received += chunk.size();
        if (download->received > maximumBytes || download->file.write(chunk) != chunk.size())
            return false;
        download->hash.addData(chunk);
        return true;
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, maximumBytes, refuse] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maximumBytes)
            refuse();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [download, store, refuse] {
        if (!download->refused && !store())
            refuse();
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, download, store, promise, destination, sha256] {
        reply->deleteLater();
        const std::optional<int> status = httpStatus(reply);
        bool complete = !download->refused && store() && reply->error() == QNetworkReply::NoError && status &&
                        isSuccess(*status);
        complete = download->file.flush() && complete;
        download->file.close();
        complete = complete && download->file.error() == QFileDevice::NoError;
        if (complete && sha256)
            complete = download->hash.result().toHex() == sha256->toLatin1();
        if (complete) {
            promise->addResult(destination);
        } else {
            QFile::remove(destination);
            promise->setException(std::make_exception_ptr(AppUpdateError::downloadFailed()));
        }
        promise->finish();
    });
    return future;
}

void installUpdate(const QString& archive, const AppUpdateInstallation& installation) {
    // The download is not kept whatever happens, also when the running copy cannot be updated.
    const auto removeArchive = qScopeGuard([&archive] { QFile::remove(archive); });
    const QString target = installedBundle(installation.executablePath);
    // The new copy is swapped in by renames beside the installed one; without write access there the
    // update could only fail after the application has quit.
    const QString targetParent = QFileInfo(target).absolutePath();
    if (!QFileInfo(targetParent).isWritable())
        throw AppUpdateError::installFailed(
            QCoreApplication::translate("AppUpdateService", "没有写入权限: ") + targetParent);

    const QString folder = installation.temporaryFolder;
    const QString mountPoint = temporaryPath(folder, QStringLiteral("Orvane-update-mount-"));
    if (!QDir().mkpath(mountPoint))
        throw AppUpdateError::installFailed(
            QCoreApplication::translate("AppUpdateService", "无法创建文件夹 ") + mountPoint);
    const auto detach = qScopeGuard([&mountPoint] { removeTree(mountPoint); });
    UpdateArchive::unpack(archive, mountPoint);

    const QString newBundle = mountPoint + u'/' + UpdateArchive::bundleFolderName;
    if (!QFileInfo(newBundle + u'/' + bundleExecutable).isFile() || !QFileInfo(newBundle + u'/' + bundleReplacer).isFile())
        throw AppUpdateError::appBundleMissing();

    // Unpacked beside it in the same folder, so moving is as good as copying and takes no time.
    const QString staged = temporaryPath(folder, QStringLiteral("Orvane-staged-"));
    removeTree(staged);
    std::error_code moveError;
    std::filesystem::rename(newBundle.toStdString(), staged.toStdString(), moveError);
    if (moveError)
        throw AppUpdateError::installFailed(QString::fromStdString(moveError.message()));
    auto discardStaged = qScopeGuard([&staged] { removeTree(staged); });

    const QString script = writeRelaunchScript(folder, target, staged, installation.processId);
    auto discardScript = qScopeGuard([&script] { QFile::remove(script); });
    launchRelaunchScript(script);
    discardStaged.dismiss();
    discardScript.dismiss();
    if (installation.quit)
        QMetaObject::invokeMethod(QCoreApplication::instance(), installation.quit, Qt::QueuedConnection);
}

bool isPackageManaged(const QString& executablePath) {
    const std::optional<QString> bundle = bundleOf(executablePath);
    return bundle && QFileInfo(*bundle + u'/' + packageManagedMarker).isFile();
}

QString shellQuoted(const QString& path) {
    QString quoted = path;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

QString relaunchScript(qint64 processId, const QString& target, const QString& staged) {
    const QStringList lines = {
        QStringLiteral("#!/bin/bash"),
        QStringLiteral("PID=") + QString::number(processId),
        QStringLiteral("TARGET=") + shellQuoted(target),
        QStringLiteral("STAGED=") + shellQuoted(staged),
        QString(),
        QStringLiteral("while kill -0 \"$PID\" 2>/dev/null; do"),
        QStringLiteral("  sleep 0.2"),
        QStringLiteral("done"),
        QString(),
        // Copies the staged bundle beside the target and swaps the two by rename.
        QStringLiteral("/bin/bash \"$STAGED/%1\" \"$STAGED\" \"$TARGET\"").arg(bundleReplacer),
        QStringLiteral("chmod -R u+rwX \"$TARGET\" 2>/dev/null || true"),
        QStringLiteral("setsid \"$TARGET/%1\" >/dev/null 2>&1 < /dev/null &").arg(bundleExecutable),
        QStringLiteral("rm -rf \"$STAGED\""),
        QStringLiteral("rm -f \"$0\""),
    };
    return lines.join(u'\n');
}

} // namespace AppUpdateService

} // namespace orvane
