#include "UpdateArchive.h"

#include "AppUpdateError.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QList>
#include <QProcess>
#include <QStringList>

#include <optional>

namespace orvane::UpdateArchive {

namespace {

const QString tarProgram = QStringLiteral("/usr/bin/tar");
// A release is tens of megabytes; this only stops an archive that would fill the disk when unpacked.
constexpr qint64 maximumUnpackedBytes = qint64(4) << 30;
// Link chains longer than this are refused (the kernel gives up at 40 as well).
constexpr int maximumLinkHops = 40;
constexpr int tarTimeoutMilliseconds = 10 * 60 * 1000;
constexpr int pollMilliseconds = 100;

struct Entry {
    char type = 0; // as tar lists it: '-' file, 'd' folder, 'l' symbolic link, 'h' hard link, …
    qint64 size = 0;
    QString name;
    QString linkTarget;
};

// Reads one C-quoted string ("…" with backslash escapes) starting at `pos`; moves `pos` past it.
std::optional<QString> readQuoted(const QByteArray& line, qsizetype& pos) {
    if (pos >= line.size() || line[pos] != '"')
        return std::nullopt;
    QByteArray bytes;
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            return QString::fromUtf8(bytes);
        }
        if (c != '\\') {
            bytes.append(c);
            continue;
        }
        if (++pos >= line.size())
            return std::nullopt;
        c = line[pos];
        static const QByteArray escaped = "abfnrtv\\\"?";
        static const QByteArray meaning = "\a\b\f\n\r\t\v\\\"?";
        if (const qsizetype known = escaped.indexOf(c); known >= 0) {
            bytes.append(meaning[known]);
        } else if (c >= '0' && c <= '7') {
            int value = 0;
            for (int digits = 0; digits < 3 && pos < line.size() && line[pos] >= '0' && line[pos] <= '7'; ++digits, ++pos)
                value = value * 8 + (line[pos] - '0');
            --pos;
            bytes.append(char(value));
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// One line of `tar --list --verbose --quoting-style=c --numeric-owner --full-time`:
// mode owner/group size date time "name" [-> "target" | link to "target"].
std::optional<Entry> parseLine(const QByteArray& line) {
    qsizetype pos = line.indexOf('"');
    if (pos < 0)
        return std::nullopt;
    const QList<QByteArray> fields = line.left(pos).simplified().split(' ');
    if (fields.size() != 5 || fields[0].isEmpty())
        return std::nullopt;
    Entry entry;
    entry.type = fields[0][0];
    bool sizeIsNumber = false;
    entry.size = fields[2].toLongLong(&sizeIsNumber);
    if (!sizeIsNumber)
        entry.size = 0; // devices list "major,minor" here; they are refused by type anyway
    const std::optional<QString> name = readQuoted(line, pos);
    if (!name)
        return std::nullopt;
    entry.name = *name;
    if (pos == line.size())
        return entry.type == 'l' || entry.type == 'h' ? std::nullopt : std::optional(entry);
    const QByteArray separator = entry.type == 'l' ? " -> " : entry.type == 'h' ? " link to " : QByteArray();
    if (separator.isEmpty() || line.mid(pos, separator.size()) != separator)
        return std::nullopt;
    pos += separator.size();
    const std::optional<QString> target = readQuoted(line, pos);
    if (!target || pos != line.size())
        return std::nullopt;
    entry.linkTarget = *target;
    return entry;
}

// The parts of a member name without "." parts; nothing when it is absolute, has a ".." part or
// does not start with the bundle folder.
std::optional<QStringList> memberParts(const QString& name) {
    if (name.startsWith(u'/'))
        return std::nullopt;
    QStringList parts = name.split(u'/', Qt::SkipEmptyParts);
    parts.removeAll(QStringLiteral("."));
    if (parts.isEmpty() || parts.first() != bundleFolderName || parts.contains(QStringLiteral("..")))
        return std::nullopt;
    return parts;
}

// Follows the archive's own symbolic links through a path, as the kernel would after unpacking.
class LinkResolver {
public:
    void addLink(const QStringList& parts, const QString& target) { links_.insert(parts.join(u'/'), target); }

    // Whether `parts`, with every link on the way followed, ends inside the bundle folder.
    bool staysInBundle(const QStringList& parts) const {
        QStringList pending = parts;
        QStringList resolved;
        int hops = 0;
        while (!pending.isEmpty()) {
            const QString part = pending.takeFirst();
            if (part.isEmpty() || part == u".")
                continue;
            if (part == u"..") {
                if (resolved.isEmpty())
                    return false;
                resolved.removeLast();
                continue;
            }
            resolved.append(part);
            const auto link = links_.constFind(resolved.join(u'/'));
            if (link == links_.cend())
                continue;
            if (++hops > maximumLinkHops || link->startsWith(u'/'))
                return false;
            resolved.removeLast();
            pending = link->split(u'/') + pending;
        }
        return !resolved.isEmpty() && resolved.first() == bundleFolderName;
    }

private:
    QHash<QString, QString> links_;
};

bool isSafe(const QList<Entry>& entries) {
    LinkResolver resolver;
    QList<QStringList> names;
    QHash<QString, char> typeByName;
    qint64 totalBytes = 0;
    for (const Entry& entry : entries) {
        const std::optional<QStringList> parts = memberParts(entry.name);
        if (!parts)
            return false;
        const QString key = parts->join(u'/');
        switch (entry.type) {
        case '-':
        case 'd':
            break;
        case 'l':
            resolver.addLink(*parts, entry.linkTarget);
            break;
        case 'h': {
            // A hard link to a symbolic link would be a copy of that link in another folder.
            const std::optional<QStringList> target = memberParts(entry.linkTarget);
            if (!target || typeByName.value(target->join(u'/')) != '-')
                return false;
            break;
        }
        default:
            return false; // devices, FIFOs, sockets, volume labels, …
        }
        totalBytes += entry.size;
        if (entry.size < 0 || totalBytes > maximumUnpackedBytes)
            return false;
        typeByName.insert(key, entry.type);
        names.append(*parts);
    }
    for (const QStringList& parts : names) {
        if (!resolver.staysInBundle(parts))
            return false;
    }
    return true;
}

// Runs tar to its end; its standard output when it exits with 0, otherwise mountFailed.
QByteArray runTar(const QStringList& arguments) {
    QProcess tar;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    tar.setProcessEnvironment(environment);
    tar.setStandardInputFile(QProcess::nullDevice());
    tar.setStandardErrorFile(QProcess::nullDevice());
    tar.start(tarProgram, arguments);
    if (!tar.waitForStarted())
        throw AppUpdateError::mountFailed();
    // Read while it runs so a long listing never fills the pipe.
    QByteArray output;
    const QDeadlineTimer deadline(tarTimeoutMilliseconds);
    while (tar.state() != QProcess::NotRunning && !tar.waitForFinished(pollMilliseconds)) {
        output += tar.readAllStandardOutput();
        if (deadline.hasExpired()) {
            tar.kill();
            tar.waitForFinished();
            throw AppUpdateError::mountFailed();
        }
    }
    output += tar.readAllStandardOutput();
    if (tar.exitStatus() != QProcess::NormalExit || tar.exitCode() != 0)
        throw AppUpdateError::mountFailed();
    return output;
}

} // namespace

void unpack(const QString& archive, const QString& destination) {
    const QByteArray listing =
        runTar({QStringLiteral("--list"), QStringLiteral("--verbose"), QStringLiteral("--gzip"),
                QStringLiteral("--quoting-style=c"), QStringLiteral("--numeric-owner"), QStringLiteral("--full-time"),
                QStringLiteral("--file=") + archive});
    QList<Entry> entries;
    for (const QByteArray& line : listing.split('\n')) {
        if (line.isEmpty())
            continue;
        const std::optional<Entry> entry = parseLine(line);
        if (!entry)
            throw AppUpdateError::mountFailed();
        entries.append(*entry);
    }
    if (!isSafe(entries))
        throw AppUpdateError::mountFailed();
    runTar({QStringLiteral("-xzf"), archive, QStringLiteral("-C"), destination, QStringLiteral("--no-same-owner"),
            QStringLiteral("--no-same-permissions")});
}

} // namespace orvane::UpdateArchive
