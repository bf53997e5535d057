#pragma once
// What a camera file holds, judged by its content, and the words for footage that cannot play.
// The media layer opens every clip through this rule: a container whose key the session holds
// is read through the decrypting reader. Pure functions and blocking reads; any thread.

#include "MediaError.h"

#include <QByteArrayView>
#include <QString>
#include <cstdint>

namespace orvane::media {

enum class ClipKind {
    mp4,       // an ISO base media file: playable as far as its content goes
    encrypted, // the car's encrypted container (firmware 2026.20 and later, on by default) whose
               // key this session does not hold: it cannot play
    unlocked,  // the car's encrypted container whose key is in the key ring: it plays as an mp4
    stub,      // empty, or the few hundred bytes a power cut leaves: no footage at all
    unknown,   // anything else, or a file that could not be read
};

// The car encrypted the clip and its key is not known: nothing of it can be decoded here.
class EncryptedClipError : public MediaError {
public:
    EncryptedClipError();
};

// A power-cut stub: the file holds no footage.
class ClipStubError : public MediaError {
public:
    ClipStubError();
};

namespace ClipSource {

// Files this small hold no footage unless they carry a whole index (moov); the car's power-cut
// leftovers are 0 or about 595 bytes.
inline constexpr int64_t stubMaximumBytes = 1024;
// How much of the start of a file classify() wants: all of a possible stub.
inline constexpr int64_t inspectedBytes = stubMaximumBytes;

// `head` is the start of the file (up to inspectedBytes), `fileSize` its whole size. A container
// is unlocked when the key ring holds its file id's key.
ClipKind classify(QByteArrayView head, int64_t fileSize);
// Reads the start of a regular file; unknown when it cannot be opened or read.
ClipKind inspect(const QString& path);
// The same for a file already open for reading (the position is not moved).
ClipKind inspectOpen(int fd);

// The car encrypted the file (whether or not its key is known).
inline bool isCarEncrypted(ClipKind kind) {
    return kind == ClipKind::encrypted || kind == ClipKind::unlocked;
}

// What the user is told about an encrypted clip, and where the car turns encryption off.
QString encryptedMessage();
// What the user is told about a power-cut stub.
QString stubMessage();
// The short forms for a grid cell or a minute in the list.
QString encryptedNote();
QString stubNote();

} // namespace ClipSource
} // namespace orvane::media
