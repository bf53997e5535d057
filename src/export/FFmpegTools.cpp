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
#include "ReadableFootage.h"
#include "TimelapsePackets.h"
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
    } catch (const media::MediaError&) {
        throw FFmpegSegmentMergerError::commandFailed(ReadableFootage::damagedText());
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

    size_t packetCount() const {
        size_t count = 0;
        for (const auto& piece : scans)
            count += piece.packets.size();
        return count;
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

// A failure of ffmpeg's work on `footage`, named by the file the user knows (ffmpeg read our
// temporary copy of it).
template <typename Work> void namingFootage(const QString& footage, Work&& work) {
    try {
        work();
    } catch (const FFmpegSegmentMergerError& e) {
        throw FFmpegSegmentMergerError::commandFailed(footage + QStringLiteral(": ") + e.message(),
                                                      e.systemError());
    }
}

// Runs ffmpeg on footage: false when it could not read it (the footage is then left out); a
// refused system call (a full disk) throws, naming the footage.
bool ranOn(const QString& footage, const std::function<void()>& work) {
    try {
        namingFootage(footage, work);
        return true;
    } catch (const FFmpegSegmentMergerError& e) {
        if (e.systemError())
            throw;
        return false;
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
    std::optional<media::VideoPacketList> primary; // the frames of the segment's primary video
    std::vector<PreparedInput> copies;
    bool cutShort = false; // an input ended before its index said
};

// `forceCopy` off (a timelapse, whose own thinned copies follow): only what ffmpeg could not
// read where it is is copied.
GridInputs gridInputs(const GridExportSegment& segment, Camera::GridLayout layout,
                      const CancellationToken& cancel, bool forceCopy = true) {
    GridInputs result;
    const auto primary = segment.primaryVideo();
    for (const TeslaVideoFile& video : segment.videos) {
        if (!video.cameraAngle || result.byCamera.count(*video.cameraAngle) ||
            !Camera::gridCell(*video.cameraAngle, layout))
            continue;
        result.copies.push_back(VideoExportPreparer::localInput(video, forceCopy, cancel));
        const QString& input = result.copies.back().path;
        result.byCamera[*video.cameraAngle] = input;
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

struct GridFeed::State {
    std::vector<GridExportSegment> segments;
    Camera::GridLayout layout = Camera::GridLayout::four;
    PixelSize canvas;
    int speed = 1;
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
    void keepTimelapsePackets(GridInputs& inputs, const GridExportSegment& segment) const;
};

void GridFeed::State::openPipe() {
    const QByteArray name = QFile::encodeName(pipe);
    if (::mkfifo(name.constData(), 0600) != 0)
        throw FileSystemError(QCoreApplication::translate("FFmpegTools", "无法创建临时管道: ") +
                              qt_error_string(errno));
    // The reader's end first, without waiting for a writer; then the writer's, which finds it.
    readFd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (readFd >= 0)
        writeFd = ::open(name.constData(), O_WRONLY | O_CLOEXEC);
    if (readFd < 0 || writeFd < 0 || ::fcntl(readFd, F_SETFL, 0) != 0)
        throw FileSystemError(QCoreApplication::translate("FFmpegTools", "无法打开临时管道: ") +
                              qt_error_string(errno));
    // Fewer switches between ffmpeg and the encoder; the system's default size serves too.
    ::fcntl(writeFd, F_SETPIPE_SZ, pipeBytes);
}

// Each minute takes exactly its frame count, so its place in the stream is known in advance;
// its first frame is the primary camera's first at or after the cut, as in the preview.
void GridFeed::State::planTimeline() {
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
        // A timelapse's frames stand `speed` grid frames apart in the footage's time.
        const int count = FFmpegCommands::gridFrames(segment.trimDuration, speed);
        const double frameLength = double(speed) / FFmpegCommands::gridFrameRate;
        pieces.push_back(
            {double(frames) * frameLength, double(count) * frameLength, gridPieceStart(segment, primary)});
        frames += count;
    }
    timeline = ExportTimeline(std::move(pieces));
    duration = double(frames) * speed / FFmpegCommands::gridFrameRate;
}

// Each camera's copy keeps only the packets of the frames the timelapse takes (and those they
// are decoded from). The grid's frame rate rounds each frame to its nearest grid frame and shows
// the last one rounded to a moment, counted from the first frame at or after the cut: that may be
// up to a frame and a half after the moment, which the margin after it covers. A key frame less
// than half a frame after a moment rounds to it, so the stretch before is not needed for that
// moment; a quarter of a frame leaves room for the cut's rounding to milliseconds.
void GridFeed::State::keepTimelapsePackets(GridInputs& inputs, const GridExportSegment& segment) const {
    constexpr double marginFrames = 2;
    constexpr double keyLeadFrames = 0.25;
    const double frame = 1.0 / FFmpegCommands::gridFrameRate;
    for (auto& [camera, path] : inputs.byCamera) {
        cancel.check();
        const QString thinned =
            QDir(workspace.path()).filePath(QStringLiteral("lapse-%1.mp4").arg(Camera::rawValue(camera)));
        media::copyTimelapsePackets(FileName::encode(path).toStdString(),
                                    FileName::encode(thinned).toStdString(), std::max(segment.trimStart, 0.0),
                                    speed * frame, marginFrames * frame, keyLeadFrames * frame);
        path = thinned;
    }
}

void GridFeed::State::compose() {
    try {
        for (const GridExportSegment& segment : segments) {
            cancel.check();
            GridInputs inputs = gridInputs(segment, layout, cancel, speed == 1);
            cutShort = cutShort || inputs.cutShort;
            if (speed > 1)
                keepTimelapsePackets(inputs, segment);
            namingFootage(segment.primaryVideo() ? segment.primaryVideo()->fileName : QString(), [&] {
                FFmpegProcess::run(ffmpeg,
                                   FFmpegCommands::gridFrameArguments(layout, inputs.byCamera,
                                                                      segment.trimStart, segment.trimDuration,
                                                                      canvas, pipe, speed),
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

GridFeed::GridFeed(std::vector<GridExportSegment> segments, Camera::GridLayout layout, ExportQuality quality,
                   const CancellationToken& cancel, int speed)
    : d(std::make_unique<State>()) {
    d->segments = std::move(segments);
    d->speed = std::max(speed, 1);
    d->layout = layout;
    d->canvas = FFmpegCommands::gridCanvas(layout, quality);
    d->cancel = cancel.child();
    d->planTimeline();
    d->openPipe();
    d->thread = std::thread([state = d.get()] { state->compose(); });
}

GridFeed::~GridFeed() {
    stopReading();
}

void GridFeed::stopReading() {
    d->readerGone = true;
    d->cancel.cancel();
    if (d->readFd >= 0)
        ::close(d->readFd); // an ffmpeg still writing fails instead of waiting for a reader
    d->readFd = -1;
    if (d->thread.joinable())
        d->thread.join();
}

media::RawVideoStream GridFeed::stream() const {
    return {d->readFd, d->canvas.width, d->canvas.height, FFmpegCommands::gridFrameRate,
            d->speed,  d->duration};
}

QString GridFeed::pipePath() const {
    return d->pipe;
}

const ExportTimeline& GridFeed::timeline() const {
    return d->timeline;
}

bool GridFeed::finish() {
    stopReading();
    if (d->failure)
        std::rethrow_exception(d->failure);
    return d->cutShort;
}

} // namespace FFmpegGridExporter

namespace FFmpegSegmentMerger {

namespace {

// Cuts one segment of its (local) file into `piece`: a stream copy, else a re-encode.
void cutPiece(const QString& ffmpeg, const QString& input, const ContinuousExportSegment& segment,
              const QString& piece, const CancellationToken& cancel) {
    try {
        FFmpegProcess::run(
            ffmpeg, FFmpegCommands::trimCopyArguments(input, piece, segment.trimStart, segment.trimDuration),
            0, {}, cancel);
    } catch (const FFmpegSegmentMergerError&) {
        FFmpegProcess::run(
            ffmpeg,
            FFmpegCommands::trimReencodeArguments(input, piece, segment.trimStart, segment.trimDuration), 0,
            {}, cancel);
    }
}

// Cuts the readable part of one segment into the next piece, or leaves it out and says why.
void addPiece(const QString& ffmpeg, const Workspace& workspace, ContinuousExportSegment segment,
              Pieces& pieces, IntermediateVideo& out, const CancellationToken& cancel) {
    const PreparedInput input =
        VideoExportPreparer::localInput(segment.video, true, cancel); // gone after the cut
    const auto part = ReadableFootage::check(segment.video, input.path, segment.trimStart,
                                             segment.trimDuration, out.skipped);
    out.asked += part.asked;
    if (!part.length)
        return;
    segment.trimDuration = *part.length;
    const QString piece = workspace.piecePath(size_t(pieces.paths.size()));
    media::VideoPacketList pieceScan, source;
    const bool cut = ranOn(segment.video.fileName, [&] {
        cutPiece(ffmpeg, input.path, segment, piece, cancel);
        // Measure where the piece really starts: a copied cut begins at the key frame before.
        pieceScan = scan(piece);
        source = scan(input.path);
    });
    if (!cut || pieceScan.packets.empty()) {
        ReadableFootage::leaveOut(segment.video, part.asked, ReadableFootage::damagedText(), out.skipped);
        return;
    }
    out.sourceCutShort = out.sourceCutShort || source.endsEarly();
    const double start = std::max(segment.trimStart, 0.0);
    const double first = PieceTiming::firstFrameInSource(source, pieceScan, start);
    if (pieces.paths.isEmpty())
        out.lead = std::max(start - first, 0.0);
    pieces.add(piece, std::move(pieceScan), segment.video.startTime + first);
    out.minutes.push_back(segment.video);
}

// Joins the pieces into `result`: a stream copy, else a re-encode. ffmpeg's join may stop at a
// damaged picture and still succeed, so the result is checked to hold every piece's pictures.
void join(const QString& ffmpeg, const Workspace& workspace, const Pieces& pieces, const QString& result,
          bool forceReencode, const CancellationToken& cancel) {
    auto joinedWhole = [&](bool reencode) {
        try {
            FFmpegProcess::run(ffmpeg,
                               FFmpegCommands::concatArguments(workspace.listPath(), result, reencode), 0, {},
                               cancel);
        } catch (const FFmpegSegmentMergerError& e) {
            if (e.systemError() || reencode)
                throw FFmpegSegmentMergerError::commandFailed(
                    QCoreApplication::translate("FFmpegTools", "无法合并视频片段: ") + e.message(),
                    e.systemError());
            return false;
        }
        return scan(result).packets.size() >= pieces.packetCount();
    };
    if (!(!forceReencode && joinedWhole(false)) && !joinedWhole(true))
        throw FFmpegSegmentMergerError::commandFailed(
            QCoreApplication::translate("FFmpegTools", "无法合并视频片段: ") +
            ReadableFootage::damagedText());
}

} // namespace

IntermediateVideo merge(const std::vector<ContinuousExportSegment>& segments, bool forceReencode,
                        const ProgressCallback& onProgress, const CancellationToken& cancel) {
    if (segments.empty())
        throw FFmpegSegmentMergerError::commandFailed(
            QCoreApplication::translate("FFmpegTools", "没有可合并的视频片段"));
    const QString ffmpeg = FFmpegLocator::executablePath();
    Workspace workspace(OwnedFiles::mergePrefix);
    const std::shared_ptr<OwnedFile> result = resultFile(OwnedFiles::mergedPrefix);
    Pieces pieces;
    IntermediateVideo out;
    const double n = double(segments.size());
    for (size_t i = 0; i < segments.size(); ++i) {
        reportFraction(onProgress, double(i) / n * cutShare);
        addPiece(ffmpeg, workspace, segments[i], pieces, out, cancel);
    }
    if (pieces.paths.isEmpty())
        throw ReadableFootage::nothingReadable(out.skipped);
    cancel.check();
    writeConcatList(workspace.listPath(), pieces.paths);
    join(ffmpeg, workspace, pieces, result->path(), forceReencode, cancel);
    out.path = result->path();
    out.timeline = pieces.joinedTimeline(result->path());
    out.file = result;
    reportFraction(onProgress, 1.0);
    return out;
}

} // namespace FFmpegSegmentMerger

} // namespace orvane
