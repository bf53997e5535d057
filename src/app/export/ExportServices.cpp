#include "ExportServices.h"

#include <QDesktopServices>

namespace orvane {

ExportServices ExportServices::standard() {
    ExportServices services;
    services.exportEngine = ExportEngine::standard();
    services.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return services;
}

} // namespace orvane
