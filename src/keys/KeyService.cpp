#include "KeyService.h"

#include "ClipSource.h"
#include "ContainerReader.h"
#include "KeyRing.h"
#include "ServiceAddress.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSet>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent>
#include <map>
#include <mutex>

namespace orvane::keys {

namespace {

using crypto::ContainerHead;
using crypto::FileId;
using crypto::FileKey;

constexpr qint64 maximumAnswerBytes = qint64(1) << 20;
constexpr qsizetype maximumReasonLength = 200;
constexpr int requestsInFlight = 3;
constexpr int cancelPollMilliseconds = 100;
constexpr int httpUnauthorized = 401, httpForbidden = 403;

// What the service answered for a file id this session, other than a good key (those are in the
// key ring): asking again would get the same.
struct Answer {
    bool wrongKey = false;
    QString refusal;
};

struct Session {
    std::mutex answersMutex;
    std::map<FileId, Answer> answers;
    std::mutex fetchMutex; // one fetch at a time: no id is in two requests

    static Session& instance() {
        static Session session;
        return session;
    }
    std::optional<Answer> answerFor(const FileId& id) {
        std::lock_guard lock(answersMutex);
        const auto it = answers.find(id);
        return it == answers.end() ? std::nullopt : std::optional<Answer>(it->second);
    }
    void remember(const FileId& id, const Answer& answer) {
        std::lock_guard lock(answersMutex);
        answers[id] = answer;
    }
};

// One file id to ask for, and the files that carry it.
struct Wanted {
    ContainerHead head;
    QStringList paths;
};

struct Fetch {
    std::map<FileId, Wanted> wanted;
    KeyFetchResult result;

    void fail(const Wanted& w, const KeyServiceError& error) {
        for (const QString& path : w.paths)
            result.failures.push_back({path, error});
    }
    void failAll(const KeyServiceError& error) {
        result.serviceError = error;
        for (const auto& [id, w] : wanted)
            fail(w, error);
        wanted.clear();
    }
};

// The encrypted files among `paths` by file id; unlocked ones are done, unreadable ones failed.
Fetch collect(const QStringList& paths) {
    Fetch fetch;
    QSet<QString> seen;
    for (const QString& path : paths) {
        if (seen.contains(path))
            continue;
        seen.insert(path);
        const media::ClipKind kind = media::ClipSource::inspect(path);
        if (kind == media::ClipKind::unlocked)
            fetch.result.unlocked << path;
        if (kind != media::ClipKind::encrypted)
            continue;
        try {
            ContainerHead head = crypto::ContainerReader::readHead(path);
            Wanted& w = fetch.wanted[head.header.fileId];
            if (w.paths.isEmpty())
                w.head = std::move(head);
            w.paths << path;
        } catch (const crypto::ContainerError& e) {
            fetch.result.failures.push_back({path, KeyServiceError::unreadable(e.description())});
        }
    }
    return fetch;
}

QString fileNameOf(const Wanted& w) {
    return QFileInfo(w.paths.front()).fileName();
}

// Ids whose key arrived meanwhile or that the service already answered this session.
void settleKnown(Fetch& fetch, Session& session) {
    for (auto it = fetch.wanted.begin(); it != fetch.wanted.end();) {
        const auto answer = session.answerFor(it->first);
        if (crypto::KeyRing::instance().contains(it->first))
            fetch.result.unlocked << it->second.paths;
        else if (answer && answer->wrongKey)
            fetch.fail(it->second, KeyServiceError::wrongKey(it->second.paths.front()));
        else if (answer)
            fetch.fail(it->second, KeyServiceError::keyRefused(fileNameOf(it->second), answer->refusal));
        else {
            ++it;
            continue;
        }
        it = fetch.wanted.erase(it);
    }
}

QString base64(const auto& bytes) {
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())).toBase64());
}

QByteArray requestBody(const std::vector<FileId>& batch, const Fetch& fetch) {
    QJsonArray items;
    for (const FileId& id : batch) {
        const auto& h = fetch.wanted.at(id).head.header;
        items.append(QJsonObject{{QStringLiteral("id"), crypto::ContainerFormat::fileIdText(id)},
                                 {QStringLiteral("vin"), QString::fromLatin1(h.vin)},
                                 {QStringLiteral("key_id"), qint64(h.keyId)},
                                 {QStringLiteral("timestamp"), qint64(h.timestamp)},
                                 {QStringLiteral("wrapped_key"), base64(h.wrappedKey)},
                                 {QStringLiteral("public_key"), base64(h.publicKey)}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("items"), items}}).toJson(QJsonDocument::Compact);
}

// A batch's answer: its results, or why the whole request failed; neither when it was cancelled.
struct BatchOutcome {
    std::optional<QJsonArray> results;
    std::optional<KeyServiceError> error;
};

BatchOutcome readReply(QNetworkReply* reply, bool timedOut, int timeoutMilliseconds) {
    if (timedOut)
        return {std::nullopt, KeyServiceError::timedOut((timeoutMilliseconds + 999) / 1000)};
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        if (reply->error() == QNetworkReply::OperationCanceledError)
            return {};
        return {std::nullopt, KeyServiceError::unreachable(reply->errorString())};
    }
    const int code = status.toInt();
    if (code == httpUnauthorized || code == httpForbidden)
        return {std::nullopt, KeyServiceError::tokenRefused()};
    if (code < 200 || code > 299)
        return {std::nullopt, KeyServiceError::badAnswer(QStringLiteral("HTTP %1").arg(code))};
    const QJsonDocument answer = QJsonDocument::fromJson(reply->readAll());
    const QJsonValue results = answer.object().value(QStringLiteral("results"));
    if (!results.isArray())
        return {std::nullopt,
                KeyServiceError::badAnswer(QCoreApplication::translate("KeyService", "没有 results 列表"))};
    return {results.toArray(), std::nullopt};
}

QNetworkRequest keyRequest(const KeyServiceOptions& options, const QByteArray& token) {
    QNetworkRequest request(options.url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setRawHeader(QByteArrayLiteral("Authorization"), QByteArrayLiteral("Bearer ") + token);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    // The token must not follow a redirect to another address.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    return request;
}

// Posts every body, at most requestsInFlight at a time. A request that fails as a whole (token
// refused, unreachable, too slow, cancelled) stops those not yet sent, which share its outcome.
std::vector<BatchOutcome> exchange(const std::vector<QByteArray>& bodies, const QByteArray& token,
                                   const KeyServiceOptions& options, const CancellationToken& cancel) {
    const int timeout = std::clamp(options.timeoutMilliseconds, 1, requestTimeoutMilliseconds);
    QNetworkAccessManager manager;
    QEventLoop loop;
    std::vector<BatchOutcome> outcomes(bodies.size());
    std::optional<BatchOutcome> stopped;
    size_t next = 0;
    int running = 0;
    std::function<void()> launch = [&] {
        while (!stopped && running < requestsInFlight && next < bodies.size()) {
            const size_t i = next++;
            ++running;
            QNetworkReply* reply = manager.post(keyRequest(options, token), bodies[i]);
            reply->setReadBufferSize(maximumAnswerBytes); // a larger answer stalls into the time-out
            auto timedOut = std::make_shared<bool>(false);
            QTimer::singleShot(timeout, reply, [reply, timedOut] {
                *timedOut = true;
                reply->abort();
            });
            QObject::connect(reply, &QNetworkReply::finished, &loop, [&, reply, timedOut, i] {
                reply->deleteLater();
                outcomes[i] = readReply(reply, *timedOut, timeout);
                if (!outcomes[i].results && !stopped)
                    stopped = outcomes[i];
                --running;
                launch();
            });
        }
        if (running == 0)
            loop.quit();
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!cancel.isCancelled() || stopped)
            return;
        stopped = BatchOutcome{};
        for (QNetworkReply* reply : manager.findChildren<QNetworkReply*>())
            reply->abort();
    });
    poll.start(cancelPollMilliseconds);
    launch();
    if (running > 0)
        loop.exec();
    for (size_t i = next; i < bodies.size(); ++i)
        outcomes[i] = *stopped;
    return outcomes;
}

// What the service says about a refused file, made safe to show: one line, not too long.
QString reasonOf(const QJsonValue& error) {
    QString reason = error.toString().simplified();
    reason.removeIf([](QChar c) { return !c.isPrint(); });
    return reason.left(maximumReasonLength);
}

std::optional<FileKey> keyOf(const QString& text) {
    const auto decoded =
        QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != crypto::fileKeyBytes)
        return std::nullopt;
    FileKey key;
    std::copy(decoded.decoded.begin(), decoded.decoded.end(), key.begin());
    return key;
}

// One item of an answer: a key that fits goes into the key ring; a refusal or a wrong key is
// remembered for the session.
void settleAnswer(const FileId& id, const QJsonObject& item, Fetch& fetch, Session& session) {
    const Wanted& w = fetch.wanted.at(id);
    const QString keyText = item.value(QStringLiteral("key")).toString();
    if (keyText.isEmpty()) {
        const QString reason = reasonOf(item.value(QStringLiteral("error")));
        session.remember(id, {false, reason});
        fetch.fail(w, KeyServiceError::keyRefused(fileNameOf(w), reason));
        return;
    }
    const auto key = keyOf(keyText);
    if (!key || !crypto::ContainerReader::keyFits(*key, w.head)) {
        session.remember(id, {true, {}});
        fetch.fail(w, KeyServiceError::wrongKey(w.paths.front()));
        return;
    }
    crypto::KeyRing::instance().insert(id, *key);
    fetch.result.unlocked << w.paths;
}

void applyResults(const QJsonArray& results, const std::vector<FileId>& batch, Fetch& fetch,
                  Session& session) {
    QHash<QString, FileId> asked;
    for (const FileId& id : batch)
        asked.insert(crypto::ContainerFormat::fileIdText(id), id);
    for (const QJsonValue& value : results) {
        const QJsonObject item = value.toObject();
        const auto it = asked.find(item.value(QStringLiteral("id")).toString().toLower());
        if (it == asked.end())
            continue;
        settleAnswer(*it, item, fetch, session);
        asked.erase(it);
    }
    for (const FileId& id : asked) {
        const Wanted& w = fetch.wanted.at(id);
        fetch.fail(w,
                   KeyServiceError::keyRefused(
                       fileNameOf(w), QCoreApplication::translate("KeyService", "密钥服务没有答复这个文件")));
    }
}

// A token is one word of visible ASCII (a JSON web token): anything else would not survive a
// header and is not sent.
bool isTokenText(const QString& token) {
    return !token.isEmpty() && std::all_of(token.begin(), token.end(),
                                           [](QChar c) { return c.unicode() > 0x20 && c.unicode() < 0x7F; });
}

// Asks for every wanted id in batches; the answers settle `fetch`.
void askService(Fetch& fetch, const QByteArray& token, const KeyServiceOptions& options,
                const CancellationToken& cancel, Session& session) {
    std::vector<std::vector<FileId>> batches;
    std::vector<QByteArray> bodies;
    for (const auto& [id, w] : fetch.wanted) {
        if (batches.empty() || batches.back().size() == size_t(maxBatchItems))
            batches.emplace_back();
        batches.back().push_back(id);
    }
    for (const auto& batch : batches)
        bodies.push_back(requestBody(batch, fetch));
    const std::vector<BatchOutcome> outcomes = exchange(bodies, token, options, cancel);
    for (size_t i = 0; i < batches.size(); ++i) {
        if (outcomes[i].results) {
            applyResults(*outcomes[i].results, batches[i], fetch, session);
            continue;
        }
        fetch.result.cancelled = fetch.result.cancelled || !outcomes[i].error;
        if (!outcomes[i].error)
            continue;
        if (!fetch.result.serviceError)
            fetch.result.serviceError = outcomes[i].error;
        for (const FileId& id : batches[i])
            fetch.fail(fetch.wanted.at(id), *outcomes[i].error);
    }
}

// A token that cannot be one, or an address it must not go to, fails every file unasked.
void askWithToken(Fetch& fetch, const QString& token, const KeyServiceOptions& options,
                  const CancellationToken& cancel, Session& session) {
    if (token.isEmpty())
        fetch.failAll(KeyServiceError::tokenMissing());
    else if (!isTokenText(token))
        fetch.failAll(KeyServiceError::tokenRefused());
    else if (!ServiceAddress::isAllowed(options.url))
        fetch.failAll(KeyServiceError::unreachable(
            QCoreApplication::translate("KeyService", "令牌只发往 HTTPS 地址或本机: ") +
            options.url.toDisplayString()));
    else
        askService(fetch, token.toLatin1(), options, cancel, session);
}

// The lists follow the order the files were given in.
void inGivenOrder(KeyFetchResult& result, const QStringList& paths) {
    QHash<QString, qsizetype> position;
    for (qsizetype i = paths.size() - 1; i >= 0; --i)
        position.insert(paths[i], i);
    std::sort(result.unlocked.begin(), result.unlocked.end(),
              [&](const QString& a, const QString& b) { return position.value(a) < position.value(b); });
    std::stable_sort(result.failures.begin(), result.failures.end(), [&](const auto& a, const auto& b) {
        return position.value(a.path) < position.value(b.path);
    });
}

QThreadPool& fetchPool() {
    static QThreadPool pool;
    static std::once_flag once;
    std::call_once(once, [] { pool.setMaxThreadCount(1); }); // fetches run one at a time anyway
    return pool;
}

} // namespace

QUrl serviceUrl() {
    const QByteArray replaced = qgetenv(serviceUrlVariable);
    if (!replaced.isEmpty())
        return QUrl::fromUserInput(QString::fromUtf8(replaced));
    return QUrl(QStringLiteral("https://dashcam.tesla.com/api/1/decrypt/batch"));
}

QStringList filesNeedingKeys(const QStringList& paths) {
    QStringList needing;
    for (const QString& path : paths)
        if (media::ClipSource::inspect(path) == media::ClipKind::encrypted && !needing.contains(path))
            needing << path;
    return needing;
}

KeyFetchResult fetchKeys(const QStringList& paths, const QString& token, const KeyServiceOptions& options,
                         const CancellationToken& cancel) {
    Session& session = Session::instance();
    std::lock_guard serial(session.fetchMutex);
    Fetch fetch = collect(paths);
    settleKnown(fetch, session);
    if (!fetch.wanted.empty())
        askWithToken(fetch, token.trimmed(), options, cancel, session);
    inGivenOrder(fetch.result, paths);
    return fetch.result;
}

QFuture<KeyFetchResult> fetchKeysAsync(const QStringList& paths, const QString& token,
                                       const KeyServiceOptions& options, const CancellationToken& cancel) {
    return QtConcurrent::run(&fetchPool(), [=] { return fetchKeys(paths, token, options, cancel); });
}

void forgetSession() {
    Session& session = Session::instance();
    std::lock_guard serial(session.fetchMutex);
    {
        std::lock_guard lock(session.answersMutex);
        session.answers.clear();
    }
    crypto::KeyRing::instance().clear();
}

} // namespace orvane::keys
