#pragma once
// Gives the main window its size and place: where it was last when that is still on screen, else
// 900 × 700 (also the minimum) centred on the screen's free area; raised and given the focus.
// Interface thread.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

class QQuickWindow;

namespace orvane::ui {

namespace MainWindowConfigurator {

inline constexpr QSize defaultSize{900, 700};

// The top-left corner that centres `window` in `available`; a window larger than the area keeps
// its title bar on screen (it starts at the area's top-left corner).
QPoint centredPosition(QSize window, const QRect& available);

// Where the window opens: where it was last (`kept`) when that place is still on screen (its title
// bar inside `available`) and not smaller than the minimum, else the default size centred.
QRect placement(const std::optional<QRect>& kept, const QRect& available);

// Sizes and places the window (see placement), shows it, raises it and gives it the focus.
void present(QQuickWindow& window, const std::optional<QRect>& kept = std::nullopt);

} // namespace MainWindowConfigurator

} // namespace orvane::ui
