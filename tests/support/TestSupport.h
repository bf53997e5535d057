#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>
#include <optional>
#include <string>

namespace orvane::test {

// A temporary folder removed at the end of the test; paths are made under it.
class TempFolder {
public:
    TempFolder();
    QString path() const { return dir_.path(); }
    // Absolute path of `relative` under the folder (not created).
    QString operator/(const QString& relative) const { return dir_.path() + QLatin1Char('/') + relative; }
    // Creates the folder `relative` (with parents) and returns its path.
    QString makeFolder(const QString& relative) const;
    // Writes `content` into `relative`, creating parent folders; returns its path.
    QString writeFile(const QString& relative, const QByteArray& content = {}) const;

private:
    QTemporaryDir dir_;
};

// Sets TZ for the lifetime of the object (and restores it).
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone);
    ~ScopedTimeZone();

private:
    std::optional<std::string> previous_;
};

// Runs a program and returns its standard output; nothing when it cannot start or fails.
std::optional<QByteArray> runProgram(const QString& program, const QStringList& arguments, int* exitCode = nullptr,
                                     QByteArray* standardError = nullptr);

} // namespace orvane::test
