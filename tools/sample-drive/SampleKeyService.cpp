#include "SampleKeyService.h"

#include "SampleContainer.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <mutex>

namespace orvane::sample {

namespace {

QByteArray base64(const auto& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())).toBase64();
}

std::optional<crypto::FileId> idOf(const QString& text) {
    const QByteArray bytes = QByteArray::fromHex(QString(text).remove(QLatin1Char('-')).toLatin1());
    if (bytes.size() != crypto::fileIdBytes)
        return std::nullopt;
    crypto::FileId id;
    std::copy(bytes.begin(), bytes.end(), id.begin());
    return id;
}

// Whether an item carries what the car's header holds for this sample id.
bool itemMatches(const QJsonObject& item, const crypto::FileId& id) {
    return item.value(QStringLiteral("vin")).toString() == QLatin1String(SampleKeys::vin) &&
           item.value(QStringLiteral("key_id")).toInteger(-1) == SampleKeys::keyId &&
           item.value(QStringLiteral("timestamp")).isDouble() &&
           item.value(QStringLiteral("wrapped_key")).toString().toLatin1() ==
               base64(SampleKeys::wrappedKeyFor(id)) &&
           item.value(QStringLiteral("public_key")).toString().toLatin1() ==
               base64(SampleKeys::carPublicKey());
}

// The value of a request header (names compared without case); empty when absent.
QByteArray headerValue(const QByteArray& head, const QByteArray& name) {
    for (const QByteArray& line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

QByteArray response(int status, const QByteArray& body) {
    return "HTTP/1.1 " + QByteArray::number(status) + " Status\r\nContent-Type: application/json\r\n" +
           "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

} // namespace

struct SampleKeyService::State {
    mutable std::mutex mutex;
    QHash<QString, QString> refused;
    QSet<QString> wrong;
    int status = 0;
    bool silent = false;
    std::vector<int> batchSizes;
    QStringList asked;
    bool otherToken = false;
    QThread thread;
    QObject* anchor = nullptr; // lives in `thread`, owns the server
    quint16 port = 0;

    QJsonObject resultFor(const QJsonObject& item) {
        const QString text = item.value(QStringLiteral("id")).toString();
        asked << text;
        const auto id = idOf(text);
        QJsonObject result{{QStringLiteral("id"), text}};
        if (!id || !itemMatches(item, *id) || refused.contains(text)) {
            result[QStringLiteral("error")] = refused.value(text, QStringLiteral("invalid_item"));
            return result;
        }
        crypto::FileKey key = SampleKeys::keyFor(*id);
        if (wrong.contains(text))
            key[0] ^= 0xFF;
        result[QStringLiteral("key")] = QString::fromLatin1(base64(key));
        return result;
    }

    // The answer to one whole request; empty when it is to go unanswered.
    QByteArray answer(const QByteArray& head, const QByteArray& body) {
        std::lock_guard lock(mutex);
        if (silent)
            return {};
        const bool tokenOk = headerValue(head, "authorization") == "Bearer " + acceptedToken().toLatin1();
        otherToken = otherToken || !tokenOk;
        if (!tokenOk)
            return response(401, "{}");
        if (status != 0)
            return response(status, "{}");
        const QJsonArray items =
            QJsonDocument::fromJson(body).object().value(QStringLiteral("items")).toArray();
        batchSizes.push_back(int(items.size()));
        QJsonArray results;
        for (const QJsonValue& item : items)
            results.append(resultFor(item.toObject()));
        return response(200, QJsonDocument(QJsonObject{{QStringLiteral("results"), results}}).toJson());
    }

    void serve(QTcpSocket* socket) {
        auto request = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
            *request += socket->readAll();
            const qsizetype end = request->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QByteArray head = request->left(end);
            const qsizetype length = headerValue(head, "content-length").toLongLong();
            if (request->size() < end + 4 + length)
                return;
            const QByteArray reply = answer(head, request->mid(end + 4, length));
            if (reply.isEmpty())
                return;
            socket->write(reply);
            socket->disconnectFromHost();
        });
    }
};

QString SampleKeyService::acceptedToken() {
    return QStringLiteral("sample-owner-token.Orvane");
}

SampleKeyService::SampleKeyService() : state_(std::make_shared<State>()) {
    state_->anchor = new QObject;
    state_->anchor->moveToThread(&state_->thread);
    state_->thread.start();
    State* state = state_.get();
    QMetaObject::invokeMethod(
        state->anchor,
        [state] {
            auto* server = new QTcpServer(state->anchor);
            QObject::connect(server, &QTcpServer::newConnection, server, [state, server] {
                while (QTcpSocket* socket = server->nextPendingConnection())
                    state->serve(socket);
            });
            server->listen(QHostAddress::LocalHost);
            state->port = server->serverPort();
        },
        Qt::BlockingQueuedConnection);
}

SampleKeyService::~SampleKeyService() {
    QObject* anchor = state_->anchor;
    QMetaObject::invokeMethod(
        anchor, [anchor] { delete anchor; }, Qt::BlockingQueuedConnection);
    state_->thread.quit();
    state_->thread.wait();
}

QUrl SampleKeyService::url() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/api/1/decrypt/batch").arg(state_->port));
}

void SampleKeyService::refuseKeyOf(const QString& fileId, const QString& reason) {
    std::lock_guard lock(state_->mutex);
    state_->refused.insert(fileId, reason);
}

void SampleKeyService::giveWrongKeyFor(const QString& fileId) {
    std::lock_guard lock(state_->mutex);
    state_->wrong.insert(fileId);
}

void SampleKeyService::answerWithStatus(int status) {
    std::lock_guard lock(state_->mutex);
    state_->status = status;
}

void SampleKeyService::setSilent(bool silent) {
    std::lock_guard lock(state_->mutex);
    state_->silent = silent;
}

std::vector<int> SampleKeyService::batchSizes() const {
    std::lock_guard lock(state_->mutex);
    return state_->batchSizes;
}

QStringList SampleKeyService::askedIds() const {
    std::lock_guard lock(state_->mutex);
    return state_->asked;
}

bool SampleKeyService::sawOtherToken() const {
    std::lock_guard lock(state_->mutex);
    return state_->otherToken;
}

} // namespace orvane::sample
