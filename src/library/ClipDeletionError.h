#pragma once
// Why moving events' files to the Trash did not fully succeed, in the user's words.
// Plain value; any thread.

#include "MetadataParserError.h"

#include <QString>
#include <QStringList>

#include <utility>

namespace orvane {

class ClipDeletionError : public UserFacingError {
public:
    enum class Kind { partiallyFailed, noSourceVideos };

    // Some files stayed where they were; the ones moved stay in the Trash.
    static ClipDeletionError partiallyFailed(int deletedCount, const QStringList& failedNames);
    // Nothing of the chosen events is left on the drive to move.
    static ClipDeletionError noSourceVideos();

    Kind kind() const { return kind_; }
    int deletedCount() const { return deletedCount_; }
    const QStringList& failedNames() const { return failedNames_; }

private:
    ClipDeletionError(Kind kind, const QString& description, int deletedCount = 0, QStringList failedNames = {})
        : UserFacingError(description), kind_(kind), deletedCount_(deletedCount), failedNames_(std::move(failedNames)) {}
    Kind kind_;
    int deletedCount_;
    QStringList failedNames_;
};

} // namespace orvane
