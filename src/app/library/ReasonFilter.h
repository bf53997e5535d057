#pragma once
// The browser's filter by why the car saved an event: an event's key, the menu's choices with
// their counts, and the events a key keeps. The empty key keeps every event. Pure functions; any
// thread.

#include "ChoiceListModel.h"
#include "TeslaClipEvent.h"

#include <QString>
#include <vector>

namespace orvane::ReasonFilter {

// The key of the events whose car wrote no reason (rolling recordings, a missing event.json).
QString unrecordedKey();
// The event's reason group (see EventMetadata::reasonGroup), else the unrecorded key.
QString key(const TeslaClipEvent& event);
// "全部原因", the reason in words, or "未记录原因".
QString title(const QString& key);
// "全部原因" first, then each reason among `events`, the most events first; each choice's
// description is its count. A chosen key none of `events` has stays listed with 0, so the menu
// shows what hides them all.
std::vector<Choice> choices(const std::vector<TeslaClipEvent>& events, const QString& chosen);
// The events `key` keeps, in their order.
std::vector<TeslaClipEvent> matching(const std::vector<TeslaClipEvent>& events, const QString& key);

} // namespace orvane::ReasonFilter
