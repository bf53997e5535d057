#pragma once
// The address an event card asks for its thumbnail with: self-contained (folder or file and
// the event's time window), so the image provider needs no lookup. Pure functions; any thread.

#include "TeslaClipEvent.h"

#include <QString>

#include <optional>

namespace orvane::EventThumbnailSource {

// The image provider's name in "image://<providerId>/…".
inline constexpr char providerId[] = "eventthumb";

// "image://eventthumb/v1/<base64url of the event's folder, file and time window>".
// `unlocked`: the event's encrypted footage can be read now, so its picture is another one.
QString url(const TeslaClipEvent& event, bool unlocked = false);

// The part after "image://eventthumb/" (what an image provider is handed), or a whole url.
// The result carries exactly what EventThumbnailLoader reads; nothing for anything else.
std::optional<TeslaClipEvent> parse(const QString& idOrUrl);

} // namespace orvane::EventThumbnailSource
