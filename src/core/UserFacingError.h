#pragma once

// The failures every service reports to the user. Any thread may throw and read them.

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

// The file system's own failure (for example listing a folder), with its system text.
class FileSystemError : public UserFacingError {
public:
    using UserFacingError::UserFacingError;
};

} // namespace orvane
