#include "MediaErrorText.h"

#include "ClipSource.h"

namespace orvane::media {

QString userText(const MediaError& error) {
    if (const auto* unreadable = dynamic_cast<const UnreadableMediaError*>(&error))
        return unreadable->reason();
    // These say what they mean in the user's words (a refused write: the system's).
    if (dynamic_cast<const EncryptedClipError*>(&error) || dynamic_cast<const ClipStubError*>(&error) ||
        dynamic_cast<const TimeOutsideVideoError*>(&error) || dynamic_cast<const OutputWriteError*>(&error))
        return QString::fromStdString(error.what());
    return readFailureText(0);
}

} // namespace orvane::media
