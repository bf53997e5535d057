#pragma once

// The sidecar that proves where an export came from: its sources' hashes and frames, the
// output's hash, and a digest of itself. Blocking file work: call it off the interface thread.

#include "CancellationToken.h"
#include "ExportSettings.h"
#include "Instant.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <thread>
#include <vector>

namespace orvane {

// One source file as it was when the export read it.
struct ManifestSource {
    QString path;           // absolute, never written to the manifest
    int64_t size = -1;      // -1: it could not be examined
    int64_t modifiedMs = 0; // since 1970, UTC
    QString sha256;         // empty: it could not be read (`problem` says why)
    QString problem;
};

// Hashes the export's source files on a thread of its own while the export reads them, so the
// pages come from one read of the drive and the hash adds no pass of its own to the export's time.
class SourceHashing {
public:
    SourceHashing(QStringList paths, CancellationToken cancel);
    ~SourceHashing(); // cancels and waits
    SourceHashing(const SourceHashing&) = delete;
    SourceHashing& operator=(const SourceHashing&) = delete;

    // Waits for the hashes, in the order given (duplicates once).
    const std::vector<ManifestSource>& finish();

private:
    std::vector<ManifestSource> results_;
    CancellationToken cancel_;
    std::thread worker_;
};

// The first and last source frames an export used of each recorded minute, by their true times.
class FramesUsed {
public:
    void add(Instant minuteStart, Instant recordedAt);
    // None when the export used nothing recorded from that minute.
    std::optional<std::pair<Instant, Instant>> of(Instant minuteStart) const;
    int64_t count() const { return count_; }

private:
    std::map<Instant, std::pair<Instant, Instant>> spans_;
    int64_t count_ = 0;
};

struct ManifestInput {
    QString kind; // single, range, continuous, grid
    WatermarkSettings settings;
    double requestedLength = 0;
    std::vector<ManifestSource> sources;
    FramesUsed frames;
    QString outputPath; // the complete file, perhaps still under its hidden name
    QString outputName; // the name it is delivered under
    std::optional<Instant> firstTime, lastTime;
    double exportedLength = 0;
};

namespace ExportManifest {

inline constexpr int formatVersion = 1;

// `<name without extension>.orvane.json` beside the export.
QString pathFor(const QString& exportPath);
// The path below the drive's TeslaCam folder ("SavedClips/<event>/<file>"), else the name alone:
// a manifest never names the user's own folders.
QString driveRelative(const QString& absolutePath);
// The frame of `file` shown at `offset` seconds into it, and that frame's own offset: from the
// file's index, else counted at the cars' frame rate.
std::pair<int64_t, double> frameAt(const QString& file, double offset);
// When the car began recording `path`, by its name; none for a file named otherwise.
std::optional<Instant> fileStart(const QString& path);
// Seconds into `file` at which its frame `index` is shown, the same way; none past its end.
std::optional<double> frameOffset(const QString& file, int64_t index);
// An instant as the manifest writes it (UTC, milliseconds), and back.
QString timeText(Instant at);
std::optional<Instant> timeFrom(const QString& text);

// Reads the output (already complete) and makes the manifest, its digest filled in.
QJsonObject build(const ManifestInput& input, const CancellationToken& cancel);
// The form the digest covers: keys sorted, no whitespace, without the digest itself.
QByteArray canonical(QJsonObject manifest);
QString digestOf(const QJsonObject& manifest);
// Writes it beside the export, whole, only where no file of that name is. Throws FileSystemError.
void write(const QJsonObject& manifest, const QString& manifestPath);
// Throws FileSystemError when it cannot be read or is not a JSON object.
QJsonObject read(const QString& manifestPath);

} // namespace ExportManifest
} // namespace orvane
