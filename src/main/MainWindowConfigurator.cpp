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

void present(QQuickWindow& window) {
    window.setMinimumSize(defaultSize);
    window.resize(defaultSize);
    if (const QScreen* screen = window.screen())
        window.setPosition(centredPosition(defaultSize, screen->availableGeometry()));
    window.show();
    window.raise();
    window.requestActivate();
}

} // namespace orvane::ui::MainWindowConfigurator
