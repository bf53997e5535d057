#pragma once
// Unpacks a downloaded release archive (.tar.gz) after checking that every entry stays inside its
// one top folder "Orvane". Blocking (runs tar); call it off the GUI thread.

#include <QString>

namespace orvane::UpdateArchive {

// The one top-level folder of a release archive, holding the bundle.
inline const QString bundleFolderName = QStringLiteral("Orvane");

// Lists `archive` with tar and unpacks it into the existing folder `destination` only when every
// entry is a plain file, folder, symbolic link or hard link under "Orvane/", no name is absolute or
// has a ".." part, no link leads outside the bundle, and the files are not implausibly large.
// Throws AppUpdateError::mountFailed when tar fails or the archive is refused (nothing is unpacked then).
void unpack(const QString& archive, const QString& destination);

} // namespace orvane::UpdateArchive
