#pragma once
// The owner's token on the command line and the keys of the encrypted footage a command reads.
// The token comes from ORVANE_DASHCAM_TOKEN or a file named by --token-file, never from an argument
// (every user sees those in the process list), and is never printed. Main thread.

#include "KeyService.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace orvane::cli {

struct KeyAccess {
    std::optional<QString> tokenFile;

    // Takes "--token-file FILE" out of `args`; false when FILE is missing.
    bool takeFrom(QStringList& args);
    // Whether a token file or the environment variable gives a token.
    bool tokenGiven() const;

    // The token, or nothing when none was given; a token file that cannot be read is a failure
    // (printed).
    std::optional<QString> token(bool& failed) const;

    // Makes the car's encrypted files among `paths` readable by fetching their keys. Without a
    // token, or when a key cannot be had, it prints why and returns false.
    bool unlock(const QStringList& paths) const;

    // Fetches the keys of the encrypted files among `paths` with the token; nothing is printed.
    // The missing token is the result's serviceError (tokenMissing).
    keys::KeyFetchResult fetch(const QStringList& paths, bool& tokenFileFailed) const;
};

// What the command line adds to the words for locked footage: how to give the token.
QString tokenHint();

inline const QString tokenFileUsage = QStringLiteral("[--token-file FILE]");

} // namespace orvane::cli
