#include "UpdateTestSupport.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpSocket>

#include <filesystem>
#include <stdexcept>

namespace orvane::test {

namespace {

constexpr int tarBlock = 512;

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200: return "OK";
    case 302: return "Found";
    case 404: return "Not Found";
    default: return "Status";
    }
}

void writeFileOrThrow(const QString& path, const QByteArray& content, QFileDevice::Permissions permissions = {}) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        throw std::runtime_error(("cannot write " + path).toStdString());
    file.close();
    if (permissions)
        file.setPermissions(permissions);
}

QByteArray sourceFile(const char* relative) {
    QFile file(QStringLiteral(ORVANE_SOURCE_DIR "/") + QString::fromUtf8(relative));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(std::string("cannot read ") + relative);
    return file.readAll();
}

void putOctal(QByteArray& header, int offset, int width, qint64 value) {
    const QByteArray digits = QByteArray::number(value, 8).rightJustified(width - 1, '0');
    header.replace(offset, width - 1, digits);
}

} // namespace

bool processEventsUntil(const std::function<bool()>& done, int timeoutMilliseconds) {
    const QDeadlineTimer deadline(timeoutMilliseconds);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

std::optional<AppUpdateError::Kind> updateErrorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const AppUpdateError& error) {
        return error.kind();
    }
    return std::nullopt;
}

LoopbackHttpServer::LoopbackHttpServer() {
    if (!server_.listen(QHostAddress::LocalHost))
        throw std::runtime_error("cannot listen on the loopback address");
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                QByteArray& request = pending_[socket];
                request += socket->readAll();
                if (request.contains("\r\n\r\n"))
                    answer(socket, pending_.take(socket));
            });
        }
    });
}

QUrl LoopbackHttpServer::url(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
}

void LoopbackHttpServer::serve(const QString& path, const Response& response) { routes_.insert(path, response); }

QUrl LoopbackHttpServer::unreachableUrl(const QString& path) {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path));
}

void LoopbackHttpServer::answer(QTcpSocket* socket, const QByteArray& request) {
    const QList<QByteArray> requestLine = request.left(request.indexOf("\r\n")).split(' ');
    const QString path = requestLine.size() >= 2 ? QString::fromUtf8(requestLine[1]) : QString();
    requests_[path] += 1;
    const Response response = routes_.value(path, Response{404, "not found", {}});
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reasonPhrase(response.status) + "\r\n";
    if (response.length == Response::Length::exact)
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    else if (response.length == Response::Length::overstated)
        head += "Content-Length: " + QByteArray::number(response.declaredLength) + "\r\n";
    for (const auto& [name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head + response.body);
    socket->disconnectFromHost();
}

void writeBundle(const QString& folder, const QString& label, const QString& startLog,
                 const QMap<QString, QByteArray>& extraFiles) {
    const QString bundle = folder + QStringLiteral("/Orvane");
    constexpr auto executable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                QFileDevice::ExeOther;
    QString quotedLog = startLog;
    quotedLog.replace(u'\'', QStringLiteral("'\\''"));
    writeFileOrThrow(bundle + QStringLiteral("/bin/Orvane"),
                     QStringLiteral("#!/bin/sh\necho \"%1 $0\" >> '%2'\n").arg(label, quotedLog).toUtf8(), executable);
    writeFileOrThrow(bundle + QStringLiteral("/bin/orvane-cli"), "#!/bin/sh\necho " + label.toUtf8() + "\n", executable);
    writeFileOrThrow(bundle + QStringLiteral("/" ORVANE_BUNDLE_MARKER), "Orvane " + label.toUtf8() + "\n");
    writeFileOrThrow(bundle + QStringLiteral("/" ORVANE_BUNDLE_REPLACER), sourceFile("scripts/replace-bundle.sh"), executable);
    writeFileOrThrow(bundle + QStringLiteral("/share/applications/orvane.desktop"), sourceFile("packaging/orvane.desktop"));
    writeFileOrThrow(bundle + QStringLiteral("/share/icons/hicolor/scalable/apps/orvane.svg"), sourceFile("packaging/orvane.svg"));
    for (auto it = extraFiles.cbegin(); it != extraFiles.cend(); ++it)
        writeFileOrThrow(bundle + u'/' + it.key(), it.value());
}

void packBundle(const QString& folder, const QString& archive) {
    int exitCode = -1;
    runProgram(QStringLiteral("tar"), {QStringLiteral("-czf"), archive, QStringLiteral("-C"), folder, QStringLiteral("Orvane")},
               &exitCode);
    if (exitCode != 0)
        throw std::runtime_error("tar could not pack the bundle");
}

QByteArray gzip(const QByteArray& data) {
    QProcess process;
    process.start(QStringLiteral("gzip"), {QStringLiteral("-c")});
    process.write(data);
    process.closeWriteChannel();
    if (!process.waitForFinished() || process.exitCode() != 0)
        throw std::runtime_error("gzip failed");
    return process.readAllStandardOutput();
}

QByteArray gzippedTar(const QList<TarMember>& members) {
    QByteArray tar;
    for (const TarMember& member : members) {
        QByteArray header(tarBlock, '\0');
        header.replace(0, qMin<qsizetype>(member.name.size(), 100), member.name.left(100));
        putOctal(header, 100, 8, member.type == '5' ? 0755 : 0644);
        putOctal(header, 108, 8, 0);
        putOctal(header, 116, 8, 0);
        putOctal(header, 124, 12, member.type == '0' ? member.content.size() : 0);
        putOctal(header, 136, 12, 1700000000);
        header[156] = member.type;
        header.replace(157, qMin<qsizetype>(member.linkTarget.size(), 100), member.linkTarget.left(100));
        header.replace(257, 8, QByteArray("ustar\0" "00", 8));
        putOctal(header, 329, 8, 1);
        putOctal(header, 337, 8, 3);
        header.replace(148, 8, QByteArray(8, ' '));
        int checksum = 0;
        for (char byte : header)
            checksum += static_cast<unsigned char>(byte);
        header.replace(148, 8, QByteArray::number(checksum, 8).rightJustified(6, '0') + QByteArray("\0 ", 2));
        tar += header;
        if (member.type == '0') {
            tar += member.content;
            tar += QByteArray((tarBlock - member.content.size() % tarBlock) % tarBlock, '\0');
        }
    }
    tar += QByteArray(2 * tarBlock, '\0');
    return gzip(tar);
}

QMap<QString, QByteArray> treeSnapshot(const QString& root) {
    QMap<QString, QByteArray> tree;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    const QDir base(root);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        const QString key = base.relativeFilePath(path);
        if (info.isSymLink()) {
            tree.insert(key, "-> " + QByteArray::fromStdString(std::filesystem::read_symlink(path.toStdString()).string()));
        } else if (info.isDir()) {
            tree.insert(key, "dir");
        } else {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            tree.insert(key, file.readAll());
        }
    }
    return tree;
}

QString sha256Hex(const QByteArray& data) {
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

} // namespace orvane::test
