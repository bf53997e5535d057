#pragma once
// Gets the keys of the car's encrypted files from the car maker's key service with the owner's
// token, into the session's key ring. fetchKeys blocks (any thread but the interface thread, or the
// command line's main thread); fetchKeysAsync is called from the interface thread and completes
// there through its future.
//
// How the window uses it: filesNeedingKeys(the event's files) tells whether to offer unlocking;
// fetchKeysAsync(files, token).then(context, …) delivers a KeyFetchResult on the interface thread;
// serviceError says what to tell the user (tokenRefused: ask for the token again), failures name
// each file left locked. Files in `unlocked` now read as plain ones: ClipSource::inspect says
// unlocked, and opening them again (player, thumbnails, telemetry, exports) plays them.

#include "CancellationToken.h"
#include "KeyServiceError.h"

#include <QFuture>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>
#include <vector>

namespace orvane::keys {

// Items in one request: known tools send 20 to 30.
inline constexpr int maxBatchItems = 20;
// How long one request may take before the service counts as unreachable.
inline constexpr int requestTimeoutMilliseconds = 15000;
// The environment variable that replaces the service's address (an organisation's proxy, tests).
inline constexpr char serviceUrlVariable[] = "ORVANE_KEY_SERVICE_URL";

// ORVANE_KEY_SERVICE_URL when set, else the car maker's batch address.
QUrl serviceUrl();

struct KeyServiceOptions {
    QUrl url = serviceUrl(); // https, or http to this machine only: the token goes nowhere else
    int timeoutMilliseconds = requestTimeoutMilliseconds; // capped at requestTimeoutMilliseconds
};

struct FileKeyFailure {
    QString path;
    KeyServiceError error;
};

// Files appear in the order they were given.
struct KeyFetchResult {
    QStringList unlocked;                 // the encrypted files given whose key is in the key ring
    std::vector<FileKeyFailure> failures; // every other encrypted file given, with its reason
    // Why the service gave no keys at all or stopped (token missing or refused, unreachable, too
    // slow, a bad answer); the files it left without a key are in failures too.
    std::optional<KeyServiceError> serviceError;
    // Stopped by its cancellation token: the files not yet answered are in neither list.
    bool cancelled = false;

    bool complete() const { return failures.empty() && !serviceError && !cancelled; }
};

// The car's encrypted files among `paths` whose key the session does not hold; plain, unreadable
// and unlocked files are left out. Reads the start of each file: call it off the interface thread.
QStringList filesNeedingKeys(const QStringList& paths);

// Reads the encrypted files' headers, asks for the keys not yet known in requests of at most
// maxBatchItems (each file id is asked once a session: an answer, key or refusal, is remembered;
// a request that failed as a whole may be repeated), checks every key against its file and keeps
// the good ones in the key ring. Runs its own event loop for the network; fetches run one at a
// time. `cancel` stops it. The token is sent only to options.url, in the Authorization header,
// and is never kept. Throws only std::runtime_error from a broken OpenSSL.
KeyFetchResult fetchKeys(const QStringList& paths, const QString& token,
                         const KeyServiceOptions& options = {}, const CancellationToken& cancel = {});

// fetchKeys on a worker thread of its own.
QFuture<KeyFetchResult> fetchKeysAsync(const QStringList& paths, const QString& token,
                                       const KeyServiceOptions& options = {},
                                       const CancellationToken& cancel = {});

// Forgets every key and answer of the session (the key ring is wiped).
void forgetSession();

} // namespace orvane::keys
