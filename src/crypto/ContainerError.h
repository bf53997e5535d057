#pragma once
// Why an encrypted clip cannot be read, in the user's words, naming the file.
// Plain values; any thread.

#include "ContainerFormat.h"
#include "UserFacingError.h"

#include <QString>

namespace orvane::crypto {

class ContainerError : public UserFacingError {
public:
    enum class Kind {
        locked,       // its key is not known in this session
        cutShort,     // the file ends before its header or its pages do
        sizeMismatch, // the size in the header does not fit the file's length
        damaged,      // the header does not read as the car writes it
        wrongKey,     // the key given does not decrypt the first page to an MP4
        readFailed,   // the system refused a read (a drive pulled out)
    };

    static ContainerError locked();
    static ContainerError wrongKey(const QString& path);
    // `systemText`: the system's own words ("Input/output error").
    static ContainerError readFailed(const QString& path, const QString& systemText);
    // The error for a header problem other than none.
    static ContainerError ofHeader(ContainerFormat::HeaderProblem problem, const QString& path);

    // What the user is told about footage whose key is not known, and where the car turns
    // encryption off.
    static QString lockedText();

    Kind kind() const { return kind_; }

private:
    ContainerError(Kind kind, const QString& description) : UserFacingError(description), kind_(kind) {}
    Kind kind_;
};

} // namespace orvane::crypto
