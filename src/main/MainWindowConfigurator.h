#pragma once
// Gives the main window its size and place: 900 × 700 by default and at least, centred on the
// screen's free area, raised and given the focus. Interface thread.

#include <QPoint>
#include <QRect>
#include <QSize>

class QQuickWindow;

namespace orvane::ui {

namespace MainWindowConfigurator {

inline constexpr QSize defaultSize{900, 700};

// The top-left corner that centres `window` in `available`; a window larger than the area keeps
// its title bar on screen (it starts at the area's top-left corner).
QPoint centredPosition(QSize window, const QRect& available);

// Sets the minimum and default size, centres the window, shows it, raises and activates it.
void present(QQuickWindow& window);

} // namespace MainWindowConfigurator

} // namespace orvane::ui
