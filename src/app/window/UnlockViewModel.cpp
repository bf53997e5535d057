#include "UnlockViewModel.h"

#include "TokenStore.h"

#include <QCoreApplication>
#include <QThreadPool>

namespace orvane {

namespace {
// Files named one per line under a failure, at most; the rest are counted.
constexpr int namedFailures = 3;

QString failuresText(const std::vector<keys::FileKeyFailure>& failures) {
    QStringList lines;
    for (size_t i = 0; i < failures.size() && i < size_t(namedFailures); ++i)
        lines << failures[i].error.description();
    if (failures.size() > size_t(namedFailures))
        lines << QCoreApplication::translate("UnlockViewModel", "另有 %n 个文件未能解锁", nullptr,
                                             int(failures.size()) - namedFailures);
    return lines.join(QLatin1Char('\n'));
}
} // namespace

UnlockServices UnlockServices::standard() {
    return {[](const QStringList& files, const QString& token, const CancellationToken& cancel) {
                return keys::fetchKeys(files, token, {}, cancel);
            },
            keyringTokenStore()};
}

UnlockViewModel::UnlockViewModel(UnlockServices services, QObject* parent)
    : QObject(parent), services_(std::move(services)) {}

void UnlockViewModel::unlockQuietly(const QStringList& files) {
    if (files.isEmpty() || presented_ || working_)
        return;
    files_ = files;
    if (!sessionToken_.isEmpty()) {
        fetch(sessionToken_, false, true);
        return;
    }
    set(false, true, {});
    services_.tokens->read(this, [this](std::optional<QString> token) {
        if (token) {
            sessionToken_ = *token;
            fetch(*token, false, true);
        } else {
            set(false, false, {}); // nothing known: the lock's button offers the sheet
        }
    });
}

void UnlockViewModel::present(const QStringList& files) {
    files_ = files;
    storageNotice_.clear();
    set(true, false, {});
}

void UnlockViewModel::unlock(const QString& token, bool remember) {
    const QString trimmed = token.trimmed();
    if (trimmed.isEmpty()) {
        set(true, false, keys::KeyServiceError::tokenMissing().description());
        return;
    }
    fetch(trimmed, remember, false);
}

void UnlockViewModel::dismiss() {
    fetches_.supersede();
    set(false, false, {});
}

void UnlockViewModel::forgetToken() {
    sessionToken_.clear();
    services_.tokens->erase();
    keys::forgetSession();
}

void UnlockViewModel::fetch(const QString& token, bool remember, bool quietly) {
    set(presented_, true, {});
    fetches_.run(
        QThreadPool::globalInstance(), this,
        [fetchKeys = services_.fetchKeys, files = files_, token, cancel = fetches_.token()] {
            return fetchKeys(files, token, cancel);
        },
        [this, token, remember, quietly](const keys::KeyFetchResult& result) {
            finish(result, token, remember, quietly);
        });
}

void UnlockViewModel::finish(const keys::KeyFetchResult& result, const QString& token, bool remember,
                             bool quietly) {
    if (result.serviceError && result.unlocked.isEmpty()) {
        if (result.serviceError->kind() == keys::KeyServiceError::Kind::tokenRefused) {
            sessionToken_.clear(); // a refused token is not tried again
            if (quietly)
                services_.tokens->erase(); // nor next time: it was the kept one
        }
        // Tried quietly, only a refused token needs the user; other trouble waits for the button.
        const bool ask = !quietly || result.serviceError->kind() == keys::KeyServiceError::Kind::tokenRefused;
        set(ask, false, ask ? result.serviceError->description() : QString());
        return;
    }
    sessionToken_ = token;
    if (!result.unlocked.isEmpty())
        emit unlocked(result.unlocked);
    // The sheet stays to name the files left locked, or to say the keyring could not keep the token.
    const bool named = !quietly && !result.failures.empty();
    const QString failures = named ? failuresText(result.failures) : QString();
    if (!remember) {
        set(named, false, failures);
        return;
    }
    services_.tokens->write(token, this, [this, named, failures](bool stored) {
        storageNotice_ =
            stored ? QString()
                   : QCoreApplication::translate("UnlockViewModel",
                                                 "已解锁。没有可用的系统钥匙串，令牌只保留到程序退出。");
        set(named || !stored, false, failures);
        emit changed();
    });
}

void UnlockViewModel::set(bool presented, bool working, const QString& error) {
    if (presented == presented_ && working == working_ && error == error_)
        return;
    presented_ = presented;
    working_ = working;
    error_ = error;
    emit changed();
}

} // namespace orvane
