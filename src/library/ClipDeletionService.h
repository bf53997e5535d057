#pragma once
// Moves the camera files of chosen events to the desktop Trash, so the user can restore them;
// nothing is ever erased. Blocking: run it off the interface thread (any thread may call it).

#include "ClipDeletionError.h"
#include "TeslaClipEvent.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace orvane::ClipDeletionService {

// Moves one file to the Trash; true only when the file now lies in a trash folder, false when
// it is still where it was.
using TrashMover = std::function<bool(const QString& path)>;

// Every MP4 file of the events (all cameras, within each event's time window), each once in
// first-seen order, without files that no longer exist. Throws the listing's FileSystemError
// when a folder cannot be read.
QStringList sourceFiles(const std::vector<TeslaClipEvent>& events);

// Moves the events' files to the Trash one by one and returns how many moved. All folders are
// listed before anything moves. Throws ClipDeletionError::noSourceVideos when there is nothing
// to move and ClipDeletionError::partiallyFailed when any file stayed in place.
int moveSourceVideosToTrash(const std::vector<TeslaClipEvent>& events);
int moveSourceVideosToTrash(const std::vector<TeslaClipEvent>& events, const TrashMover& moveToTrash);

// The freedesktop Trash, by the file system's bytes: the home trash, or at the top of another
// drive `.Trash/<uid>` (when the administrator made it) or `.Trash-<uid>`. A file that cannot
// be trashed stays in place (false); nothing is ever moved outside a trash folder.
bool moveFileToTrash(const QString& path);

// Creates the user's data folder (where the home trash lives) when it is missing. Call it at
// start-up; moveFileToTrash calls it too.
bool ensureGenericDataFolder();

// Whether a path reported for a trashed file lies in the files folder of a trash: the home
// trash `homeTrash`, `<top>/.Trash-<uid>` or `<top>/.Trash/<uid>`.
bool isInTrash(const QString& trashedPath, const QString& homeTrash, unsigned userId);

} // namespace orvane::ClipDeletionService
