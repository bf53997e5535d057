#pragma once

// What a failure of the media layer says to the user: its own words where it has them (an
// unreadable file's reason, the car's encryption, a power cut's stub, a time outside the video,
// the system's text for a refused write), else the words for damaged data; FFmpeg's own texts
// never. Any thread.

#include "MediaError.h"

#include <QString>

namespace orvane::media {

QString userText(const MediaError& error);

} // namespace orvane::media
