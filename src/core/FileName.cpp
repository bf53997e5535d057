#include "FileName.h"

#include "UserFacingError.h"

#include <QCoreApplication>
#include <QDir>
#include <cerrno>
#include <climits>
#include <unistd.h>

namespace orvane::FileName {

namespace {

constexpr char16_t escapeBase = 0xDC00; // U+DC80…U+DCFF stand for the bytes 0x80…0xFF
constexpr uchar firstNonAscii = 0x80;

// The length of the valid UTF-8 sequence at `i`, or 0 when its first byte is not part of one
// (overlong forms, encoded surrogates and code points past U+10FFFF are not valid).
qsizetype validSequence(const QByteArray& bytes, qsizetype i) {
    const auto at = [&](qsizetype k) { return k < bytes.size() ? uchar(bytes[k]) : uchar(0); };
    const uchar lead = at(i);
    const auto continuation = [&](qsizetype k, uchar low = 0x80, uchar high = 0xBF) {
        return at(k) >= low && at(k) <= high;
    };
    if (lead < firstNonAscii)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return continuation(i + 1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const uchar low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
        return continuation(i + 1, low, high) && continuation(i + 2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const uchar low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
        return continuation(i + 1, low, high) && continuation(i + 2) && continuation(i + 3) ? 4 : 0;
    }
    return 0;
}

bool isEscape(char16_t unit) {
    return unit >= escapeBase + firstNonAscii && unit <= escapeBase + 0xFF;
}

QString tooLong(const QString& path) {
    return QCoreApplication::translate("FileName", "路径超过系统上限（PATH_MAX，%1 字节）: %2")
        .arg(PATH_MAX)
        .arg(display(path));
}

} // namespace

QString decode(const QByteArray& bytes) {
    QString text;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype length = validSequence(bytes, i);
        if (length > 0) {
            i += length;
            continue;
        }
        text += QString::fromUtf8(bytes.constData() + runStart, i - runStart);
        text += QChar(char16_t(escapeBase + uchar(bytes[i])));
        runStart = ++i;
    }
    return runStart == 0 ? QString::fromUtf8(bytes) : text + QString::fromUtf8(bytes.mid(runStart));
}

QByteArray encode(const QString& path) {
    if (!hasRawBytes(path))
        return path.toUtf8();
    QByteArray bytes;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < path.size() && path[i + 1].isLowSurrogate()) {
            ++i; // a whole pair: ordinary text
            continue;
        }
        if (!isEscape(unit))
            continue;
        bytes += QStringView(path).mid(runStart, i - runStart).toUtf8();
        bytes += char(unit - escapeBase);
        runStart = i + 1;
    }
    return bytes + QStringView(path).mid(runStart).toUtf8();
}

bool hasRawBytes(const QString& path) {
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < path.size() && path[i + 1].isLowSurrogate())
            ++i;
        else if (isEscape(unit))
            return true;
    }
    return false;
}

bool liesIn(const QString& path, const QString& folder) {
    if (folder == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == folder || (path.startsWith(folder) && path.at(folder.size()) == QLatin1Char('/'));
}

QString display(const QString& path) {
    if (!hasRawBytes(path))
        return path;
    QString text;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        const bool pair = QChar::isHighSurrogate(unit) && i + 1 < path.size() && path[i + 1].isLowSurrogate();
        if (pair)
            text += path.mid(i++, 2);
        else if (isEscape(unit))
            text += QStringLiteral("\\x") + QString::number(unit - escapeBase, 16).toUpper();
        else
            text += path[i];
    }
    return text;
}

QString fromUrl(const QUrl& url) {
    if (!url.isLocalFile())
        return url.toString();
    return decode(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

QUrl toUrl(const QString& path) {
    return QUrl::fromEncoded("file://" + encode(path).toPercentEncoding("/"));
}

QStringList arguments(int argc, const char* const* argv) {
    QStringList list;
    for (int i = 1; i < argc; ++i)
        list << decode(QByteArray(argv[i]));
    return list;
}

QString absolute(const QString& path) {
    QString whole = path;
    if (!path.startsWith(QLatin1Char('/'))) {
        char folder[PATH_MAX];
        if (!::getcwd(folder, sizeof folder)) {
            if (errno == ERANGE || errno == ENAMETOOLONG)
                throw FileSystemError(tooLong(path));
            throw FileSystemError(qt_error_string(errno) + QStringLiteral(": ") + display(path));
        }
        whole = decode(QByteArray(folder)) + QLatin1Char('/') + path;
    }
    whole = QDir::cleanPath(whole);
    if (encode(whole).size() >= PATH_MAX)
        throw FileSystemError(tooLong(whole));
    return whole;
}

} // namespace orvane::FileName
