#pragma once
// Why the key of an encrypted file could not be had, in the user's words.
// Plain values; any thread.

#include "UserFacingError.h"

#include <QString>

namespace orvane::keys {

class KeyServiceError : public UserFacingError {
public:
    enum class Kind {
        tokenMissing, // no token was given
        tokenRefused, // the service refused the token (401/403): ask for a new one
        unreachable,  // no connection to the service
        timedOut,     // the service did not answer in time
        badAnswer,    // the service answered something else than keys (another status, no JSON)
        keyRefused,   // the service refused this one file's key
        wrongKey,     // the key given does not decrypt this file
        unreadable,   // the file cannot be read or is no whole container
    };

    static KeyServiceError tokenMissing();
    static KeyServiceError tokenRefused();
    // `reason`: Qt's words for the connection's failure.
    static KeyServiceError unreachable(const QString& reason);
    static KeyServiceError timedOut(int seconds);
    static KeyServiceError badAnswer(const QString& detail);
    // `reason`: what the service said about the file (trimmed; it may be absent).
    static KeyServiceError keyRefused(const QString& fileName, const QString& reason);
    static KeyServiceError wrongKey(const QString& path);
    // `description`: the container's own words (it names the file).
    static KeyServiceError unreadable(const QString& description);

    Kind kind() const { return kind_; }

private:
    KeyServiceError(Kind kind, const QString& description) : UserFacingError(description), kind_(kind) {}
    Kind kind_;
};

} // namespace orvane::keys
