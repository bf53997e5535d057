#pragma once
// The running application's version and the comparison of dotted version texts.
// Plain functions; any thread.

#include <QString>

namespace orvane::AppVersion {

// The version this program was built as; "0.0.1" when the build did not say.
QString shortVersion();

// 1 when `a` is newer than `b`, -1 when older, 0 when equal. Pieces are compared as decimal numbers
// of any length; a missing piece or one that is not all digits counts as 0, so "1.2" equals "1.2.0"
// and "1.10" is newer than "1.9".
int compareVersions(const QString& a, const QString& b);

} // namespace orvane::AppVersion
