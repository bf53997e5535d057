#pragma once

// How much of a camera file can be read, judged from its index against the bytes on disk without
// reading its pictures, so an export can tell before any work what of each minute it can use.
// Blocking (opens the file); any thread.

#include "MediaError.h"

#include <QString>

namespace orvane::media {

// The system refused to open the file (it is gone, the drive went away, access is denied): not
// damage in the file itself.
class ReadRefusedError : public UnreadableMediaError {
public:
    using UnreadableMediaError::UnreadableMediaError;
};

struct ReadableSpan {
    double indexedLength = 0;  // seconds of video the index lists
    double readableLength = 0; // seconds from the first picture to the first one not wholly on disk
    double frameDuration = 0;  // seconds one picture is shown

    // The file ends before the pictures its index lists (cut short after its index was written).
    bool cutShort() const;
};

// Throws ReadRefusedError when the system refuses the file, EncryptedClipError for the car's
// encrypted container, ClipStubError for a power cut's stub, and UnreadableMediaError when it
// cannot be read as video at all (cut off before its index, no pictures).
ReadableSpan readableSpan(const QString& path);

} // namespace orvane::media
