#include "InstanceChannel.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QThread>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {
// The answer that tells a later start its folders were taken.
const QByteArray taken = QByteArrayLiteral("taken");
// How long a start waits before it knocks again on a channel not yet listened on.
constexpr unsigned long retryMilliseconds = 50;
// A message larger than any list of folders: a stranger's data, not a start of ours.
constexpr qint64 maximumMessageBytes = 1 << 20;
const QString socketName = QStringLiteral("orvane.socket");
// Only the owner may enter the channel's folder.
constexpr mode_t privateMode = 0700;

// A folder itself (not a link to one), owned by this user, that nobody else may enter or list.
bool isPrivateFolder(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}
} // namespace

QString InstanceChannel::defaultName() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        return QDir(runtime).filePath(socketName);
    const QString folder = QDir(QDir::tempPath()).filePath(QStringLiteral("orvane-%1").arg(::getuid()));
    ::mkdir(QFile::encodeName(folder).constData(),
            privateMode); // made by another account first: refused below
    return isPrivateFolder(folder) ? QDir(folder).filePath(socketName) : QString();
}

bool InstanceChannel::peerIsThisUser(qintptr socketDescriptor) {
    ucred peer{};
    socklen_t length = sizeof peer;
    return ::getsockopt(int(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 &&
           length == sizeof peer && peer.uid == ::getuid();
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
    if (!peerIsThisUser(socket.socketDescriptor()))
        return false; // not a copy of ours: the folders stay with this start
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
        if (!peerIsThisUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
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
