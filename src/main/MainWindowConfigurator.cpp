#include "MainWindowConfigurator.h"

#include <QQuickWindow>
#include <QScreen>
#include <algorithm>

namespace orvane::ui::MainWindowConfigurator {

QPoint centredPosition(QSize window, const QRect& available) {
    const int x = available.x() + std::max(0, (available.width() - window.width()) / 2);
    const int y = available.y() + std::max(0, (available.height() - window.height()) / 2);
    return {x, y};
}

QRect placement(const std::optional<QRect>& kept, const QRect& available) {
    // A strip at the top of the window, where a user grabs it to move it.
    constexpr int titleBarHeight = 32;
    if (kept && kept->width() >= defaultSize.width() && kept->height() >= defaultSize.height() &&
        available.contains(QRect(kept->topLeft(), QSize(titleBarHeight, titleBarHeight))))
        return *kept;
    return {centredPosition(defaultSize, available), defaultSize};
}

void present(QQuickWindow& window, const std::optional<QRect>& kept) {
    window.setMinimumSize(defaultSize);
    const QScreen* screen = window.screen();
    const QRect place = placement(kept, screen ? screen->availableGeometry() : QRect(QPoint(), defaultSize));
    window.resize(place.size());
    window.setPosition(place.topLeft());
    window.show();
    window.raise();
    window.requestActivate();
}

} // namespace orvane::ui::MainWindowConfigurator
