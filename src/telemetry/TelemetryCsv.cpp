#include "TelemetryCsv.h"

namespace orvane::TelemetryCsv {

QString table(std::span<const TeslaTelemetrySample> samples, const QString& extraColumn,
              const QStringList& extraValues) {
    QStringList header;
    for (const char* name : columns)
        header << QString::fromLatin1(name);
    if (!extraColumn.isEmpty())
        header << extraColumn;
    QString out = header.join(QLatin1Char(',')) + QLatin1Char('\n');
    for (size_t i = 0; i < samples.size(); ++i) {
        QStringList cells;
        forEachField(samples[i], [&](const auto& v) { cells << text(v); });
        if (!extraColumn.isEmpty())
            cells << extraValues.value(qsizetype(i));
        out += cells.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return out;
}

} // namespace orvane::TelemetryCsv
