#include "UiEngine.h"

#include "EventThumbnailProvider.h"
#include "EventThumbnailSource.h"
#include "ExportCaptureImages.h"

#include <QQmlEngine>
#include <QQuickStyle>

namespace orvane::ui {

void configureEngine(QQmlEngine& engine) {
    // Once per process: Controls refuse a new style after their first import.
    static const bool styled = [] {
        QQuickStyle::setStyle(QLatin1String(controlsStyle));
        return true;
    }();
    Q_UNUSED(styled);
    // Qt 6.4 does not look in the modules' default resource prefix by itself.
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    engine.addImageProvider(QLatin1String(EventThumbnailSource::providerId), new EventThumbnailProvider);
    engine.addImageProvider(QLatin1String(ExportCaptureImages::providerId), new ExportCaptureImageProvider);
}

} // namespace orvane::ui
