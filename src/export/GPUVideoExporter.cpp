#include "GPUVideoExporter.h"

#include "FileDelivery.h"
#include "OverlayRenderer.h"
#include "Transcoder.h"

#include <QFile>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <memory>

namespace orvane::GPUVideoExporter {

namespace {

// Removes an intermediate file on every way out.
struct RemoveOnExit {
    QString path;
    ~RemoveOnExit() {
        if (!path.isEmpty())
            QFile::remove(path);
    }
};

ProgressCallback scaled(const ProgressCallback& progress, double from, double span) {
    if (!progress)
        return {};
    // Only the finished file reports 1; every stage stays at or below 0.99 until then.
    return [=](double p) { progress(p >= 1.0 ? from + span : std::min(from + span * p, 0.99)); };
}

QString mediaText(const media::MediaError& e) { return QString::fromStdString(e.what()); }

} // namespace

ExportResult exportWithTimeline(const QString& inputPath, const ExportTimeline& timeline, bool gridLabels,
                                const QString& outputPath, const WatermarkSettings& settings, double trimStart,
                                double trimDuration, const ExportCallbacks& callbacks) {
    callbacks.cancel.check();
    // Text needs Qt's font database, which only a QGuiApplication provides; without one Qt
    // aborts the process, so refuse before touching anything.
    if ((settings.showTime || gridLabels) && !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw GPUVideoExporterError::exportFailed(QStringLiteral("无法绘制水印：程序没有图形环境"));
    std::unique_ptr<media::Transcoder> transcoder;
    try {
        transcoder = std::make_unique<media::Transcoder>(inputPath);
    } catch (const media::NoVideoStreamError&) {
        throw GPUVideoExporterError::noVideoTrack();
    } catch (const media::MediaError& e) {
        throw GPUVideoExporterError::exportFailed(mediaText(e));
    }
    const media::TranscodeSource& source = transcoder->source();

    const int width = std::max(source.width, 2) & ~1;
    const int height = std::max(source.height, 2) & ~1;
    const PixelSize size = Quality::outputSize(settings.exportQuality, width, height);
    std::optional<int> sourceKbps;
    if (source.bitRate > 0)
        sourceKbps = int(source.bitRate / 1000);
    const Bitrates rates = Quality::encodingBitrates(settings.exportQuality, size.width, size.height, sourceKbps);
    const double frameRate = source.frameRate > 0 ? source.frameRate : double(media::cameraFrameRate);
    const double duration = std::max(source.duration, 0.0);
    const double start = std::min(std::max(trimStart, 0.0), duration);
    const double remaining = std::max(duration - start, 0.0);
    const double length = trimDuration > 0 ? std::min(remaining, trimDuration) : remaining;
    const bool trimmed = start > 0 || trimDuration > 0;
    if (trimmed && length <= 0)
        throw GPUVideoExporterError::exportFailed(QStringLiteral("导出选区无效"));

    media::TranscodeSettings encode;
    encode.codec = settings.exportQuality == ExportQuality::original ? media::VideoCodec::HEVC : media::VideoCodec::H264;
    encode.width = size.width;
    encode.height = size.height;
    encode.bitRate = int64_t(rates.average) * 1000;
    encode.frameRate = frameRate;
    encode.keyFrameInterval = std::max(int(std::lround(frameRate)), 1);
    encode.preset = callbacks.encoderPreset;
    encode.start = trimmed ? start : 0;
    encode.length = trimmed ? length : 0;

    // Overlays, drawn once: the labels per export, the time box whenever its text changes.
    std::vector<media::YuvOverlay> labels;
    if (gridLabels)
        for (const auto& placed : OverlayRenderer::gridLabels(size.width, size.height))
            labels.emplace_back(placed.image, placed.position, source.matrix, source.fullRange);
    QString lastText;
    media::YuvOverlay timeBox;
    double firstTime = NAN;

    media::TranscodeHooks hooks;
    hooks.cancelled = [&] { return callbacks.cancel.isCancelled(); };
    hooks.overlays = [&](double t, std::vector<const media::YuvOverlay*>& out) {
        for (const auto& label : labels)
            out.push_back(&label);
        if (!settings.showTime)
            return;
        const auto recordedAt = timeline.instantAt(t);
        if (!recordedAt)
            return;
        const QString text = OverlayRenderer::watermarkText(*recordedAt);
        if (text != lastText) {
            const auto placed = OverlayRenderer::timeWatermark(text, size.width, size.height);
            timeBox = media::YuvOverlay(placed.image, placed.position, source.matrix, source.fullRange);
            lastText = text;
        }
        out.push_back(&timeBox);
    };
    hooks.progress = [&](double outputTime) {
        if (callbacks.onProgress && length > 0)
            callbacks.onProgress(std::min(std::max(outputTime / length, 0.0), 0.99));
    };
    hooks.frameWritten = [&](int64_t index, double t) {
        if (std::isnan(firstTime))
            firstTime = t;
        if (callbacks.onFrame)
            if (auto recordedAt = timeline.instantAt(t))
                callbacks.onFrame(index, *recordedAt);
    };

    const QString temporary = FileDelivery::temporarySibling(outputPath);
    RemoveOnExit cleanup{temporary};
    try {
        transcoder->run(temporary, encode, hooks);
    } catch (const media::TranscodeCancelled&) {
        throw OperationCancelled();
    } catch (const media::MediaError& e) {
        if (callbacks.cancel.isCancelled())
            throw OperationCancelled();
        throw GPUVideoExporterError::exportFailed(mediaText(e));
    }
    transcoder.reset();
    callbacks.cancel.check();
    FileDelivery::replace(temporary, outputPath);
    cleanup.path.clear();
    if (callbacks.onProgress)
        callbacks.onProgress(1.0);
    return {outputPath, timeline.shifted(std::isnan(firstTime) ? start : firstTime)};
}

ExportResult exportSync(const TeslaVideoFile& video, const QString& inputPath, const QString& outputPath,
                        const WatermarkSettings& settings, double trimStart, double trimDuration,
                        const ExportCallbacks& callbacks) {
    return exportWithTimeline(inputPath, ExportTimeline::continuous(video.startTime),
                              video.cameraAngle == CameraAngle::all, outputPath, settings, trimStart, trimDuration,
                              callbacks);
}

ExportResult exportContinuous(const std::vector<ContinuousExportSegment>& segments, const QString& outputPath,
                              const WatermarkSettings& settings, const ExportCallbacks& callbacks) {
    if (segments.empty())
        throw GPUVideoExporterError::exportFailed(QStringLiteral("没有可导出的视频片段"));
    const IntermediateVideo joined =
        FFmpegSegmentMerger::merge(segments, false, scaled(callbacks.onProgress, 0, 0.4), callbacks.cancel);
    RemoveOnExit cleanup{joined.path};
    ExportCallbacks encoding = callbacks;
    encoding.onProgress = scaled(callbacks.onProgress, 0.4, 0.6);
    return exportWithTimeline(joined.path, joined.timeline, false, outputPath, settings, 0, 0, encoding);
}

ExportResult exportGrid(const std::vector<GridExportSegment>& segments, const QString& outputPath,
                        const WatermarkSettings& settings, const ExportCallbacks& callbacks) {
    if (segments.empty() || !segments.front().primaryVideo())
        throw GPUVideoExporterError::exportFailed(QStringLiteral("没有可导出的四宫格视频"));
    const IntermediateVideo composed =
        FFmpegGridExporter::compose(segments, scaled(callbacks.onProgress, 0, 0.7), callbacks.cancel);
    RemoveOnExit cleanup{composed.path};
    ExportCallbacks encoding = callbacks;
    encoding.onProgress = scaled(callbacks.onProgress, 0.7, 0.3);
    return exportWithTimeline(composed.path, composed.timeline, true, outputPath, settings, 0, 0, encoding);
}

} // namespace orvane::GPUVideoExporter
