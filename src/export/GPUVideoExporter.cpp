#include "GPUVideoExporter.h"

#include "DashboardOverlay.h"
#include "FileDelivery.h"
#include "MapOverlay.h"
#include "MediaErrorText.h"
#include "OverlayRenderer.h"
#include "OwnedFiles.h"
#include "ReadableFootage.h"
#include "TileLoader.h"
#include "Transcoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QStorageInfo>
#include <algorithm>
#include <cmath>
#include <memory>

namespace orvane::GPUVideoExporter {

namespace {

// What the encoder may write beyond its average rate, and the container around the pictures.
constexpr double rateOvershoot = 1.1;
constexpr qint64 containerBytes = 1 << 20;
// The cars record no sound; a source with some is copied at a rate well below this.
constexpr double audioBitRate = 320'000;

// Only the finished file reports 1; every stage stays at or below this until then.
constexpr double unfinishedProgressCap = 0.99;
// The share of the progress bar a join takes before the re-encode.
constexpr double joinShare = 0.4;

ProgressCallback scaled(const ProgressCallback& progress, double from, double span) {
    if (!progress)
        return {};
    return [=](double p) {
        progress(p >= 1.0 ? from + span : std::min(from + span * p, unfinishedProgressCap));
    };
}

// The words for a failure of the media layer that names no reason of its own: FFmpeg's texts
// stay out of sight.
QString processingFailedText() {
    return QCoreApplication::translate("GPUVideoExporter", "无法处理视频");
}

// Text needs Qt's font database, which only a QGuiApplication provides; without one Qt aborts
// the process, so refuse before touching anything.
void requireFontsFor(const WatermarkSettings& settings, bool gridLabels) {
    if ((settings.showTime || settings.showDashboard || gridLabels) &&
        !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw GPUVideoExporterError::exportFailed(
            QCoreApplication::translate("GPUVideoExporter", "无法绘制水印：程序没有图形环境"));
}

// The footage a failure is about, as the user knows it: the one source file rather than the
// temporary copy read in its place.
QString footageName(const TimelineSource& source) {
    return QFileInfo(source.sources.size() == 1 ? source.sources.front() : source.inputPath).fileName();
}

GPUVideoExporterError unreadable(const TimelineSource& source, const media::UnreadableMediaError& e) {
    return ReadableFootage::unreadableSource(footageName(source), e.reason());
}

std::unique_ptr<media::Transcoder> openSource(const TimelineSource& source) {
    try {
        if (source.frames)
            return std::make_unique<media::Transcoder>(*source.frames);
        return std::make_unique<media::Transcoder>(source.inputPath);
    } catch (const media::EncryptedClipError&) {
        throw GPUVideoExporterError::encryptedSource();
    } catch (const media::NoVideoStreamError&) {
        throw GPUVideoExporterError::noVideoTrack();
    } catch (const media::MediaError& e) {
        throw ReadableFootage::unreadableSource(footageName(source), media::userText(e));
    }
}

// The part of the source to export, in seconds; a trim that leaves nothing is refused.
struct Cut {
    double start = 0;
    double length = 0;
    bool trimmed = false;
};

Cut cutOf(const media::TranscodeSource& source, double trimStart, double trimDuration) {
    const double duration = std::max(source.duration, 0.0);
    Cut cut;
    cut.start = std::min(std::max(trimStart, 0.0), duration);
    const double remaining = std::max(duration - cut.start, 0.0);
    cut.length = trimDuration > 0 ? std::min(remaining, trimDuration) : remaining;
    cut.trimmed = cut.start > 0 || trimDuration > 0;
    if (cut.trimmed && cut.length <= 0)
        throw GPUVideoExporterError::exportFailed(
            QCoreApplication::translate("GPUVideoExporter", "导出选区无效"));
    return cut;
}

// Size, codec and bit rate from the quality preset; a key frame every second. A source made of a
// timelapse's frames already (a grid's) is written frame by frame at the footage's rate.
media::TranscodeSettings encodingFor(const media::TranscodeSource& source, const WatermarkSettings& settings,
                                     const std::string& preset, const Cut& cut) {
    const ExportQuality quality = settings.exportQuality;
    const int taken = std::max(source.framesTakenEvery, 1);
    const int width = std::max(source.width, 2) & ~1;
    const int height = std::max(source.height, 2) & ~1;
    const PixelSize size = Quality::outputSize(quality, width, height);
    std::optional<int> sourceKbps;
    if (source.bitRate > 0)
        sourceKbps = int(source.bitRate / 1000);
    const Bitrates rates = Quality::encodingBitrates(quality, size.width, size.height, sourceKbps);
    const double frameRate = source.frameRate > 0 ? source.frameRate * taken : double(media::cameraFrameRate);
    media::TranscodeSettings encode;
    encode.codec = quality == ExportQuality::original ? media::VideoCodec::HEVC : media::VideoCodec::H264;
    encode.width = size.width;
    encode.height = size.height;
    encode.bitRate = int64_t(rates.average) * 1000;
    encode.frameRate = frameRate;
    encode.keyFrameInterval = std::max(int(std::lround(frameRate)), 1);
    encode.preset = preset;
    encode.start = cut.trimmed ? cut.start : 0;
    encode.length = cut.trimmed ? cut.length : 0;
    encode.speed = std::max(settings.speed / taken, 1);
    encode.framesTakenEvery = taken;
    return encode;
}

// The overlays of every frame, drawn once: the camera labels per export, the time box whenever
// its text changes.
class BurnIn {
public:
    BurnIn(const TimelineSource& source, const WatermarkSettings& settings,
           const media::TranscodeSource& picture, int width, int height)
        : timeline_(source.timeline), showTime_(settings.showTime), picture_(picture), width_(width),
          height_(height) {
        if (settings.showDashboard)
            dashboard_.emplace(source.timeline, source.minutes, settings.speedUnit);
        if (settings.showMap)
            map_.emplace(source.timeline, source.minutes, width, height,
                         TileLoader::chosenAddress(settings.mapTiles), TileLoader::standardCacheFolder());
        if (source.gridLabels)
            for (const auto& placed : OverlayRenderer::gridLabels(width, height, source.gridLayout))
                labels_.emplace_back(placed.image, placed.position, picture.matrix, picture.fullRange);
    }

    void overlaysAt(double time, std::vector<const media::YuvOverlay*>& out) {
        for (const auto& label : labels_)
            out.push_back(&label);
        dashboardAt(time, out);
        mapAt(time, out);
        if (!showTime_)
            return;
        const auto recordedAt = timeline_.instantAt(time);
        if (!recordedAt)
            return;
        const QString text = OverlayRenderer::watermarkText(*recordedAt);
        if (text != lastText_) {
            const auto placed = OverlayRenderer::timeWatermark(text, width_, height_);
            timeBox_ = media::YuvOverlay(placed.image, placed.position, picture_.matrix, picture_.fullRange);
            lastText_ = text;
        }
        out.push_back(&timeBox_);
    }

    int64_t framesWithoutDashboard() const { return dashboard_ ? dashboard_->framesWithout() : 0; }

private:
    // Redrawn only when what it shows changes.
    void dashboardAt(double time, std::vector<const media::YuvOverlay*>& out) {
        if (!dashboard_)
            return;
        auto state = dashboard_->stateAt(time);
        if (!state)
            return;
        // Finer steps than these are below a pixel of the strip; without them the strip would be
        // drawn again on nearly every frame.
        state->wheelAngle = std::round(state->wheelAngle / wheelAngleStep) * wheelAngleStep;
        state->acceleratorProgress =
            std::round(state->acceleratorProgress / acceleratorStep) * acceleratorStep;
        if (state != lastState_) {
            const auto strip = DashboardOverlay::place(*state, width_, height_);
            strip_ = media::YuvOverlay(strip.placed.image, strip.placed.position, picture_.matrix,
                                       picture_.fullRange);
            lastState_ = state;
        }
        out.push_back(&strip_);
    }

    void mapAt(double time, std::vector<const media::YuvOverlay*>& out) {
        bool changed = false;
        const QImage* picture = map_ ? map_->at(time, &changed) : nullptr;
        if (!picture)
            return;
        if (changed)
            mapBox_ = media::YuvOverlay(*picture, MapTrack::area(width_, height_).topLeft(), picture_.matrix,
                                        picture_.fullRange);
        out.push_back(&mapBox_);
    }

    static constexpr double wheelAngleStep = 0.5; // degrees
    static constexpr double acceleratorStep = 0.01;

    const ExportTimeline& timeline_;
    const bool showTime_;
    const media::TranscodeSource& picture_;
    const int width_, height_;
    std::vector<media::YuvOverlay> labels_;
    QString lastText_;
    media::YuvOverlay timeBox_;
    std::optional<DashboardTrack> dashboard_;
    std::optional<DashboardReadout::State> lastState_;
    media::YuvOverlay strip_;
    std::optional<MapTrack> map_;
    media::YuvOverlay mapBox_;
};

// Re-encodes into `temporary`, turning the media layer's failures into the exporter's, which
// name the user's files.
media::TranscodeOutcome transcodeInto(media::Transcoder& transcoder, const QString& temporary,
                                      const media::TranscodeSettings& encode,
                                      const media::TranscodeHooks& hooks, const TimelineSource& source,
                                      const QString& outputPath, const CancellationToken& cancel) {
    try {
        return transcoder.run(temporary, encode, hooks);
    } catch (const media::TranscodeCancelled&) {
        throw OperationCancelled();
    } catch (const media::HardwareEncoderFailed&) {
        throw; // encoded again by withEncoderFallback
    } catch (const media::MediaError& e) {
        if (cancel.isCancelled())
            throw OperationCancelled();
        if (const auto* unread = dynamic_cast<const media::UnreadableMediaError*>(&e))
            throw unreadable(source, *unread);
        if (dynamic_cast<const media::OutputWriteError*>(&e))
            throw GPUVideoExporterError::exportFailed(
                QCoreApplication::translate("GPUVideoExporter", "无法写入文件 ") + outputPath +
                QStringLiteral(": ") + media::userText(e));
        throw GPUVideoExporterError::exportFailed(processingFailedText());
    }
}

// Where the finished file goes: under the name its first and last frames give it when the
// caller names exports so, else at `outputPath`.
QString deliveryPath(const QString& outputPath, const ExportTimeline& timeline, double firstTime,
                     double lastTime, const ExportCallbacks& callbacks) {
    if (!callbacks.nameForFrames || std::isnan(firstTime))
        return outputPath;
    const auto first = timeline.instantAt(firstTime), last = timeline.instantAt(lastTime);
    const QString name = first && last ? callbacks.nameForFrames(*first, *last) : QString();
    return name.isEmpty() ? outputPath : QFileInfo(outputPath).dir().filePath(name);
}

// An export that cannot fit on the destination is refused before its first frame, with the figures,
// rather than failing on a full disk after minutes of work.
void checkFreeSpace(const QString& outputPath, const media::TranscodeSettings& encode, double length,
                    bool audio, const ExportCallbacks& callbacks) {
    const QString folder = QFileInfo(outputPath).absolutePath();
    const qint64 free =
        callbacks.freeSpace ? callbacks.freeSpace(folder) : QStorageInfo(folder).bytesAvailable();
    const double audioRate = audio ? audioBitRate : 0;
    const auto needed =
        qint64((double(encode.bitRate) * rateOvershoot + audioRate) / 8 * std::max(length, 0.0)) +
        containerBytes;
    if (free < 0 || needed <= free)
        return; // an unknown reading does not stop the export
    const QLocale locale;
    throw GPUVideoExporterError::exportFailed(
        QCoreApplication::translate("GPUVideoExporter", "目标位置空间不足：需要约 %1，只剩 %2")
            .arg(locale.formattedDataSize(needed, 1, QLocale::DataSizeSIFormat),
                 locale.formattedDataSize(free, 1, QLocale::DataSizeSIFormat)));
}

OwnedFile createOutputPart(const QString& outputPath) {
    try {
        return FileDelivery::createPartFor(outputPath);
    } catch (const FileSystemError& e) {
        throw GPUVideoExporterError::exportFailed(e.description());
    }
}

// An earlier manifest is never replaced, and a video without its manifest is never delivered.
void checkManifestFree(const QString& outputPath) {
    try {
        FileDelivery::checkNew(ExportManifest::pathFor(outputPath));
    } catch (const FileSystemError& e) {
        throw GPUVideoExporterError::exportFailed(
            QCoreApplication::translate("GPUVideoExporter", "已有同名的导出清单，请换一个文件名：") +
            QFileInfo(ExportManifest::pathFor(outputPath)).fileName());
    }
}

// The minute a frame of the output was recorded in, by the start the car named its files with.
Instant minuteOf(const TimelineSource& source, double fileTime, Instant recordedAt) {
    const auto piece = source.timeline.pieceIndexAt(fileTime);
    if (piece && *piece < source.minutes.size() && source.minutes[*piece].startTime <= recordedAt)
        return source.minutes[*piece].startTime;
    Instant latest = distantPast;
    for (const TeslaVideoFile& minute : source.minutes)
        if (minute.startTime <= recordedAt)
            latest = std::max(latest, minute.startTime);
    return latest;
}

// Writes the manifest of the complete `part`, then moves the video to `delivered`; a video that
// cannot be delivered takes its manifest with it.
void deliverWithManifest(OwnedFile& part, const QString& delivered, ManifestInput manifest,
                         const TimelineSource& source, const CancellationToken& cancel) {
    manifest.outputPath = part.path();
    manifest.outputName = QFileInfo(delivered).fileName();
    const QString manifestPath = ExportManifest::pathFor(delivered);
    try {
        ExportManifest::write(ExportManifest::build(manifest, cancel), manifestPath);
    } catch (const FileSystemError& e) {
        throw GPUVideoExporterError::exportFailed(e.description());
    }
    try {
        FileDelivery::commit(part, delivered, QStringList(source.sources) << source.inputPath);
    } catch (...) {
        QFile::remove(manifestPath);
        throw;
    }
}

template <typename Segments, typename VideosOf>
QStringList sourcesOf(const Segments& segments, VideosOf videosOf) {
    QStringList paths;
    for (const auto& segment : segments)
        for (const TeslaVideoFile& video : videosOf(segment))
            paths << video.url;
    return paths;
}

// Before any work: the output may be neither footage nor a special file, and what killed
// exports left in its folder and in the temporary folder goes.
void prepareOutput(const QString& outputPath, const QStringList& sources) {
    FileDelivery::checkOutput(outputPath, sources);
    checkManifestFree(outputPath);
    OwnedFiles::sweep(QFileInfo(outputPath).absolutePath());
    OwnedFiles::sweepTemporaryFolder();
    // A folder that takes no new file fails now, not after minutes of composing or joining.
    createOutputPart(outputPath);
}

ExportResult exportPrepared(const TimelineSource& source, const QString& outputPath,
                            const WatermarkSettings& settings, const ExportCallbacks& callbacks) {
    callbacks.cancel.check();
    requireFontsFor(settings, source.gridLabels);
    std::shared_ptr<SourceHashing> hashing = source.hashing;
    if (!hashing && callbacks.writeManifest)
        hashing = std::make_shared<SourceHashing>(source.sources, callbacks.cancel);
    std::unique_ptr<media::Transcoder> transcoder = openSource(source);
    const media::TranscodeSource& picture = transcoder->source();
    const Cut cut = cutOf(picture, source.trimStart, source.trimDuration);
    const media::TranscodeSettings encode = encodingFor(picture, settings, callbacks.encoderPreset, cut);

    checkFreeSpace(outputPath, encode, cut.length / settings.speed, picture.hasAudio && settings.speed == 1,
                   callbacks);
    BurnIn burnIn(source, settings, picture, encode.width, encode.height);
    double firstTime = NAN, lastTime = NAN;
    ManifestInput manifest;
    manifest.kind = source.kind;
    manifest.settings = settings;
    media::TranscodeHooks hooks;
    hooks.cancelled = [&] { return callbacks.cancel.isCancelled(); };
    hooks.overlays = [&](double t, std::vector<const media::YuvOverlay*>& out) { burnIn.overlaysAt(t, out); };
    hooks.progress = [&](double outputTime) {
        if (callbacks.onProgress && cut.length > 0)
            callbacks.onProgress(std::min(std::max(outputTime / cut.length, 0.0), unfinishedProgressCap));
    };
    hooks.frameWritten = [&](int64_t index, double t) {
        if (std::isnan(firstTime))
            firstTime = t;
        lastTime = t;
        const auto recordedAt = source.timeline.instantAt(t);
        if (!recordedAt)
            return;
        manifest.frames.add(minuteOf(source, t, *recordedAt), *recordedAt);
        if (callbacks.onFrame)
            callbacks.onFrame(index, *recordedAt);
    };

    OwnedFile part = createOutputPart(outputPath);
    const media::TranscodeOutcome outcome =
        transcodeInto(*transcoder, part.path(), encode, hooks, source, outputPath, callbacks.cancel);
    transcoder.reset();
    callbacks.cancel.check();
    if (source.afterReading)
        source.afterReading();
    const QString delivered = deliveryPath(outputPath, source.timeline, firstTime, lastTime, callbacks);
    ExportResult result;
    result.path = delivered;
    result.timeline = source.timeline.shifted(std::isnan(firstTime) ? cut.start : firstTime);
    result.exportedLength = outcome.exportedLength;
    result.encoder = QString::fromStdString(outcome.encoder);
    result.truncated = outcome.incomplete || source.sourceCutShort || !source.skipped.empty();
    result.framesWithoutDashboard = burnIn.framesWithoutDashboard();
    result.skipped = source.skipped;
    result.requestedLength = source.asked > 0 ? source.asked : cut.length;
    if (!std::isnan(lastTime))
        result.endDate = source.timeline.instantAt(lastTime);
    if (hashing) {
        manifest.requestedLength = result.requestedLength;
        manifest.sources = hashing->finish();
        manifest.firstTime = result.startDate();
        manifest.lastTime = result.endDate;
        manifest.exportedLength = result.exportedLength;
        checkManifestFree(delivered);
        deliverWithManifest(part, delivered, std::move(manifest), source, callbacks.cancel);
    } else {
        FileDelivery::commit(part, delivered, QStringList(source.sources) << source.inputPath);
    }
    if (callbacks.onProgress)
        callbacks.onProgress(1.0);
    return result;
}

// A hardware encoder that fails part-way loses nothing: the export runs again from its first
// frame on the next encoder (in the end software, which does not fall back); frames and progress
// the caller was told of are not told twice.
ExportResult withEncoderFallback(const ExportCallbacks& callbacks,
                                 const std::function<ExportResult(const ExportCallbacks&)>& attempt) {
    ExportCallbacks guarded = callbacks;
    int64_t told = 0;
    double highest = 0;
    guarded.onFrame = [&](int64_t frame, Instant recordedAt) {
        if (frame < told)
            return;
        told = frame + 1;
        if (callbacks.onFrame)
            callbacks.onFrame(frame, recordedAt);
    };
    guarded.onProgress = [&](double p) {
        if (p < highest)
            return;
        highest = p;
        if (callbacks.onProgress)
            callbacks.onProgress(p);
    };
    for (;;) {
        try {
            return attempt(guarded);
        } catch (const media::HardwareEncoderFailed&) {
            callbacks.cancel.check(); // the failure is logged where it happened
        }
    }
}

// ffmpeg composes the cameras at the output size into a pipe while the encoder reads it and
// burns the time, labels and dashboard in: one encoding pass.
ExportResult exportGridFeed(const std::vector<GridExportSegment>& segments, const QString& outputPath,
                            const WatermarkSettings& settings, const ExportCallbacks& callbacks,
                            TimelineSource source) {
    FFmpegGridExporter::GridFeed feed(segments, source.gridLayout, settings.exportQuality, callbacks.cancel,
                                      settings.speed);
    bool cutShort = false;
    source.inputPath = feed.pipePath();
    source.timeline = feed.timeline();
    source.frames = feed.stream();
    for (const GridExportSegment& segment : segments)
        source.minutes.push_back(segment.primaryVideo().value_or(TeslaVideoFile{}));
    source.afterReading = [&] { cutShort = feed.finish(); };
    try {
        ExportResult result = exportPrepared(source, outputPath, settings, callbacks);
        result.truncated = result.truncated || cutShort;
        return result;
    } catch (const OperationCancelled&) {
        throw;
    } catch (...) {
        // The pipe ending early because composing failed is told by composing's own failure.
        feed.finish();
        throw;
    }
}

} // namespace

ExportResult exportWithTimeline(const TimelineSource& source, const QString& outputPath,
                                const WatermarkSettings& settings, const ExportCallbacks& callbacks) {
    prepareOutput(outputPath, QStringList(source.sources) << source.inputPath);
    return withEncoderFallback(callbacks, [&](const ExportCallbacks& guarded) {
        return exportPrepared(source, outputPath, settings, guarded);
    });
}

ExportResult exportSync(const TeslaVideoFile& video, const QString& inputPath, const QString& outputPath,
                        const WatermarkSettings& settings, double trimStart, double trimDuration,
                        const ExportCallbacks& callbacks) {
    SkippedList skipped;
    const auto part = ReadableFootage::check(video, inputPath, trimStart, trimDuration, skipped);
    if (!part.length && part.opens) // cut short before the part asked for
        throw ReadableFootage::nothingReadable(skipped);
    // A file that does not open fails below, saying why (no video, damaged, a stub).
    TimelineSource source{
        inputPath, ExportTimeline::continuous(video.startTime), video.cameraAngle == CameraAngle::all,
        trimStart, part.length.value_or(trimDuration),          {video.url}};
    source.minutes = {video};
    source.skipped = std::move(skipped);
    source.asked = part.asked;
    source.kind = trimStart > 0 || trimDuration > 0 ? QStringLiteral("range") : QStringLiteral("single");
    return exportWithTimeline(source, outputPath, settings, callbacks);
}

ExportResult exportContinuous(const std::vector<ContinuousExportSegment>& segments, const QString& outputPath,
                              const WatermarkSettings& settings, const ExportCallbacks& callbacks) {
    if (segments.empty())
        throw GPUVideoExporterError::exportFailed(
            QCoreApplication::translate("GPUVideoExporter", "没有可导出的视频片段"));
    const QStringList sources = sourcesOf(
        segments, [](const ContinuousExportSegment& s) { return std::vector<TeslaVideoFile>{s.video}; });
    prepareOutput(outputPath, sources);
    const auto hashing =
        callbacks.writeManifest ? std::make_shared<SourceHashing>(sources, callbacks.cancel) : nullptr;
    const IntermediateVideo joined = FFmpegSegmentMerger::merge(
        segments, false, scaled(callbacks.onProgress, 0, joinShare), callbacks.cancel);
    ExportCallbacks encoding = callbacks;
    encoding.onProgress = scaled(callbacks.onProgress, joinShare, 1 - joinShare);
    TimelineSource source{joined.path, joined.timeline,      false, joined.lead, 0,
                          sources,     joined.sourceCutShort};
    source.minutes = joined.minutes;
    source.skipped = joined.skipped;
    source.asked = joined.asked;
    source.kind = QStringLiteral("continuous");
    source.hashing = hashing;
    return withEncoderFallback(encoding, [&](const ExportCallbacks& guarded) {
        return exportPrepared(source, outputPath, settings, guarded);
    });
}

ExportResult exportGrid(const std::vector<GridExportSegment>& segments, const QString& outputPath,
                        const WatermarkSettings& settings, const ExportCallbacks& callbacks) {
    if (segments.empty() || !segments.front().primaryVideo())
        throw GPUVideoExporterError::exportFailed(
            QCoreApplication::translate("GPUVideoExporter", "没有可导出的四宫格视频"));
    const QStringList sources = sourcesOf(segments, [](const GridExportSegment& s) { return s.videos; });
    prepareOutput(outputPath, sources);
    TimelineSource source{{}, {}, true, 0, 0, sources};
    source.kind = QStringLiteral("grid");
    if (callbacks.writeManifest)
        source.hashing = std::make_shared<SourceHashing>(sources, callbacks.cancel);
    source.gridLayout = GridExportPlanner::layoutOf(segments);
    const std::vector<GridExportSegment> readable =
        ReadableFootage::readableGrid(segments, source.skipped, source.asked);
    if (readable.empty())
        throw ReadableFootage::nothingReadable(source.skipped);
    return withEncoderFallback(callbacks, [&](const ExportCallbacks& guarded) {
        return exportGridFeed(readable, outputPath, settings, guarded, source);
    });
}

} // namespace orvane::GPUVideoExporter

namespace orvane {

QString ExportResult::truncationWarning() const {
    if (!truncated)
        return {};
    return QCoreApplication::translate("GPUVideoExporter", "源视频不完整或已损坏，只导出了可读取的 %1 秒")
        .arg(exportedLength, 0, 'f', 1);
}

QStringList ExportResult::skippedLines() const {
    QStringList lines;
    for (const SkippedFootage& s : skipped) {
        const QString recorded = LocalTime::format(s.video.startTime, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        const QString camera =
            s.video.cameraAngle ? Camera::displayName(*s.video.cameraAngle) : s.video.fileName;
        lines << (s.kind == SkippedFootage::Kind::leftOut
                      ? QCoreApplication::translate("ExportResult", "%1 %2 无法读取，已略过：%3")
                            .arg(recorded, camera, s.reason)
                      : QCoreApplication::translate("ExportResult", "%1 %2 只导出了 %3 秒（应有 %4 秒）：%5")
                            .arg(recorded, camera)
                            .arg(s.keptSeconds, 0, 'f', 1)
                            .arg(s.askedSeconds, 0, 'f', 1)
                            .arg(s.reason));
    }
    return lines;
}

QString ExportResult::shortfallTitle() const {
    if (skipped.empty())
        return {};
    return QCoreApplication::translate("ExportResult", "导出的视频比所选的短，有录像无法读取：");
}

QString ExportResult::dashboardNotice() const {
    if (framesWithoutDashboard <= 0)
        return {};
    return QCoreApplication::translate("ExportResult", "部分画面没有行车数据，这些画面未叠加仪表盘");
}

} // namespace orvane
