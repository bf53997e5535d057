#pragma once
// Plain copies of the car's encrypted footage, laid out as a plain drive, for the user to keep.
// Blocking file work: call it off the interface thread.

#include "CancellationToken.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

namespace orvane::DecryptedCopies {

struct Copy {
    QString source;
    QString target;
};

struct Plan {
    std::vector<Copy> clips;    // the car's encrypted files found, and where their copies go
    std::vector<Copy> sidecars; // event.json and thumb.png of the clips' folders
};

// Every encrypted clip under `paths` (a drive, any folder, loose files; folders are walked into),
// placed below `outDir` as a plain drive lays it out: "TeslaCam/" and the path from its category
// folder on (the EncryptedClips level dropped), or by its name alone when no category folder holds
// it. Throws FileSystemError for a path that does not exist or cannot be read.
Plan plan(const QStringList& paths, const QString& outDir);

struct Outcome {
    std::vector<Copy> written;                         // clips decrypted, then sidecars copied
    std::vector<std::pair<QString, QString>> failures; // (source, why)
};

// Decrypts each clip (its key must be in the key ring) into a file of its own beside its target,
// moved there only when no file has that name: an existing file is never replaced, and nothing of a
// failed clip stays. A clip that fails is named with its reason and the others go on; a folder's
// sidecars follow once one of its clips is written. `progress` gets the fraction of bytes done.
// Throws OperationCancelled (what was finished stays).
Outcome write(const Plan& plan, const CancellationToken& cancel,
              const std::function<void(double)>& progress = {});

} // namespace orvane::DecryptedCopies
