#include "ReasonFilter.h"

#include <QCoreApplication>
#include <QHash>
#include <algorithm>

namespace orvane::ReasonFilter {

QString unrecordedKey() {
    // Not a word the car writes: its reasons are lower-case words joined by underscores.
    return QStringLiteral(":unrecorded");
}

QString key(const TeslaClipEvent& event) {
    const auto group = event.metadata ? event.metadata->reasonGroup() : std::nullopt;
    return group.value_or(unrecordedKey());
}

QString title(const QString& key) {
    if (key.isEmpty())
        return QCoreApplication::translate("ReasonFilter", "全部原因");
    if (key == unrecordedKey())
        return QCoreApplication::translate("ReasonFilter", "未记录原因");
    return EventMetadata::reasonGroupText(key);
}

std::vector<Choice> choices(const std::vector<TeslaClipEvent>& events, const QString& chosen) {
    QHash<QString, int> counts;
    for (const TeslaClipEvent& e : events)
        ++counts[key(e)];
    if (!chosen.isEmpty() && !counts.contains(chosen))
        counts.insert(chosen, 0);
    struct Reason {
        QString key, title;
        int count;
    };
    std::vector<Reason> reasons;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        reasons.push_back({it.key(), title(it.key()), it.value()});
    std::sort(reasons.begin(), reasons.end(), [](const Reason& a, const Reason& b) {
        return a.count != b.count ? a.count > b.count : a.title < b.title;
    });
    std::vector<Choice> result{{QString(), title({}), QString::number(events.size())}};
    for (const Reason& r : reasons)
        result.push_back({r.key, r.title, QString::number(r.count)});
    return result;
}

std::vector<TeslaClipEvent> matching(const std::vector<TeslaClipEvent>& events, const QString& key) {
    if (key.isEmpty())
        return events;
    std::vector<TeslaClipEvent> kept;
    std::copy_if(events.begin(), events.end(), std::back_inserter(kept),
                 [&](const TeslaClipEvent& e) { return ReasonFilter::key(e) == key; });
    return kept;
}

} // namespace orvane::ReasonFilter
