#pragma once

// Checks an export against its manifest and, given the drive, against the car's own files.
// Blocking file work: call it off the interface thread.

#include <QString>
#include <QStringList>
#include <vector>

namespace orvane {

struct VerificationCheck {
    QString name;    // manifest, output, frameCount, source, derived
    QString subject; // the file checked (a source's path below TeslaCam), else empty
    bool ok = false;
    QString message; // what differs, in the user's words; empty when it holds
};

namespace ExportVerifier {

// Every check that applies: the manifest's own digest and the output's hash and frames always;
// with `drives` (TeslaCam folders or the folders holding them) each source's presence and hash,
// and the frame count and first and last recorded times worked out again from the sources.
std::vector<VerificationCheck> verify(const QString& exportPath, const QStringList& drives);

bool allHold(const std::vector<VerificationCheck>& checks);

} // namespace ExportVerifier
} // namespace orvane
