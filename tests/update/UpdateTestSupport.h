#pragma once

#include "AppUpdateError.h"

#include <QByteArray>
#include <QFuture>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QUrl>

#include <functional>
#include <optional>

namespace orvane::test {

// Runs the event loop until `done` returns true; false when it did not within the time-out.
bool processEventsUntil(const std::function<bool()>& done, int timeoutMilliseconds = 20000);

template <typename T> T awaitResult(QFuture<T> future) {
    processEventsUntil([&future] { return future.isFinished(); });
    return future.result();
}

// The kind of AppUpdateError that `work` throws, or nothing when it throws none.
std::optional<AppUpdateError::Kind> updateErrorOf(const std::function<void()>& work);

// A minimal HTTP/1.1 server on 127.0.0.1 answering GET requests from a table of paths; any other
// path gets 404. One request per connection.
class LoopbackHttpServer : public QObject {
public:
    struct Response {
        int status = 200;
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
        // exact: Content-Length is the body's; omitted: no length, the body ends when the connection
        // closes; overstated: Content-Length is `declaredLength` and the connection closes after the body.
        enum class Length { exact, omitted, overstated } length = Length::exact;
        qint64 declaredLength = 0;
    };

    LoopbackHttpServer();
    QUrl url(const QString& path) const;
    void serve(const QString& path, const Response& response);
    void serve(const QString& path, const QByteArray& body) { serve(path, Response{200, body, {}}); }
    int requests(const QString& path) const { return requests_.value(path); }
    // A loopback address on a port where nothing listens.
    static QUrl unreachableUrl(const QString& path);

private:
    void answer(class QTcpSocket* socket, const QByteArray& request);

    QTcpServer server_;
    QHash<QString, Response> routes_;
    QHash<QString, int> requests_;
    QHash<class QTcpSocket*, QByteArray> pending_;
};

// Writes `folder`/Orvane as a release holds it: bin/Orvane (a script that appends "<label> <its own
// path>" to `startLog` when started), bin/orvane-cli, the installed-bundle marker, the bundle replacer,
// the desktop entry and icon, and `extraFiles` (paths relative to the bundle).
void writeBundle(const QString& folder, const QString& label, const QString& startLog,
                 const QMap<QString, QByteArray>& extraFiles = {});
// Packs `folder`/Orvane into the .tar.gz `archive` with tar.
void packBundle(const QString& folder, const QString& archive);

// Archives made by hand, for entries tar would not make from a folder: absolute names, "..", devices.
struct TarMember {
    QByteArray name;
    char type = '0'; // ustar type: '0' file, '1' hard link, '2' symbolic link, '3'/'4' devices, '5' folder, '6' FIFO
    QByteArray content;
    QByteArray linkTarget;
};
QByteArray gzippedTar(const QList<TarMember>& members);
QByteArray gzip(const QByteArray& data);

// Every file, folder and link under `root` (relative path → content, "dir" or "-> target").
QMap<QString, QByteArray> treeSnapshot(const QString& root);
QString sha256Hex(const QByteArray& data);
// Entries directly in `folder`.
QStringList folderEntries(const QString& folder);

} // namespace orvane::test
