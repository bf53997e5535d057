#pragma once
// Unlocking the footage the car encrypted: asks the key service for the keys of an event's locked
// files with the owner's token (remembered in the keyring, or for the session), and says what went
// wrong in the sheet that asks for the token. Interface thread only.

#include "KeyService.h"
#include "LatestRequest.h"

#include <QObject>
#include <QStringList>
#include <QtQml/qqmlregistration.h>
#include <functional>
#include <memory>

namespace orvane {

class TokenStore;

struct UnlockServices {
    // Blocks (a worker thread): keys::fetchKeys.
    std::function<keys::KeyFetchResult(const QStringList&, const QString&, const CancellationToken&)>
        fetchKeys;
    std::shared_ptr<TokenStore> tokens;
    static UnlockServices standard();
};

class UnlockViewModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The root view model owns the one UnlockViewModel")
    Q_PROPERTY(bool isPresented READ isPresented NOTIFY changed)
    Q_PROPERTY(bool isWorking READ isWorking NOTIFY changed)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY changed)
    // Set when the keyring could not keep the token: it lasts until the program quits.
    Q_PROPERTY(QString storageNotice READ storageNotice NOTIFY changed)
    Q_PROPERTY(int fileCount READ fileCount NOTIFY changed)

public:
    UnlockViewModel(UnlockServices services, QObject* parent = nullptr);

    bool isPresented() const { return presented_; }
    bool isWorking() const { return working_; }
    QString errorMessage() const { return error_; }
    QString storageNotice() const { return storageNotice_; }
    int fileCount() const { return int(files_.size()); }

    // Locked files were found: unlocks them at once with a token already known (the session's, or
    // the keyring's); the sheet opens only when that token is refused.
    void unlockQuietly(const QStringList& files);
    // The user asked to unlock `files`: the sheet opens.
    void present(const QStringList& files);
    Q_INVOKABLE void unlock(const QString& token, bool remember);
    Q_INVOKABLE void dismiss();
    // The token is forgotten, in the keyring too.
    Q_INVOKABLE void forgetToken();

signals:
    void changed();
    // Keys for these files are in the session now: they read as plain footage.
    void unlocked(const QStringList& files);

private:
    void fetch(const QString& token, bool remember, bool quietly);
    void finish(const keys::KeyFetchResult& result, const QString& token, bool remember, bool quietly);
    void set(bool presented, bool working, const QString& error);

    UnlockServices services_;
    QStringList files_;
    QString sessionToken_; // in memory only
    bool presented_ = false;
    bool working_ = false;
    QString error_;
    QString storageNotice_;
    LatestRequest fetches_;
};

} // namespace orvane
