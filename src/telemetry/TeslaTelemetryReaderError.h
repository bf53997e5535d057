#pragma once

#include "UserFacingError.h"

#include <QCoreApplication>

namespace orvane {

class TeslaTelemetryReaderError : public UserFacingError {
public:
    enum class Kind { cannotRead, corruptFile, encrypted };

    // Opening, seeking or reading failed; `systemText` is the operating system's own message.
    static TeslaTelemetryReaderError cannotRead(const QString& path, const QString& systemText) {
        return {Kind::cannotRead,
                QCoreApplication::translate("TeslaTelemetryReaderError", "无法读取文件 %1: %2")
                    .arg(path, systemText)};
    }
    // The box structure does not lead to the media data.
    static TeslaTelemetryReaderError corruptFile(const QString& path) {
        return {Kind::corruptFile, QCoreApplication::translate("TeslaTelemetryReaderError",
                                                               "文件已损坏或不是有效的 MP4 文件: ") +
                                       path};
    }
    // The car encrypted the file and it cannot be decrypted (no key, a wrong key, a damaged
    // container): the container's own words.
    static TeslaTelemetryReaderError encrypted(const QString& description) {
        return {Kind::encrypted, description};
    }
    Kind kind() const { return kind_; }

private:
    TeslaTelemetryReaderError(Kind kind, const QString& description)
        : UserFacingError(description), kind_(kind) {}
    Kind kind_;
};

} // namespace orvane
