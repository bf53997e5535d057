#include "TeslaTimeParser.h"

#include <QDate>
#include <QRegularExpression>

namespace orvane::TeslaTimeParser {

namespace {

bool isAsciiDigits(QStringView s) {
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

int number(QStringView s) { return s.toInt(); }

} // namespace

std::optional<Instant> parseLocalDateTime(const QString& text) {
    // yyyy-MM-ddTHH:mm:ss, 19 characters, ASCII digits only.
    if (text.size() != 19 || text[4] != u'-' || text[7] != u'-' || text[10] != u'T' || text[13] != u':' ||
        text[16] != u':')
        return std::nullopt;
    const QStringView v(text);
    for (auto [pos, len] : {std::pair{0, 4}, {5, 2}, {8, 2}, {11, 2}, {14, 2}, {17, 2}})
        if (!isAsciiDigits(v.mid(pos, len)))
            return std::nullopt;
    return LocalTime::fromFields(number(v.mid(0, 4)), number(v.mid(5, 2)), number(v.mid(8, 2)),
                                 number(v.mid(11, 2)), number(v.mid(14, 2)), number(v.mid(17, 2)));
}

std::optional<Instant> parseMetadataTimestamp(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    static const QRegularExpression internet(QStringLiteral(
        R"(^([0-9]{4})-([0-9]{2})-([0-9]{2})T([0-9]{2}):([0-9]{2}):([0-9]{2})(\.[0-9]+)?(Z|[+-][0-9]{2}:?[0-9]{2})$)"));
    const auto m = internet.match(trimmed);
    if (m.hasMatch()) {
        const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        const int h = m.captured(4).toInt(), mi = m.captured(5).toInt(), s = m.captured(6).toInt();
        if (!date.isValid() || h > 23 || mi > 59 || s > 59)
            return std::nullopt;
        double seconds = double(date.toJulianDay() - QDate(1970, 1, 1).toJulianDay()) * 86400.0 +
                         h * 3600.0 + mi * 60.0 + s;
        if (m.hasCaptured(7))
            seconds += m.captured(7).toDouble(); // ".123" reads as 0.123
        const QString zone = m.captured(8);
        if (zone != QLatin1String("Z")) {
            const QString digits = QString(zone).remove(QLatin1Char(':'));
            const int oh = digits.mid(1, 2).toInt(), om = digits.mid(3, 2).toInt();
            if (oh > 23 || om > 59)
                return std::nullopt;
            const int offset = (oh * 3600 + om * 60) * (zone.startsWith(QLatin1Char('-')) ? -1 : 1);
            seconds -= offset;
        }
        return seconds;
    }
    return parseLocalDateTime(trimmed);
}

} // namespace orvane::TeslaTimeParser
