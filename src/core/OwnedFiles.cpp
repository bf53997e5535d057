#include "OwnedFiles.h"

#include "FileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUuid>
#include <cerrno>
#include <climits>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

// Linux file systems allow at most 255 bytes in a name; some (eCryptfs) allow fewer.
constexpr long defaultNameLimit = 255;
// A temporary name keeps at most this much of the final name's extension.
constexpr qsizetype maxSuffixBytes = 32;

QString systemText(int error) {
    return qt_error_string(error);
}

QString processId() {
    return QString::number(::getpid());
}

// The lock every owner holds on the whole file while it works: an open-file-description
// lock, which survives other handles to the file being closed (FFmpeg opens its own) and
// ends with the process however it ends.
bool lockWholeFile(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Whether a process holds the file locked; also true when locks cannot be asked about.
bool isLocked(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_GETLK, &lock) != 0 || lock.l_type != F_UNLCK;
}

bool isRunning(qint64 pid) {
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

long nameLimit(const QString& folder) {
    const long limit = ::pathconf(FileName::encode(folder).constData(), _PC_NAME_MAX);
    return limit > 0 ? std::min(limit, defaultNameLimit) : defaultNameLimit;
}

// `text` shortened from the end until its encoded form has at most `bytes` bytes; a letter
// outside the basic plane is never split.
QString fitted(QString text, qsizetype bytes) {
    while (!text.isEmpty() && FileName::encode(text).size() > bytes) {
        text.chop(1);
        if (!text.isEmpty() && text.back().isHighSurrogate())
            text.chop(1);
    }
    return text;
}

const QRegularExpression& partPattern() {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\..*\.([0-9]{1,10})-[0-9a-f]{8}\.part(\.[^.]*)?$)"));
    return pattern;
}

const QRegularExpression& temporaryPattern() {
    static const QRegularExpression pattern(
        QStringLiteral(
            R"(^(%1|%2|%3|%4|%5|%6)([0-9]{1,10})-[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12})"
            R"((\.[A-Za-z0-9]+)?$)")
            .arg(OwnedFiles::exportCopyPrefix, OwnedFiles::gridPrefix, OwnedFiles::mergePrefix,
                 OwnedFiles::mergedPrefix, OwnedFiles::captureFolderPrefix, OwnedFiles::stagingFolderPrefix));
    return pattern;
}

// Removes one marked entry of an ended owner: a regular file nobody holds locked, or a
// temporary workspace folder. Anything else stays.
bool removeLeftover(const QString& path, bool folderAllowed) {
    const QByteArray encoded = FileName::encode(path);
    struct stat status {};
    if (::lstat(encoded.constData(), &status) != 0 || status.st_uid != ::geteuid())
        return false;
    if (S_ISDIR(status.st_mode))
        return folderAllowed && QDir(path).removeRecursively();
    if (!S_ISREG(status.st_mode))
        return false;
    const FileHandle handle(
        ::open(encoded.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    if (!handle.isOpen() || isLocked(handle.fd()))
        return false;
    return ::unlink(encoded.constData()) == 0;
}

} // namespace

OwnedFile OwnedFile::create(const QString& path) {
    FileHandle handle(::open(FileName::encode(path).constData(),
                             O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666));
    if (!handle.isOpen())
        throw FileSystemError(systemText(errno));
    lockWholeFile(handle.fd()); // without lock support only the process id tells
    return OwnedFile(path, std::move(handle));
}

OwnedFile::OwnedFile(OwnedFile&& other) noexcept
    : path_(std::move(other.path_)), handle_(std::move(other.handle_)), kept_(other.kept_) {
    other.kept_ = true;
}

OwnedFile::~OwnedFile() {
    if (!kept_ && !path_.isEmpty())
        ::unlink(FileName::encode(path_).constData());
}

void OwnedFile::writeAll(const QByteArray& data) {
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(handle_.fd(), data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw FileSystemError(systemText(n < 0 ? errno : ENOSPC));
        done += n;
    }
}

void OwnedFile::sync() {
    if (::fsync(handle_.fd()) != 0 && errno != EINVAL)
        throw FileSystemError(systemText(errno));
}

namespace OwnedFiles {

QString partPathFor(const QString& finalPath) {
    const QFileInfo info(finalPath);
    const QString folder = info.absolutePath();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString mark = QStringLiteral(".%1-%2.part")
                             .arg(processId())
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    const QString fixed = fitted(suffix, maxSuffixBytes);
    const qsizetype room = nameLimit(folder) - FileName::encode(QLatin1Char('.') + mark + fixed).size();
    const QString base = info.suffix().isEmpty() ? info.fileName() : info.completeBaseName();
    return QDir(folder).filePath(QLatin1Char('.') + fitted(base, std::max<qsizetype>(room, 0)) + mark +
                                 fixed);
}

QString temporaryPath(const QString& prefix, const QString& suffix) {
    return QDir(QDir::tempPath())
        .filePath(prefix + processId() + QLatin1Char('-') +
                  QUuid::createUuid().toString(QUuid::WithoutBraces) + suffix);
}

std::optional<qint64> ownerOf(const QString& fileName) {
    QString digits;
    if (const auto part = partPattern().match(fileName); part.hasMatch())
        digits = part.captured(1);
    else if (const auto temporary = temporaryPattern().match(fileName); temporary.hasMatch())
        digits = temporary.captured(2);
    else
        return std::nullopt;
    bool ok = false;
    const qint64 pid = digits.toLongLong(&ok);
    return ok && pid > 0 && pid <= INT_MAX ? std::optional<qint64>(pid) : std::nullopt;
}

int sweep(const QString& folder) {
    const QByteArray encoded = FileName::encode(folder);
    DIR* dir = ::opendir(encoded.constData());
    if (!dir)
        return 0;
    QStringList names;
    while (const dirent* entry = ::readdir(dir))
        names << FileName::decode(entry->d_name);
    ::closedir(dir);
    int removed = 0;
    for (const QString& name : names) {
        const auto owner = ownerOf(name);
        if (!owner || *owner == ::getpid() || isRunning(*owner))
            continue;
        const bool isTemporaryName = temporaryPattern().match(name).hasMatch();
        if (removeLeftover(QDir(folder).filePath(name), isTemporaryName))
            ++removed;
    }
    return removed;
}

int sweepTemporaryFolder() {
    return sweep(QDir::tempPath());
}

} // namespace OwnedFiles
} // namespace orvane
