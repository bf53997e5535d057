#pragma once

// File names as the file system holds them (bytes, not always valid UTF-8) carried in QString.
// Any thread may call these.

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace orvane::FileName {

// A name's bytes as a QString: valid UTF-8 decodes as usual, and each byte that is not part of
// valid UTF-8 becomes the lone surrogate U+DC80…U+DCFF, so encode() gives back the same bytes.
// (QFile::decodeName turns such bytes into U+FFFD, and the file can then not be reached.)
QString decode(const QByteArray& bytes);
QByteArray encode(const QString& path);

// Whether the path holds bytes that are not valid UTF-8, which Qt's own file functions,
// QProcess arguments and UTF-8 text cannot carry.
bool hasRawBytes(const QString& path);

// The path for people to read: each byte that is not valid UTF-8 shown as "\xE9".
QString display(const QString& path);

// Whether `path` is `folder` or lies below it (both absolute and clean): "/media/a" holds
// "/media/a/x" but not "/media/ab".
bool liesIn(const QString& path, const QString& folder);

// file: URLs carry the bytes percent-encoded; other URLs pass through as text.
QString fromUrl(const QUrl& url);
QUrl toUrl(const QString& path);

// The process's arguments as given, argv[0] left out.
QStringList arguments(int argc, const char* const* argv);

// `path` made absolute against the working folder and cleaned. Raises FileSystemError naming
// the system's limit when the result, or the working folder, is longer than PATH_MAX bytes.
QString absolute(const QString& path);

} // namespace orvane::FileName
