#include "UiEngine.h"

#include "EventThumbnailProvider.h"
#include "EventThumbnailSource.h"
#include "ExportCaptureImages.h"

#include <QQmlEngine>
#include <QQuickStyle>
#include <QQuickWindow>

namespace orvane::ui {

void configureEngine(QQmlEngine& engine) {
    // Once per process: Controls refuse a new style after their first import.
    static const bool styled = [] {
        QQuickStyle::setStyle(QLatin1String(controlsStyle));
        // Text from hinted glyph bitmaps rather than distance fields: on a software renderer (a
        // laptop without a GPU) every frame costs markedly less, and text at fixed sizes looks
        // as crisp. Icons keep their own setting.
        QQuickWindow::setTextRenderType(QQuickWindow::NativeTextRendering);
        return true;
    }();
    Q_UNUSED(styled);
    // Qt 6.4 does not look in the modules' default resource prefix by itself.
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    engine.addImageProvider(QLatin1String(EventThumbnailSource::providerId), new EventThumbnailProvider);
    engine.addImageProvider(QLatin1String(ExportCaptureImages::providerId), new ExportCaptureImageProvider);
}

} // namespace orvane::ui
