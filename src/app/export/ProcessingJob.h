#pragma once
// The export that is running: its primary video, where the exporter writes, its state and
// progress. Plain value; the view model keeps it on the interface thread.

#include "TeslaVideoFile.h"

#include <QString>
#include <QUuid>

namespace orvane {

struct ProcessingStatus {
    enum class Kind { pending, processing, completed, cancelled, failed };
    Kind kind = Kind::pending;
    QString message; // what the user is shown, for `failed`

    static ProcessingStatus failed(const QString& message) { return {Kind::failed, message}; }
    // "pending", "processing", "completed", "cancelled", "failed".
    QString rawValue() const {
        switch (kind) {
        case Kind::pending:
            return QStringLiteral("pending");
        case Kind::processing:
            return QStringLiteral("processing");
        case Kind::completed:
            return QStringLiteral("completed");
        case Kind::cancelled:
            return QStringLiteral("cancelled");
        case Kind::failed:
            break;
        }
        return QStringLiteral("failed");
    }
    bool operator==(const ProcessingStatus&) const = default;
};

struct ProcessingJob {
    QUuid id;
    TeslaVideoFile video;
    QString outputURL; // absolute path
    ProcessingStatus status;
    double progress = 0;
};

} // namespace orvane
