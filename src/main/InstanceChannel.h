#pragma once
// One Orvane window per user: the first copy listens on a socket only its user can reach; a later
// start hands that copy its folders and ends, and the first imports them and comes to the front.
// A running export is never touched. Interface thread only.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QStringList>
#include <memory>

namespace orvane {

class InstanceChannel : public QObject {
    Q_OBJECT

public:
    // How long a start waits for a running copy to take its folders.
    static constexpr int handOverTimeoutMilliseconds = 3000;

    // The user's channel, in a folder only the user may enter: $XDG_RUNTIME_DIR when it is one,
    // else "orvane-<uid>" in the temporary folder, made private and checked (another account may
    // have made it first). Empty when neither is private: this start then goes without a channel.
    static QString defaultName();
    // The peer of a connected local socket runs as this user (SO_PEERCRED).
    static bool peerIsThisUser(qintptr socketDescriptor);

    // Gives `folders` (possibly none) to the copy of this user listening on `name`, knocking again
    // until `timeoutMilliseconds` passed (0: once); true once it took them.
    static bool handOver(const QStringList& folders, const QString& name = defaultName(),
                         int timeoutMilliseconds = handOverTimeoutMilliseconds);

    explicit InstanceChannel(QObject* parent = nullptr);

    // Listens on `name`, taking the place of a copy that ended without closing it; false when a
    // live copy holds it (this start lost a race with another one). A lock beside the channel
    // decides between two starts at the same moment.
    bool listen(const QString& name = defaultName());

signals:
    // A later start's folders (empty when it was started without any): import them, come forward.
    // Only a start of this user is heard; another account's is hung up on.
    void foldersArrived(const QStringList& folders);

private:
    void receive();

    QLocalServer server_;
    std::unique_ptr<QLockFile> lock_;
};

} // namespace orvane
