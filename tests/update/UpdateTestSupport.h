#pragma once
// What the update tests share: a loopback HTTP server, installed bundles, waiting on the event loop.
// The test's main thread only.

#include "AppUpdateError.h"
#include "TestSupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFuture>
#include <QHash>
#include <QMap>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

// gtest prints texts as text, also inside lists and optionals.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace orvane {
using namespace Qt::StringLiterals;
} // namespace orvane

namespace orvane::test {

// Replies and installs run on the event loop; under the sanitizers they take a while.
inline constexpr int updateTimeoutMs = 20000;
inline bool settles(const std::function<bool()>& done) {
    return waitUntil(done, updateTimeoutMs);
}

// The kind of AppUpdateError that `work` throws, or nothing when it throws none.
inline std::optional<AppUpdateError::Kind> updateErrorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const AppUpdateError& error) {
        return error.kind();
    }
    return std::nullopt;
}

template <typename T> T awaitResult(QFuture<T> future) {
    settles([&future] { return future.isFinished(); });
    return future.result();
}

template <typename T> std::optional<AppUpdateError::Kind> failureOf(QFuture<T> future) {
    return updateErrorOf([&] { awaitResult(future); });
}

// A minimal HTTP/1.1 server on 127.0.0.1 answering GET requests from a table of paths (others get
// 404), one request per connection, which it closes after the body.
class LoopbackHttpServer : public QObject {
public:
    struct Response {
        int status = 200;
        QByteArray body;
        QByteArray headers = {}; // "Name: value\r\n" lines
        bool sendLength = true;  // a Content-Length of the body's size, unless `headers` give one
    };

    LoopbackHttpServer() {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                auto request = std::make_shared<QByteArray>();
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
                    *request += socket->readAll();
                    if (request->contains("\r\n\r\n"))
                        answer(socket, *request);
                });
            }
        });
    }
    QUrl url(const QString& path) const {
        return QUrl(u"http://127.0.0.1:%1%2"_s.arg(server_.serverPort()).arg(path));
    }
    void serve(const QString& path, const Response& response) { routes_.insert(path, response); }
    void serve(const QString& path, const QByteArray& body) { serve(path, Response{200, body}); }
    int requests(const QString& path) const { return requests_.value(path); }
    // An address where nothing listens: port 1 (tcpmux) is served on no machine of ours.
    static QUrl unreachable() { return QUrl(u"http://127.0.0.1:1/manifest.json"_s); }

private:
    void answer(QTcpSocket* socket, const QByteArray& request) {
        const QString path = QString::fromUtf8(request.left(request.indexOf("\r\n")).split(' ').value(1));
        requests_[path] += 1;
        const Response response = routes_.value(path, Response{404, "not found"});
        QByteArray head =
            "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\n" + response.headers;
        if (response.sendLength && !response.headers.contains("Content-Length"))
            head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        socket->write(head + "Connection: close\r\n\r\n" + response.body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    QHash<QString, Response> routes_;
    QHash<QString, int> requests_;
};

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes `temp`/`folder`/Orvane as a release holds it: bin/Orvane (a script that appends "<label> <its
// own path>" to `startLog` when started), bin/orvane-cli, the installed-bundle marker, the bundle
// replacer, the desktop entry and icon, and `files` (paths relative to the bundle); all executable.
inline void writeBundle(const TempFolder& temp, const QString& folder, const QString& label,
                        const QString& startLog, QMap<QString, QByteArray> files = {}) {
    const QString source = QStringLiteral(ORVANE_SOURCE_DIR "/");
    constexpr auto executable =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
    QString quotedLog = startLog;
    quotedLog.replace(u'\'', u"'\\''"_s);
    files[u"bin/Orvane"_s] = u"#!/bin/sh\necho \"%1 $0\" >> '%2'\n"_s.arg(label, quotedLog).toUtf8();
    files[u"bin/orvane-cli"_s] = "#!/bin/sh\necho " + label.toUtf8() + "\n";
    files[QStringLiteral(ORVANE_BUNDLE_MARKER)] = "Orvane " + label.toUtf8() + "\n";
    files[QStringLiteral(ORVANE_BUNDLE_REPLACER)] = readFile(source + u"scripts/replace-bundle.sh"_s);
    files[u"share/applications/orvane.desktop"_s] = readFile(source + u"packaging/orvane.desktop"_s);
    files[u"share/icons/hicolor/scalable/apps/orvane.svg"_s] = readFile(source + u"packaging/orvane.svg"_s);
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        QFile::setPermissions(temp.writeFile(folder + u"/Orvane/"_s + it.key(), it.value()), executable);
}

inline QString sha256Hex(const QByteArray& data) {
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

} // namespace orvane::test
