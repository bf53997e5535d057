#include "WindowTestSupport.h"

#include <QThread>

namespace orvane::test {

namespace {

constexpr int holdPollMs = 20;

// Reports a little progress, then waits until the export is cancelled.
void holdUntilCancelled(const std::atomic<bool>& hold, const ExportCallbacks& callbacks) {
    if (!hold)
        return;
    callbacks.onProgress(heldExportProgress);
    while (!callbacks.cancel.isCancelled())
        QThread::msleep(holdPollMs);
    callbacks.cancel.check();
}

} // namespace

ViewModelServices WindowServices::make() const {
    ViewModelServices services = ViewModelServices::standard();
    services.openUrl = [opened = opened](const QUrl& url) { *opened << url.toLocalFile(); };
    ExportEngine& e = services.exportEngine;
    e.exportSync = [hold = holdExports, real = e.exportSync](const TeslaVideoFile& video,
                                                             const QString& input, const QString& output,
                                                             const WatermarkSettings& settings, double start,
                                                             double duration, const ExportCallbacks& c) {
        holdUntilCancelled(*hold, c);
        return real(video, input, output, settings, start, duration, c);
    };
    e.exportContinuous = [hold = holdExports, real = e.exportContinuous](
                             const auto& segments, const QString& output, const WatermarkSettings& settings,
                             const ExportCallbacks& c) {
        holdUntilCancelled(*hold, c);
        return real(segments, output, settings, c);
    };
    e.exportGrid = [hold = holdExports, real = e.exportGrid](const auto& segments, const QString& output,
                                                             const WatermarkSettings& settings,
                                                             const ExportCallbacks& c) {
        holdUntilCancelled(*hold, c);
        return real(segments, output, settings, c);
    };
    return services;
}

QObject* ViewModelFactory::create(bool holdExports) {
    if (current_)
        current_->deleteLater();
    WindowServices services;
    *services.holdExports = holdExports;
    current_ = new MainViewModel(services.make(), this);
    return current_;
}

} // namespace orvane::test
