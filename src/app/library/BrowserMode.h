#pragma once
// How the event browser behaves in each selection: which controls its header shows and what a
// click on a card does. The window decides; the browser's screens compare against these. Values.

#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace orvane::BrowserMode {
Q_NAMESPACE
QML_NAMED_ELEMENT(BrowserMode)

// The header's trailing controls: none (nothing imported), "拼接" and "批量删除", or those of a
// selection in progress.
enum class HeaderControls { NoControls, ActionControls, DeleteSelectionControls, MergeSelectionControls };
Q_ENUM_NS(HeaderControls)

// A card click opens the event, or marks it for deletion or for the splice.
enum class CardSelection { OpenCards, DeleteCards, MergeCards };
Q_ENUM_NS(CardSelection)

} // namespace orvane::BrowserMode
