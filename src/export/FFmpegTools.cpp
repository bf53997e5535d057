#include "FFmpegTools.h"

#include "ExportErrors.h"
#include "FFmpegCommands.h"
#include "FFmpegLocator.h"
#include "FFmpegProcess.h"
#include "FileDelivery.h"
#include "FileName.h"
#include "MediaError.h"
#include "PacketScan.h"
#include "PieceTiming.h"
#include "VideoExportPreparer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <atomic>
#include <cerrno>
#include <exception>
#include <fcntl.h>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace orvane {

namespace {

// The share of a join's progress the cutting takes; the join itself the rest.
constexpr double cutShare = 0.75;
// Pipe buffer between ffmpeg and the encoder: a few pictures, within the system's usual limit.
constexpr int pipeBytes = 1 << 20;

// A workspace folder in the temporary folder, marked with this process, removed on every way
// out (a later sweep removes it when the process was killed).
class Workspace {
public:
    explicit Workspace(const QString& prefix) : path_(OwnedFiles::temporaryPath(prefix)) {
        if (!QDir().mkdir(path_))
            throw FileSystemError(QCoreApplication::translate("FFmpegTools", "无法创建临时目录: ") + path_);
    }
    ~Workspace() { QDir(path_).removeRecursively(); }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    const QString& path() const { return path_; }
    QString piecePath(size_t i) const { return QDir(path_).filePath(QString::asprintf("part_%04zu.mp4", i)); }
    QString listPath() const { return QDir(path_).filePath(QStringLiteral("concat.txt")); }

private:
    QString path_;
};

// The result file, created (and locked) before ffmpeg writes into it.
std::shared_ptr<OwnedFile> resultFile(const QString& prefix) {
    const QString path = OwnedFiles::temporaryPath(prefix, QStringLiteral(".mp4"));
    try {
        return std::make_shared<OwnedFile>(OwnedFile::create(path));
    } catch (const FileSystemError& e) {
        throw FileSystemError(QCoreApplication::translate("FFmpegTools", "无法创建临时文件 ") + path +
                              QStringLiteral(": ") + e.description());
    }
}

void writeConcatList(const QString& listPath, const QStringList& pieces) {
    QSaveFile file(listPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(FFmpegCommands::concatList(pieces).toUtf8()) < 0 ||
        !file.commit())
        throw FileSystemError(QCoreApplication::translate("FFmpegTools", "无法写入拼接列表: ") +
                              file.errorString());
}

media::VideoPacketList scan(const QString& path) {
    try {
        return media::scanVideoPackets(FileName::encode(path).toStdString());
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
            const double length =
                piece.duration > 0
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

// ffmpeg and the packet scan speak of the files they were given, our temporary copies; the
// user knows the footage by its own path. `copies` pairs each copy with the file it copies.
template <typename Work>
void namingFootage(const std::vector<std::pair<QString, QString>>& copies, Work&& work) {
    try {
        work();
    } catch (const FFmpegSegmentMergerError& e) {
        QString message = e.message();
        for (const auto& [copy, original] : copies)
            message.replace(copy, original);
        if (copies.size() == 1 && !message.contains(copies.front().second))
            message = copies.front().second + QStringLiteral(": ") + message;
        throw FFmpegSegmentMergerError::commandFailed(message);
    }
}

void reportFraction(const ProgressCallback& onProgress, double p) {
    if (onProgress)
        onProgress(p);
}

// The grid cameras' inputs of one segment, copied to the local disk (the copies go with this
// value), and what each holds.
struct GridInputs {
    std::map<CameraAngle, QString> byCamera;
    std::vector<std::pair<QString, QString>> copyOf; // (copy, the user's file)
    std::optional<media::VideoPacketList> primary;   // the frames of the segment's primary video
    std::vector<PreparedInput> copies;
    bool cutShort = false; // an input ended before its index said
};

GridInputs gridInputs(const GridExportSegment& segment, Camera::GridLayout layout,
                      const CancellationToken& cancel) {
    GridInputs result;
    const auto primary = segment.primaryVideo();
    for (const TeslaVideoFile& video : segment.videos) {
        if (!video.cameraAngle || result.byCamera.count(*video.cameraAngle) ||
            !Camera::gridCell(*video.cameraAngle, layout))
            continue;
        result.copies.push_back(VideoExportPreparer::localInput(video, true, cancel));
        const QString& input = result.copies.back().path;
        result.byCamera[*video.cameraAngle] = input;
        result.copyOf.emplace_back(input, video.url);
        try {
            media::VideoPacketList packets = media::scanVideoPackets(FileName::encode(input).toStdString());
            result.cutShort = result.cutShort || packets.endsEarly();
            if (primary && primary->id == video.id)
                result.primary = std::move(packets);
        } catch (const media::MediaError&) {
            // ffmpeg reports what it cannot read
        }
    }
    return result;
}

// When a grid piece's first frame was recorded: the first frame of the primary camera at or
// after the cut (ffmpeg seeks accurately).
Instant gridPieceStart(const GridExportSegment& segment,
                       const std::optional<media::VideoPacketList>& primaryFrames) {
    const auto primary = segment.primaryVideo();
    double firstFrame = std::max(segment.trimStart, 0.0);
    if (primaryFrames)
        firstFrame = PieceTiming::firstFrameAtOrAfter(*primaryFrames, firstFrame);
    return (primary ? primary->startTime : 0) + firstFrame;
}

} // namespace

namespace FFmpegGridExporter {

IntermediateVideo compose(const std::vector<GridExportSegment>& segments, const ProgressCallback& onProgress,
                          const CancellationToken& cancel) {
    if (segments.empty())
        throw FFmpegSegmentMergerError::commandFailed(
            QCoreApplication::translate("FFmpegTools", "没有可导出的四宫格片段"));
    const QString ffmpeg = FFmpegLocator::executablePath();
    Workspace workspace(OwnedFiles::gridPrefix);
    const std::shared_ptr<OwnedFile> result = resultFile(OwnedFiles::gridPrefix);
    Pieces pieces;
    bool cutShort = false;
    const double n = double(segments.size());
    for (size_t i = 0; i < segments.size(); ++i) {
        cancel.check();
        const GridExportSegment& segment = segments[i];
        const QString piece = workspace.piecePath(i);
        const GridInputs inputs =
            gridInputs(segment, Camera::GridLayout::four, cancel); // the copies go when the piece is made
        cutShort = cutShort || inputs.cutShort;
        reportFraction(onProgress, double(i) / n);
        const double length = std::max(segment.trimDuration, 0.0);
        namingFootage(inputs.copyOf, [&] {
            FFmpegProcess::run(
                ffmpeg,
                FFmpegCommands::gridPieceArguments(inputs.byCamera, segment.trimStart, segment.trimDuration,
                                                   piece),
                length, [&](double p) { reportFraction(onProgress, (double(i) + p) / n); }, cancel);
        });
        pieces.add(piece, scan(piece), gridPieceStart(segment, inputs.primary));
    }
    cancel.check();
    if (pieces.paths.size() == 1) {
        FileDelivery::copyInto(pieces.paths.front(), *result, cancel,
                               QCoreApplication::translate("FFmpegTools", "无法复制四宫格视频"));
    } else {
        writeConcatList(workspace.listPath(), pieces.paths);
        FFmpegProcess::run(ffmpeg,
                           FFmpegCommands::concatArguments(workspace.listPath(), result->path(), false), 0,
                           {}, cancel);
    }
    return {result->path(), pieces.joinedTimeline(result->path()), cutShort, result};
}

struct SixGridFeed::State {
    std::vector<GridExportSegment> segments;
    PixelSize canvas;
    CancellationToken cancel; // the user's, and stopped when the reader goes away
    QString ffmpeg = FFmpegLocator::executablePath();
    Workspace workspace{OwnedFiles::gridPrefix};
    QString pipe = QDir(workspace.path()).filePath(QStringLiteral("frames"));
    int readFd = -1;
    int writeFd = -1; // held by the thread between the ffmpeg runs, so the reader sees one stream
    ExportTimeline timeline;
    double duration = 0;
    std::thread thread;
    std::atomic<bool> readerGone = false; // what fails after this is the reader's doing
    std::exception_ptr failure;           // these two are read once the thread ended
    bool cutShort = false;

    ~State() {
        for (int fd : {readFd, writeFd})
            if (fd >= 0)
                ::close(fd);
    }

    void openPipe();
    void planTimeline();
    void compose();
};

void SixGridFeed::State::openPipe() {
    const QByteArray name = QFile::encodeName(pipe);
    if (::mkfifo(name.constData(), 0600) != 0)
        throw FileSystemError(QCoreApplication::translate("FFmpegTools", "无法创建临时管道: ") + qt_error_string(errno));
    // The reader's end first, without waiting for a writer; then the writer's, which finds it.
    readFd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (readFd >= 0)
        writeFd = ::open(name.constData(), O_WRONLY | O_CLOEXEC);
    if (readFd < 0 || writeFd < 0 || ::fcntl(readFd, F_SETFL, 0) != 0)
        throw FileSystemError(QCoreApplication::translate("FFmpegTools", "无法打开临时管道: ") + qt_error_string(errno));
    // Fewer switches between ffmpeg and the encoder; the system's default size serves too.
    ::fcntl(writeFd, F_SETPIPE_SZ, pipeBytes);
}

// Each minute takes exactly its frame count, so its place in the stream is known in advance;
// its first frame is the primary camera's first at or after the cut, as in the preview.
void SixGridFeed::State::planTimeline() {
    std::vector<ExportTimeline::Piece> pieces;
    int64_t frames = 0;
    for (const GridExportSegment& segment : segments) {
        std::optional<media::VideoPacketList> primary;
        if (const auto video = segment.primaryVideo()) {
            try {
                primary = media::scanVideoPackets(video->url.toStdString());
            } catch (const media::MediaError&) {
                // ffmpeg reports what it cannot read
            }
        }
        const int count = FFmpegCommands::sixGridFrames(segment.trimDuration);
        pieces.push_back({double(frames) / FFmpegCommands::gridFrameRate,
                          double(count) / FFmpegCommands::gridFrameRate, gridPieceStart(segment, primary)});
        frames += count;
    }
    timeline = ExportTimeline(std::move(pieces));
    duration = double(frames) / FFmpegCommands::gridFrameRate;
}

void SixGridFeed::State::compose() {
    try {
        for (const GridExportSegment& segment : segments) {
            cancel.check();
            const GridInputs inputs = gridInputs(segment, Camera::GridLayout::six, cancel);
            cutShort = cutShort || inputs.cutShort;
            namingFootage(inputs.copyOf, [&] {
                FFmpegProcess::run(ffmpeg,
                                   FFmpegCommands::sixGridFrameArguments(inputs.byCamera, segment.trimStart,
                                                                         segment.trimDuration, canvas, pipe),
                                   0, {}, cancel);
            });
        }
    } catch (...) {
        if (!readerGone)
            failure = std::current_exception();
    }
    ::close(writeFd); // the reader's end of the stream
    writeFd = -1;
}

SixGridFeed::SixGridFeed(std::vector<GridExportSegment> segments, ExportQuality quality,
                         const CancellationToken& cancel)
    : d(std::make_unique<State>()) {
    d->segments = std::move(segments);
    d->canvas = FFmpegCommands::sixGridCanvas(quality);
    d->cancel = cancel.child();
    d->planTimeline();
    d->openPipe();
    d->thread = std::thread([state = d.get()] { state->compose(); });
}

SixGridFeed::~SixGridFeed() {
    stopReading();
}

void SixGridFeed::stopReading() {
    d->readerGone = true;
    d->cancel.cancel();
    if (d->readFd >= 0)
        ::close(d->readFd); // an ffmpeg still writing fails instead of waiting for a reader
    d->readFd = -1;
    if (d->thread.joinable())
        d->thread.join();
}

media::RawVideoStream SixGridFeed::stream() const {
    return {d->readFd, d->canvas.width, d->canvas.height, FFmpegCommands::gridFrameRate, d->duration};
}

QString SixGridFeed::pipePath() const {
    return d->pipe;
}

const ExportTimeline& SixGridFeed::timeline() const {
    return d->timeline;
}

bool SixGridFeed::finish() {
    stopReading();
    if (d->failure)
        std::rethrow_exception(d->failure);
    return d->cutShort;
}

} // namespace FFmpegGridExporter

namespace FFmpegSegmentMerger {

IntermediateVideo merge(const std::vector<ContinuousExportSegment>& segments, bool forceReencode,
                        const ProgressCallback& onProgress, const CancellationToken& cancel) {
    if (segments.empty())
        throw FFmpegSegmentMergerError::commandFailed(
            QCoreApplication::translate("FFmpegTools", "没有可合并的视频片段"));
    const QString ffmpeg = FFmpegLocator::executablePath();
    Workspace workspace(OwnedFiles::mergePrefix);
    const std::shared_ptr<OwnedFile> result = resultFile(OwnedFiles::mergedPrefix);
    Pieces pieces;
    bool cutShort = false;
    double lead = 0;
    const double n = double(segments.size());
    for (size_t i = 0; i < segments.size(); ++i) {
        const ContinuousExportSegment& segment = segments[i];
        reportFraction(onProgress, double(i) / n * cutShare);
        const PreparedInput input =
            VideoExportPreparer::localInput(segment.video, true, cancel); // gone after the cut
        const QString piece = workspace.piecePath(i);
        media::VideoPacketList pieceScan, source;
        namingFootage({{input.path, segment.video.url}}, [&] {
            try {
                FFmpegProcess::run(ffmpeg,
                                   FFmpegCommands::trimCopyArguments(input.path, piece, segment.trimStart,
                                                                     segment.trimDuration),
                                   0, {}, cancel);
            } catch (const FFmpegSegmentMergerError&) {
                FFmpegProcess::run(ffmpeg,
                                   FFmpegCommands::trimReencodeArguments(input.path, piece, segment.trimStart,
                                                                         segment.trimDuration),
                                   0, {}, cancel);
            }
            // Measure where the piece really starts: a copied cut begins at the key frame before.
            pieceScan = scan(piece);
            source = scan(input.path);
        });
        cutShort = cutShort || source.endsEarly();
        const double first =
            PieceTiming::firstFrameInSource(source, pieceScan, std::max(segment.trimStart, 0.0));
        if (i == 0)
            lead = std::max(std::max(segment.trimStart, 0.0) - first, 0.0);
        pieces.add(piece, std::move(pieceScan), segment.video.startTime + first);
    }
    cancel.check();
    writeConcatList(workspace.listPath(), pieces.paths);
    try {
        FFmpegProcess::run(
            ffmpeg, FFmpegCommands::concatArguments(workspace.listPath(), result->path(), forceReencode), 0,
            {}, cancel);
    } catch (const FFmpegSegmentMergerError&) {
        if (forceReencode)
            throw;
        FFmpegProcess::run(ffmpeg,
                           FFmpegCommands::concatArguments(workspace.listPath(), result->path(), true), 0, {},
                           cancel);
    }
    ExportTimeline timeline = pieces.joinedTimeline(result->path());
    reportFraction(onProgress, 1.0);
    return {result->path(), std::move(timeline), cutShort, result, lead};
}

} // namespace FFmpegSegmentMerger

} // namespace orvane
