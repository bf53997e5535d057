#include "AppVersion.h"

#include <QStringList>

#include <algorithm>

namespace orvane::AppVersion {

namespace {

// A piece as a number without leading zeros ("" is zero); anything but digits counts as zero.
QStringView numericPiece(QStringView piece) {
    if (piece.isEmpty() || !std::all_of(piece.begin(), piece.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return {};
    qsizetype start = 0;
    while (start < piece.size() && piece[start] == u'0')
        ++start;
    return piece.mid(start);
}

int compareNumbers(QStringView a, QStringView b) {
    if (a.size() != b.size())
        return a.size() > b.size() ? 1 : -1;
    const int order = a.compare(b);
    return order == 0 ? 0 : (order > 0 ? 1 : -1);
}

} // namespace

QString shortVersion() {
    static const QString fallback = QStringLiteral("0.0.1");
#ifdef ORVANE_VERSION
    const QString built = QStringLiteral(ORVANE_VERSION);
    return built.isEmpty() ? fallback : built;
#else
    return fallback;
#endif
}

int compareVersions(const QString& a, const QString& b) {
    const QStringList left = a.split(u'.', Qt::SkipEmptyParts);
    const QStringList right = b.split(u'.', Qt::SkipEmptyParts);
    const qsizetype count = std::max(left.size(), right.size());
    for (qsizetype i = 0; i < count; ++i) {
        const QStringView x = i < left.size() ? numericPiece(left[i]) : QStringView();
        const QStringView y = i < right.size() ? numericPiece(right[i]) : QStringView();
        if (const int order = compareNumbers(x, y); order != 0)
            return order;
    }
    return 0;
}

} // namespace orvane::AppVersion
