#pragma once

#include "UserFacingError.h"

#include <QCoreApplication>
#include <QString>

namespace orvane {

class MetadataParserError : public UserFacingError {
public:
    enum class Kind { cannotEnumerate, cannotParseTime };

    static MetadataParserError cannotEnumerate(const QString& folder) {
        return {Kind::cannotEnumerate,
                QCoreApplication::translate("MetadataParserError", "无法读取目录: ") + folder};
    }
    static MetadataParserError cannotParseTime(const QString& fileName) {
        return {Kind::cannotParseTime,
                QCoreApplication::translate("MetadataParserError", "无法从文件名解析时间: ") + fileName};
    }
    Kind kind() const { return kind_; }

private:
    MetadataParserError(Kind kind, const QString& description) : UserFacingError(description), kind_(kind) {}
    Kind kind_;
};

} // namespace orvane
