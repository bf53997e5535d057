#include "FFmpegTools.h"

#include "ExportErrors.h"
#include "FFmpegCommands.h"
#include "FFmpegLocator.h"
#include "FFmpegProcess.h"
#include "MediaError.h"
#include "PacketScan.h"
#include "PieceTiming.h"
#include "VideoExportPreparer.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QUuid>

#include <map>
#include <optional>

namespace orvane {

namespace {

QString uuid() { return QUuid::createUuid().toString(QUuid::WithoutBraces); }

// The share of a join's progress the cutting takes; the join itself the rest.
constexpr double cutShare = 0.75;

// A workspace folder and the local copies made for it, removed on every way out.
class Workspace {
public:
    explicit Workspace(const QString& prefix) : path_(QDir(QDir::tempPath()).filePath(prefix + uuid())) {
        if (!QDir().mkpath(path_))
            throw FileSystemError(QStringLiteral("无法创建临时目录: ") + path_);
    }
    ~Workspace() {
        QDir(path_).removeRecursively();
        for (const QString& f : cleanup_)
            QFile::remove(f);
    }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    QString piecePath(size_t i) const { return QDir(path_).filePath(QString::asprintf("part_%04zu.mp4", i)); }
    QString listPath() const { return QDir(path_).filePath(QStringLiteral("concat.txt")); }
    void removeLater(const QString& path) { cleanup_ << path; }
    void removeNow(const QString& path) {
        QFile::remove(path);
        cleanup_.removeAll(path);
    }

private:
    QString path_;
    QStringList cleanup_;
};

// The result file, removed unless handed to the caller.
class ResultFile {
public:
    explicit ResultFile(const QString& prefix)
        : path_(QDir(QDir::tempPath()).filePath(prefix + uuid() + QStringLiteral(".mp4"))) {}
    ~ResultFile() {
        if (!released_)
            QFile::remove(path_);
    }
    const QString& path() const { return path_; }
    QString release() {
        released_ = true;
        return path_;
    }

private:
    QString path_;
    bool released_ = false;
};

void writeConcatList(const QString& listPath, const QStringList& pieces) {
    QSaveFile file(listPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(FFmpegCommands::concatList(pieces).toUtf8()) < 0 ||
        !file.commit())
        throw FileSystemError(QStringLiteral("无法写入拼接列表: ") + file.errorString());
}

media::VideoPacketList scan(const QString& path) {
    try {
        return media::scanVideoPackets(path.toStdString());
    } catch (const media::MediaError& e) {
        throw FFmpegSegmentMergerError::commandFailed(QString::fromStdString(e.what()));
    }
}

// The pieces cut so far: their files, what they hold and when each began recording.
struct Pieces {
    QStringList paths;
    std::vector<media::VideoPacketList> scans;
    std::vector<Instant> recordedAt;

    void add(const QString& path, media::VideoPacketList scanned, Instant startedAt) {
        paths << path;
        scans.push_back(std::move(scanned));
        recordedAt.push_back(startedAt);
    }

    // The timeline of a file joined from the pieces: each piece's offset is found by content
    // in a stream-copied join, else summed from the measured lengths of the pieces before it.
    ExportTimeline joinedTimeline(const QString& joinedPath) const {
        const media::VideoPacketList joined = scan(joinedPath);
        std::vector<ExportTimeline::Piece> result;
        size_t from = 0;
        double summed = 0;
        for (size_t i = 0; i < scans.size(); ++i) {
            const media::VideoPacketList& piece = scans[i];
            const double length = piece.duration > 0
                                      ? piece.duration
                                      : (piece.packets.empty() ? 0 : piece.packets.back().time - piece.firstTime);
            const auto found = PieceTiming::offsetInJoined(joined, piece, from);
            const double offset = found ? *found : summed;
            result.push_back({offset, length, recordedAt[i]});
            summed = offset + length;
        }
        return ExportTimeline(std::move(result));
    }
};

void reportFraction(const ProgressCallback& onProgress, double p) {
    if (onProgress)
        onProgress(p);
}

// The grid cameras' inputs of one segment, copied to the local disk.
struct GridInputs {
    std::map<CameraAngle, QString> byCamera;
    std::optional<QString> primary; // the input of the segment's primary video
    QStringList copies;             // temporary copies, removed with the workspace or before
};

GridInputs gridInputs(const GridExportSegment& segment, Workspace& workspace, const CancellationToken& cancel) {
    GridInputs result;
    std::map<CameraAngle, QString>& inputs = result.byCamera;
    QStringList& copies = result.copies;
    const auto primary = segment.primaryVideo();
    try {
        for (const TeslaVideoFile& video : segment.videos) {
            if (!video.cameraAngle || inputs.count(*video.cameraAngle) || !Camera::gridCell(*video.cameraAngle))
                continue;
            const PreparedInput prepared = VideoExportPreparer::localInput(video, true, cancel);
            if (prepared.cleanupPath)
                copies << *prepared.cleanupPath;
            inputs[*video.cameraAngle] = prepared.path;
            if (primary && primary->id == video.id)
                result.primary = prepared.path;
        }
    } catch (...) {
        for (const QString& c : copies)
            QFile::remove(c);
        throw;
    }
    for (const QString& c : copies)
        workspace.removeLater(c);
    return result;
}

// When a grid piece's first frame was recorded: the first frame of the primary camera at or
// after the cut (ffmpeg seeks accurately).
Instant gridPieceStart(const GridExportSegment& segment, const std::optional<QString>& primaryInput) {
    const auto primary = segment.primaryVideo();
    double firstFrame = std::max(segment.trimStart, 0.0);
    if (primaryInput) {
        try {
            firstFrame = PieceTiming::firstFrameAtOrAfter(media::scanVideoPackets(primaryInput->toStdString()), firstFrame);
        } catch (const media::MediaError&) {
        }
    }
    return (primary ? primary->startTime : 0) + firstFrame;
}

} // namespace

namespace FFmpegGridExporter {

IntermediateVideo compose(const std::vector<GridExportSegment>& segments, const ProgressCallback& onProgress,
                          const CancellationToken& cancel) {
    if (segments.empty())
        throw FFmpegSegmentMergerError::commandFailed(QStringLiteral("没有可导出的四宫格片段"));
    const QString ffmpeg = FFmpegLocator::executablePath();
    Workspace workspace(QStringLiteral("tesla-grid-"));
    ResultFile result(QStringLiteral("tesla-grid-"));
    Pieces pieces;
    const double n = double(segments.size());
    for (size_t i = 0; i < segments.size(); ++i) {
        cancel.check();
        const GridExportSegment& segment = segments[i];
        const QString piece = workspace.piecePath(i);
        const GridInputs inputs = gridInputs(segment, workspace, cancel);
        reportFraction(onProgress, double(i) / n);
        const double length = std::max(segment.trimDuration, 0.0);
        FFmpegProcess::run(ffmpeg,
                           FFmpegCommands::gridPieceArguments(inputs.byCamera, segment.trimStart, segment.trimDuration, piece),
                           length, [&](double p) { reportFraction(onProgress, (double(i) + p) / n); }, cancel);
        pieces.add(piece, scan(piece), gridPieceStart(segment, inputs.primary));
        // Local copies are no longer needed once the piece exists.
        for (const QString& copy : inputs.copies)
            workspace.removeNow(copy);
    }
    cancel.check();
    if (pieces.paths.size() == 1) {
        if (!QFile::copy(pieces.paths.front(), result.path()))
            throw FileSystemError(QStringLiteral("无法复制四宫格视频: ") + result.path());
    } else {
        writeConcatList(workspace.listPath(), pieces.paths);
        FFmpegProcess::run(ffmpeg, FFmpegCommands::concatArguments(workspace.listPath(), result.path(), false), 0, {},
                           cancel);
    }
    ExportTimeline timeline = pieces.joinedTimeline(result.path());
    return {result.release(), std::move(timeline)};
}

} // namespace FFmpegGridExporter

namespace FFmpegSegmentMerger {

IntermediateVideo merge(const std::vector<ContinuousExportSegment>& segments, bool forceReencode,
                        const ProgressCallback& onProgress, const CancellationToken& cancel) {
    if (segments.empty())
        throw FFmpegSegmentMergerError::commandFailed(QStringLiteral("没有可合并的视频片段"));
    const QString ffmpeg = FFmpegLocator::executablePath();
    Workspace workspace(QStringLiteral("tesla-merge-"));
    ResultFile result(QStringLiteral("tesla-merged-"));
    Pieces pieces;
    const double n = double(segments.size());
    for (size_t i = 0; i < segments.size(); ++i) {
        const ContinuousExportSegment& segment = segments[i];
        reportFraction(onProgress, double(i) / n * cutShare);
        const PreparedInput input = VideoExportPreparer::localInput(segment.video, true, cancel);
        if (input.cleanupPath)
            workspace.removeLater(*input.cleanupPath);
        const QString piece = workspace.piecePath(i);
        try {
            FFmpegProcess::run(ffmpeg, FFmpegCommands::trimCopyArguments(input.path, piece, segment.trimStart,
                                                                         segment.trimDuration),
                               0, {}, cancel);
        } catch (const FFmpegSegmentMergerError&) {
            FFmpegProcess::run(ffmpeg, FFmpegCommands::trimReencodeArguments(input.path, piece, segment.trimStart,
                                                                             segment.trimDuration),
                               0, {}, cancel);
        }
        // Measure where the piece really starts: a copied cut begins at the key frame before.
        media::VideoPacketList pieceScan = scan(piece);
        const double first = PieceTiming::firstFrameInSource(scan(input.path), pieceScan, std::max(segment.trimStart, 0.0));
        pieces.add(piece, std::move(pieceScan), segment.video.startTime + first);
        if (input.cleanupPath)
            workspace.removeNow(*input.cleanupPath);
    }
    cancel.check();
    writeConcatList(workspace.listPath(), pieces.paths);
    try {
        FFmpegProcess::run(ffmpeg, FFmpegCommands::concatArguments(workspace.listPath(), result.path(), forceReencode),
                           0, {}, cancel);
    } catch (const FFmpegSegmentMergerError&) {
        if (forceReencode)
            throw;
        FFmpegProcess::run(ffmpeg, FFmpegCommands::concatArguments(workspace.listPath(), result.path(), true), 0, {},
                           cancel);
    }
    ExportTimeline timeline = pieces.joinedTimeline(result.path());
    reportFraction(onProgress, 1.0);
    return {result.release(), std::move(timeline)};
}

} // namespace FFmpegSegmentMerger

} // namespace orvane
