#pragma once

#include "CameraAngle.h"
#include "ClipCategory.h"
#include "EventMetadata.h"
#include "Instant.h"
#include "MetadataParserError.h"
#include "TeslaClipEvent.h"
#include "TeslaVideoFile.h"

#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

namespace orvane {

using EventsByCategory = std::map<ClipCategory, std::vector<TeslaClipEvent>>;

// Turns what the user chose (folders, loose MP4 files) into events by category, and an event
// back into its camera files. Stateless: every call reads the disk again.
namespace MetadataParser {

// Files belong to a continuous session's or an event's range with this much slack (seconds).
inline constexpr double rangeTolerance = 0.5;
// Where cars on firmware 2026.20 and later keep encrypted recordings, by category inside.
inline const QString encryptedClipsFolderName = QStringLiteral("EncryptedClips");

// The events of everything chosen, per category, deduplicated and latest first.
// Throws MetadataParserError::cannotParseTime for a chosen loose file without a usable time.
EventsByCategory scanLibrary(const QStringList& paths);

// The camera files of one event for one camera, or every camera with `all`.
// Throws FileSystemError when the event's folder cannot be listed.
std::vector<TeslaVideoFile> loadVideos(const TeslaClipEvent& event, CameraAngle cameraFilter);

// Every MP4 file of an event, all cameras, sorted by file name.
QStringList sourceVideoURLs(const TeslaClipEvent& event);

// Building blocks, exposed for tests and for the other loaders.
// "yyyy-MM-dd_HH-mm-ss": a clip folder's name (the layout only; the date may be impossible).
bool isEventFolderName(QStringView name);
std::optional<Instant> parseFileNameDate(const QString& name);
std::optional<Instant> parseEventFolderDate(const QString& name);
std::optional<CameraAngle> parseCameraAngle(const QString& name);
std::optional<EventMetadata> loadMetadata(const QString& folder);
QStringList mp4Names(const QString& folder); // names, in listing order
QStringList mp4Files(const QString& folder); // full paths
int countVideoGroups(const QStringList& paths);
bool isTeslaCamRoot(const QString& folder);
Instant parseStartTime(const QString& fileName, const QString& directory,
                       const std::optional<EventMetadata>& eventMetadata);
TeslaVideoFile parseVideo(const QString& path, const std::optional<EventMetadata>& eventMetadata);
std::vector<TeslaClipEvent> deduplicatedEvents(const std::vector<TeslaClipEvent>& events);

void appendEvents(const QString& folder, EventsByCategory& into);
TeslaClipEvent makeImportedEvent(const QString& file);
// A category folder's clip folders, (for recent footage) its day folders, and its loose files.
std::vector<TeslaClipEvent> scanCategoryFolder(const QString& folder, ClipCategory category);
std::vector<TeslaClipEvent> scanEventFolders(const QString& folder, ClipCategory category);
std::vector<TeslaClipEvent> scanFlatVideos(const QString& folder, ClipCategory category);
std::vector<TeslaClipEvent> summarizeEvents(const QString& folder, ClipCategory category);
std::optional<TeslaClipEvent> summarizeGenericFolder(const QString& folder);
std::optional<TeslaClipEvent> summarizeRecentClipsSession(const QString& folder,
                                                          const QStringList& videoFiles);
std::vector<TeslaVideoFile> loadContinuousSessionVideos(const TeslaClipEvent& event,
                                                        CameraAngle cameraFilter);

} // namespace MetadataParser
} // namespace orvane
