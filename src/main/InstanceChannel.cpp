#include "InstanceChannel.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QThread>
#include <unistd.h>

namespace orvane {

namespace {
// The answer that tells a later start its folders were taken.
const QByteArray taken = QByteArrayLiteral("taken");
// How long a start waits before it knocks again on a channel not yet listened on.
constexpr unsigned long retryMilliseconds = 50;
// A message larger than any list of folders: a stranger's data, not a start of ours.
constexpr qint64 maximumMessageBytes = 1 << 20;
} // namespace

QString InstanceChannel::defaultName() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(QString::fromLocal8Bit(runtime)).exists())
        return QDir(QString::fromLocal8Bit(runtime)).filePath(QStringLiteral("orvane.socket"));
    return QDir(QDir::tempPath()).filePath(QStringLiteral("orvane-%1.socket").arg(::getuid()));
}

bool InstanceChannel::handOver(const QStringList& folders, const QString& name, int timeoutMilliseconds) {
    QElapsedTimer waited;
    waited.start();
    QLocalSocket socket;
    // A copy that has just won the channel may not listen yet: try again until the time is up.
    for (;;) {
        socket.connectToServer(name);
        if (socket.waitForConnected(std::max<int>(0, timeoutMilliseconds - int(waited.elapsed()))))
            break;
        if (waited.elapsed() >= timeoutMilliseconds)
            return false;
        QThread::msleep(retryMilliseconds);
    }
    QByteArray message;
    QDataStream encoder(&message, QIODevice::WriteOnly);
    encoder << folders;
    QDataStream out(&socket);
    out << message;
    waited.restart();
    while (socket.bytesAvailable() < taken.size() && waited.elapsed() < timeoutMilliseconds)
        if (!socket.waitForReadyRead(int(timeoutMilliseconds - waited.elapsed())))
            break;
    return socket.read(taken.size()) == taken;
}

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &InstanceChannel::receive);
}

bool InstanceChannel::listen(const QString& name) {
    // The lock is held for the copy's life and falls with it, also when it is killed; listening
    // alone cannot tell two starts apart (the server replaces an existing socket file).
    lock_ = std::make_unique<QLockFile>(name + QStringLiteral(".lock"));
    if (!lock_->tryLock(0)) {
        lock_.reset();
        return false;
    }
    QLocalServer::removeServer(name); // what a copy that ended without closing left
    return server_.listen(name);
}

void InstanceChannel::receive() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (socket->bytesAvailable() > maximumMessageBytes) {
                socket->abort();
                return;
            }
            QDataStream in(socket);
            in.startTransaction();
            QByteArray message;
            in >> message;
            if (!in.commitTransaction())
                return; // the rest is still on its way
            QStringList folders;
            QDataStream decoder(message);
            decoder >> folders;
            socket->write(taken);
            socket->flush();
            emit foldersArrived(folders);
        });
    }
}

} // namespace orvane
