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

    // The user's channel: in $XDG_RUNTIME_DIR (a folder only the user may enter), else in the
    // temporary folder under the user's id.
    static QString defaultName();

    // Gives `folders` (possibly none) to the copy listening on `name`, knocking again until
    // `timeoutMilliseconds` passed (0: once); true once it took them.
    static bool handOver(const QStringList& folders, const QString& name = defaultName(),
                         int timeoutMilliseconds = handOverTimeoutMilliseconds);

    explicit InstanceChannel(QObject* parent = nullptr);

    // Listens on `name`, taking the place of a copy that ended without closing it; false when a
    // live copy holds it (this start lost a race with another one). A lock beside the channel
    // decides between two starts at the same moment.
    bool listen(const QString& name = defaultName());

signals:
    // A later start's folders (empty when it was started without any): import them, come forward.
    void foldersArrived(const QStringList& folders);

private:
    void receive();

    QLocalServer server_;
    std::unique_ptr<QLockFile> lock_;
};

} // namespace orvane
