#pragma once

#include <QString>

#include <stdexcept>

namespace orvane {

// A failure with a description fit to show the user.
class UserFacingError : public std::runtime_error {
public:
    explicit UserFacingError(const QString& description)
        : std::runtime_error(description.toStdString()), description_(description) {}
    const QString& description() const { return description_; }

private:
    QString description_;
};

class MetadataParserError : public UserFacingError {
public:
    enum class Kind { cannotEnumerate, cannotParseTime };

    static MetadataParserError cannotEnumerate(const QString& folder) {
        return {Kind::cannotEnumerate, QStringLiteral("无法读取目录: ") + folder};
    }
    static MetadataParserError cannotParseTime(const QString& fileName) {
        return {Kind::cannotParseTime, QStringLiteral("无法从文件名解析时间: ") + fileName};
    }
    Kind kind() const { return kind_; }

private:
    MetadataParserError(Kind kind, const QString& description) : UserFacingError(description), kind_(kind) {}
    Kind kind_;
};

// The file system's own failure (for example listing a folder), with its system text.
class FileSystemError : public UserFacingError {
public:
    using UserFacingError::UserFacingError;
};

} // namespace orvane
