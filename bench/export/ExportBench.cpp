// Export speed against the ffmpeg command doing the same work, and peak memory by length.
// usage: orvane-export-bench [--seconds 60] [--long-seconds 300] [--skip-grid] [--only-six]
//                            [--only-dashboard] [--only-manifest]
//                            [--only-timelapse [--minutes 10]]  the continuous grid at 1× and 60×
//                            [--only-long-grid [--minutes 60]]  six-camera peak memory, 1 min and N
// Prints one "name: value" figure per line.

#include "BenchSupport.h"
#include "ExportManifest.h"
#include "FFmpegCommands.h"
#include "FileDigest.h"
#include "GPUVideoExporter.h"
#include "OverlayRenderer.h"
#include "SampleDrive.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>

using namespace orvane;

namespace {

constexpr Instant start = 1714550400;

TeslaVideoFile writeClip(const QString& path, CameraAngle camera, double seconds, int width = 1448,
                         int height = 938) {
    sample::ClipSpec spec;
    spec.path = path;
    spec.camera = camera;
    spec.width = width;
    spec.height = height;
    spec.seconds = seconds;
    spec.startTime = start;
    spec.seed = uint64_t(camera) + 3;
    sample::writeClip(spec);
    TeslaVideoFile v;
    v.id = QUuid::createUuid();
    v.url = path;
    v.fileName = QFileInfo(path).fileName();
    v.startTime = start;
    v.cameraAngle = camera;
    return v;
}

double timeFFmpeg(const QStringList& args) {
    QElapsedTimer timer;
    timer.start();
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), QStringList{"-v", "error", "-y"} + args);
    p.waitForFinished(-1);
    if (p.exitCode() != 0)
        fprintf(stderr, "ffmpeg failed: %s\n", p.readAllStandardError().constData());
    return timer.elapsed() / 1000.0;
}

// The peer's encoder for the balanced quality: H.264 High superfast at `bitRate`, no B-frames,
// a key frame every second (36 frames), no audio.
QStringList balancedPeerEncoder(const QString& bitRate) {
    return {"-c:v", "libx264",     "-preset", "superfast",     "-profile:v", "high", "-b:v", bitRate, "-g",
            "36",   "-keyint_min", "36",      "-sc_threshold", "0",          "-bf",  "0",    "-an"};
}

// The peer's encoder for the original quality: HEVC Main ultrafast at `bitRate`, no B-frames, a key
// frame every second (36 frames), no audio.
QStringList originalPeerEncoder(const QString& bitRate) {
    return {"-c:v",         "libx265",
            "-preset",      "ultrafast",
            "-profile:v",   "main",
            "-b:v",         bitRate,
            "-x265-params", "bframes=0:scenecut=0:keyint=36:min-keyint=36:log-level=error",
            "-an"};
}

// A box of the size and place of our time box, drawn by ffmpeg.
QString boxFilter(int width, int height) {
    const auto placed = OverlayRenderer::timeWatermark(QStringLiteral("2024-05-01 08:00:00"), width, height);
    return QStringLiteral("drawbox=x=%1:y=%2:w=%3:h=%4:color=black@0.78:t=fill")
        .arg(placed.position.x())
        .arg(placed.position.y())
        .arg(placed.image.width())
        .arg(placed.image.height());
}

// A grid's graph with our time box drawn over the laid-out picture, followed by `then` (",filter…").
QString withTimeBox(QString graph, PixelSize canvas, const QString& then = {}) {
    return graph.replace("[vout]", "," + boxFilter(canvas.width, canvas.height) + then + "[vout]");
}

// The peer's bit rate: our quality table's average for a picture of `size`, as ffmpeg takes it.
QString peerBitRate(ExportQuality quality, PixelSize size) {
    return QString::number(
               Quality::encodingBitrates(quality, size.width, size.height, std::nullopt).average) +
           "k";
}

WatermarkSettings settingsFor(ExportQuality q, bool dashboard = false) {
    WatermarkSettings s;
    s.exportQuality = q;
    s.showDashboard = dashboard;
    return s;
}

double timeOurs(const TeslaVideoFile& v, const QString& out, ExportQuality q) {
    QElapsedTimer timer;
    timer.start();
    GPUVideoExporter::exportSync(v, v.url, out, settingsFor(q), 0, 0, {});
    return timer.elapsed() / 1000.0;
}

// A newer car's six cameras (front 2896 × 1876, the others 1448 × 938) as a balanced grid: ours
// (ffmpeg composing at the output size into a pipe our burn-in encoder reads) against one ffmpeg
// run composing the same cells at the same size into the same encoder, with a box where our time
// goes.
void sixCameraGrid(const std::function<QString(const char*)>& path, double seconds) {
    std::vector<TeslaVideoFile> files;
    QStringList inputs;
    for (CameraAngle camera : Camera::sixGridOrder) {
        const bool front = camera == CameraAngle::front;
        files.push_back(writeClip(path(qPrintable("six" + Camera::fileNameSuffix(camera))), camera, seconds,
                                  front ? 2896 : 1448, front ? 1876 : 938));
        inputs << "-i" << files.back().url;
    }
    QElapsedTimer timer;
    timer.start();
    GPUVideoExporter::exportGrid({{files, 0, seconds}}, path("ours-six.mp4"),
                                 settingsFor(ExportQuality::balanced), {});
    const double ours = timer.elapsed() / 1000.0;
    const PixelSize canvas = FFmpegCommands::gridCanvas(Camera::GridLayout::six, ExportQuality::balanced);
    const QString graph = withTimeBox(
        FFmpegCommands::gridFilterGraph(Camera::GridLayout::six, FFmpegCommands::seconds(seconds), canvas),
        canvas);
    const double plain = timeFFmpeg(inputs + QStringList{"-filter_complex", graph, "-map", "[vout]"} +
                                    balancedPeerEncoder(peerBitRate(ExportQuality::balanced, canvas)) +
                                    QStringList{path("ff-six.mp4")});
    printf(
        "six_grid_balanced_ours_s: %.2f\nsix_grid_balanced_ffmpeg_s: %.2f\nsix_grid_balanced_ratio: %.2f\n",
        ours, plain, ours / plain);
}

// SSIM (all planes) of `video` against the same cameras laid out by ffmpeg at the same size,
// uncompressed, over the video's own frames: what the encoding kept of the sources (the
// burned-in boxes cost a little).
double ssimAgainstSources(const QStringList& inputs, const QString& graph, const QString& video,
                          double seconds) {
    const int videoInput = int(inputs.size() / 2);
    QString reference = graph;
    reference.replace("[vout]", "[ref]");
    reference += QStringLiteral(";[%1:v][ref]ssim").arg(videoInput);
    QProcess p;
    p.start(QStringLiteral("ffmpeg"),
            QStringList{"-nostats"} + inputs +
                QStringList{"-i", video, "-filter_complex", reference, "-frames:v",
                            QString::number(std::lround(seconds * FFmpegCommands::gridFrameRate)), "-f",
                            "null", "-"});
    p.waitForFinished(-1);
    const auto all = QRegularExpression("All:([0-9.]+)").match(QString::fromUtf8(p.readAllStandardError()));
    return all.hasMatch() ? all.captured(1).toDouble() : NAN;
}

// A four-camera grid in each quality: ours (ffmpeg laying the cameras out at the output size
// into a pipe our burn-in encoder reads) against one ffmpeg run laying out the same cells into the
// same encoder with a box where our time goes, with real-time factors; for the original quality
// also what each kept of the sources (SSIM), and ours without the manifest's hashing.
void fourCameraGrid(const std::function<QString(const char*)>& path, const TeslaVideoFile& front,
                    double seconds) {
    std::vector<TeslaVideoFile> files{front};
    QStringList inputs{"-i", front.url};
    for (CameraAngle camera : {CameraAngle::back, CameraAngle::leftRepeater, CameraAngle::rightRepeater}) {
        files.push_back(writeClip(path(qPrintable("m" + Camera::fileNameSuffix(camera))), camera, seconds));
        inputs << "-i" << files.back().url;
    }
    for (ExportQuality quality : {ExportQuality::balanced, ExportQuality::original}) {
        const bool original = quality == ExportQuality::original;
        const QString name = original ? "original" : "balanced";
        const QString ourFile = path(qPrintable("ours-grid-" + name + ".mp4"));
        const auto timedExport = [&](bool manifest) {
            ExportCallbacks callbacks;
            callbacks.writeManifest = manifest;
            QFile::remove(ExportManifest::pathFor(ourFile));
            QElapsedTimer timer;
            timer.start();
            GPUVideoExporter::exportGrid({{files, 0, seconds}}, ourFile, settingsFor(quality), callbacks);
            return timer.elapsed() / 1000.0;
        };
        const double ours = timedExport(true);
        const PixelSize size = FFmpegCommands::gridCanvas(Camera::GridLayout::four, quality);
        const QString rate = peerBitRate(quality, size);
        const QString graph =
            FFmpegCommands::gridFilterGraph(Camera::GridLayout::four, FFmpegCommands::seconds(seconds), size);
        const QString boxed = withTimeBox(graph, size);
        const QString peerFile = path(qPrintable("ff-grid-" + name + ".mp4"));
        const double plain = timeFFmpeg(inputs + QStringList{"-filter_complex", boxed, "-map", "[vout]"} +
                                        (original ? originalPeerEncoder(rate) : balancedPeerEncoder(rate)) +
                                        QStringList{peerFile});
        printf("grid_%s_ours_s: %.2f\ngrid_%s_ffmpeg_s: %.2f\ngrid_%s_ratio: %.2f\n"
               "grid_%s_realtime_factor: %.3f\ngrid_%s_ffmpeg_realtime_factor: %.3f\n",
               qPrintable(name), ours, qPrintable(name), plain, qPrintable(name), ours / plain,
               qPrintable(name), seconds / ours, qPrintable(name), seconds / plain);
        if (!original)
            continue;
        printf("grid_original_ours_without_manifest_s: %.2f\n", timedExport(false));
        printf("grid_original_ours_ssim: %.4f\ngrid_original_ffmpeg_ssim: %.4f\n",
               ssimAgainstSources(inputs, graph, ourFile, seconds),
               ssimAgainstSources(inputs, graph, peerFile, seconds));
    }
}

// `minutes` one-minute recordings of the grid's cameras, each a minute after the last; every
// minute is the same footage, the work per minute being what is measured.
std::vector<GridExportSegment> gridMinutes(const QString& folder, Camera::GridLayout layout, int minutes) {
    std::vector<TeslaVideoFile> minute;
    for (CameraAngle camera : Camera::gridCameras(layout)) {
        const QString file = QDir(folder).filePath("grid" + Camera::fileNameSuffix(camera));
        minute.push_back(QFileInfo::exists(file) ? TeslaVideoFile{} : writeClip(file, camera, 60));
        minute.back().url = file;
        minute.back().fileName = QFileInfo(file).fileName();
        minute.back().cameraAngle = camera;
    }
    std::vector<GridExportSegment> segments;
    for (int m = 0; m < minutes; ++m) {
        GridExportSegment segment{minute, 0, 60};
        for (TeslaVideoFile& v : segment.videos) {
            v.id = QUuid::createUuid();
            v.startTime = start + 60.0 * m;
        }
        segments.push_back(std::move(segment));
    }
    return segments;
}

// One ffmpeg run laying out `minutes` of the four-camera grid (each camera's minute looped) and
// taking every speed-th frame into the balanced encoder, with a box where our time goes: the
// plain peer decodes every frame. `keyFramesOnly` decodes the key frames alone, so each moment
// shows the last key frame before it: what moments snapped to key frames would cost.
double plainTimelapseGrid(const QString& folder, int minutes, int speed, bool keyFramesOnly) {
    QStringList inputs;
    for (CameraAngle camera : Camera::gridCameras(Camera::GridLayout::four)) {
        if (keyFramesOnly)
            inputs << "-skip_frame"
                   << "nokey";
        inputs << "-stream_loop" << QString::number(minutes - 1) << "-i"
               << QDir(folder).filePath("grid" + Camera::fileNameSuffix(camera));
    }
    const double duration = 60.0 * minutes;
    const PixelSize canvas = FFmpegCommands::gridCanvas(Camera::GridLayout::four, ExportQuality::balanced);
    const QString graph =
        withTimeBox(FFmpegCommands::gridFilterGraph(Camera::GridLayout::four,
                                                    FFmpegCommands::seconds(duration), canvas, speed),
                    canvas, QStringLiteral(",setpts=N/%1/TB").arg(FFmpegCommands::gridFrameRate));
    return timeFFmpeg(inputs +
                      QStringList{"-filter_complex", graph, "-map", "[vout]", "-fps_mode", "passthrough",
                                  "-frames:v", QString::number(FFmpegCommands::gridFrames(duration, speed))} +
                      balancedPeerEncoder(peerBitRate(ExportQuality::balanced, canvas)) +
                      QStringList{QDir(folder).filePath(QString("ff-lapse%1.mp4").arg(keyFramesOnly))});
}

// A continuous four-camera grid at 1× and as a 60× timelapse, which decodes only the stretches
// between key frames that hold a frame it takes; beside them the plain ffmpeg peer's 60×, and
// the same decoding key frames alone.
void timelapseGrid(const QString& folder, int minutes) {
    constexpr int speeds[2] = {1, 60};
    const auto segments = gridMinutes(folder, Camera::GridLayout::four, minutes);
    double seconds[2] = {}, processor[2] = {};
    for (int run = 0; run < 2; ++run) {
        WatermarkSettings settings = settingsFor(ExportQuality::balanced);
        settings.speed = speeds[run];
        QElapsedTimer timer;
        timer.start();
        const double processorBefore = bench::processorSeconds();
        GPUVideoExporter::exportGrid(segments, QDir(folder).filePath(QString("lapse%1.mp4").arg(speeds[run])),
                                     settings, {});
        seconds[run] = timer.elapsed() / 1000.0;
        processor[run] = bench::processorSeconds() - processorBefore;
    }
    const double plain = plainTimelapseGrid(folder, minutes, speeds[1], false);
    const double keyFrames = plainTimelapseGrid(folder, minutes, speeds[1], true);
    printf("timelapse_grid_%dmin_1x_s: %.2f (processor %.1f s)\ntimelapse_grid_%dmin_60x_s: %.2f (processor "
           "%.1f s)\ntimelapse_grid_60x_share: %.3f (goal at most 0.100)\n",
           minutes, seconds[0], processor[0], minutes, seconds[1], processor[1], seconds[1] / seconds[0]);
    printf(
        "timelapse_grid_%dmin_60x_ffmpeg_s: %.2f (share %.3f)\ntimelapse_grid_%dmin_60x_ffmpeg_key_frames_s: "
        "%.2f (share %.3f)\n",
        minutes, plain, plain / seconds[0], minutes, keyFrames, keyFrames / seconds[0]);
}

// Child mode: a six-camera grid of `minutes` from the footage in `folder`, then its peak memory
// and that of the largest process it started (the grid's composer), in kilobytes.
int childGrid(const QString& folder, int minutes) {
    const auto segments = gridMinutes(folder, Camera::GridLayout::six, minutes);
    const QString output = QDir(folder).filePath(QString("six%1.mp4").arg(minutes));
    QElapsedTimer timer;
    timer.start();
    GPUVideoExporter::exportGrid(segments, output, settingsFor(ExportQuality::balanced), {});
    printf("%ld %ld %.1f\n", bench::peakRssKilobytes(), bench::childrenPeakRssKilobytes(),
           timer.elapsed() / 1000.0);
    // Gone once measured: a later run of the same length would find its name taken.
    QFile::remove(output);
    QFile::remove(ExportManifest::pathFor(output));
    return 0;
}

// A long six-camera export keeps its memory flat: its peak against a one-minute export's, the
// program's own and its composer's.
void longGrid(const QString& self, const QString& folder, int minutes) {
    gridMinutes(folder, Camera::GridLayout::six, 0); // writes the footage once, outside the measured runs
    const int lengths[2] = {1, minutes};
    long peaks[2] = {}, composerPeaks[2] = {};
    for (int run = 0; run < 2; ++run) {
        const int length = lengths[run];
        QProcess p;
        p.start(self, {"--child-grid", folder, QString::number(length)});
        p.waitForFinished(-1);
        const QStringList figures = QString::fromUtf8(p.readAllStandardOutput()).simplified().split(' ');
        if (figures.size() != 3) {
            printf("six_grid_%dmin: failed\n", length);
            return;
        }
        printf("six_grid_peak_rss_%dmin_kb: %s\nsix_grid_composer_peak_rss_%dmin_kb: %s\n"
               "six_grid_%dmin_s: %s\n",
               length, qPrintable(figures[0]), length, qPrintable(figures[1]), length,
               qPrintable(figures[2]));
        peaks[run] = figures[0].toLong();
        composerPeaks[run] = figures[1].toLong();
    }
    printf("six_grid_peak_growth: %.3f (goal at most 0.100)\nsix_grid_composer_peak_growth: %.3f\n",
           double(peaks[1]) / double(peaks[0]) - 1, double(composerPeaks[1]) / double(composerPeaks[0]) - 1);
}

// Child mode: one export, then its peak memory.
int child(const QString& in, const QString& out, bool dashboard) {
    TeslaVideoFile v;
    v.url = in;
    v.fileName = QFileInfo(in).fileName();
    v.startTime = start;
    v.cameraAngle = CameraAngle::front;
    GPUVideoExporter::exportSync(v, in, out, settingsFor(ExportQuality::balanced, dashboard), 0, 0, {});
    printf("%ld\n", bench::peakRssKilobytes());
    return 0;
}

long peakOfChild(const QString& self, const QString& in, const QString& out, bool dashboard = false) {
    QProcess p;
    p.start(self, {dashboard ? QStringLiteral("--child-dashboard") : QStringLiteral("--child"), in, out});
    p.waitForFinished(-1);
    return p.readAllStandardOutput().trimmed().toLong();
}

// The fastest of two runs in wall-clock and in processor seconds: other work on the machine
// only ever adds time, and processor time is what the overlay itself costs.
std::pair<double, double> fastestOf(const std::function<void()>& work) {
    double wall = 0, processor = 0;
    for (int run = 0; run < 2; ++run) {
        QElapsedTimer timer;
        timer.start();
        const double before = bench::processorSeconds();
        work();
        const double s = timer.elapsed() / 1000.0, p = bench::processorSeconds() - before;
        wall = run == 0 ? s : std::min(wall, s);
        processor = run == 0 ? p : std::min(processor, p);
    }
    return {wall, processor};
}

// What drawing the dashboard into every frame adds to a single balanced export and a four-camera
// grid, and the peak memory of dashboard exports of two lengths.
void dashboardCost(const std::function<QString(const char*)>& path, const TeslaVideoFile& front,
                   bool withGrids, const QString& self, double length, double longSeconds) {
    std::vector<TeslaVideoFile> grid{front};
    for (CameraAngle camera : {CameraAngle::back, CameraAngle::leftRepeater, CameraAngle::rightRepeater})
        if (withGrids)
            grid.push_back(writeClip(path(qPrintable("d" + Camera::fileNameSuffix(camera))), camera, length));
    for (const bool withGrid : {false, true}) {
        if (withGrid && !withGrids)
            continue;
        std::pair<double, double> cost[2];
        for (const bool dashboard : {false, true}) {
            const WatermarkSettings settings = settingsFor(ExportQuality::balanced, dashboard);
            cost[dashboard] = fastestOf([&] {
                if (withGrid)
                    GPUVideoExporter::exportGrid({{grid, 0, length}}, path("dash-grid.mp4"), settings, {});
                else
                    GPUVideoExporter::exportSync(front, front.url, path("dash-single.mp4"), settings, 0, 0,
                                                 {});
            });
        }
        const char* name = withGrid ? "grid" : "single";
        printf("dashboard_%s_without_s: %.2f\ndashboard_%s_with_s: %.2f\ndashboard_%s_added_percent: %.1f\n",
               name, cost[0].first, name, cost[1].first, name, 100 * (cost[1].first / cost[0].first - 1));
        printf("dashboard_%s_without_cpu_s: %.2f\ndashboard_%s_with_cpu_s: %.2f\n"
               "dashboard_%s_added_cpu_percent: %.1f\n",
               name, cost[0].second, name, cost[1].second, name, 100 * (cost[1].second / cost[0].second - 1));
    }
    printf("dashboard_peak_rss_short_kb: %ld\n",
           peakOfChild(self, front.url, path("dash-mem-short.mp4"), true));
    if (longSeconds > 0) {
        const TeslaVideoFile longClip =
            writeClip(path("dash-long-front.mp4"), CameraAngle::front, longSeconds);
        printf("dashboard_peak_rss_%ds_kb: %ld\n", int(longSeconds),
               peakOfChild(self, longClip.url, path("dash-mem-long.mp4"), true));
    }
}

} // namespace

// The manifest's cost: the same export with and without hashing its sources and output (the
// fastest of a few runs each, alternated so the page cache treats both alike).
void manifestCost(const std::function<QString(const char*)>& path, const TeslaVideoFile& front,
                  double seconds) {
    std::vector<TeslaVideoFile> grid{front};
    for (CameraAngle camera : {CameraAngle::back, CameraAngle::leftRepeater, CameraAngle::rightRepeater})
        grid.push_back(writeClip(path(qPrintable("m" + Camera::fileNameSuffix(camera))), camera, seconds));
    constexpr int rounds = 3;
    int serial = 0;
    const auto timed = [&](bool grid4, bool manifest) {
        ExportCallbacks callbacks;
        callbacks.writeManifest = manifest;
        const QString out = path(qPrintable(QStringLiteral("manifest-%1.mp4").arg(++serial)));
        QElapsedTimer timer;
        timer.start();
        if (grid4)
            GPUVideoExporter::exportGrid({{grid, 0, seconds}}, out, settingsFor(ExportQuality::balanced),
                                         callbacks);
        else
            GPUVideoExporter::exportSync(front, front.url, out, settingsFor(ExportQuality::balanced), 0, 0,
                                         callbacks);
        return timer.elapsed() / 1000.0;
    };
    for (const bool grid4 : {false, true}) {
        double without = 1e9, with = 1e9;
        for (int i = 0; i < rounds; ++i) {
            without = std::min(without, timed(grid4, false));
            with = std::min(with, timed(grid4, true));
        }
        const char* name = grid4 ? "grid" : "single";
        printf("manifest_%s_without_s: %.2f\nmanifest_%s_with_s: %.2f\nmanifest_%s_overhead_pct: %.1f\n",
               name, without, name, with, name, 100 * (with - without) / without);
    }
    QElapsedTimer timer;
    timer.start();
    FileDigest::sha256OfFile(front.url);
    printf("source_sha256_mb_per_s: %.0f\n", QFileInfo(front.url).size() / 1e6 / (timer.elapsed() / 1000.0));
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    setvbuf(stdout, nullptr, _IOLBF, 0); // figures appear as they are measured
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--child-grid"))
        return childGrid(args[2], args[3].toInt());
    if (args.size() == 4 && args[1].startsWith(QLatin1String("--child")))
        return child(args[2], args[3], args[1] == QLatin1String("--child-dashboard"));
    double seconds = 60, longSeconds = 300;
    bool grid = true, onlySix = false, onlyDashboard = false, onlyManifest = false, onlyTimelapse = false,
         onlyLongGrid = false;
    int minutes = 0;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--seconds") && i + 1 < args.size())
            seconds = args[++i].toDouble();
        else if (args[i] == QLatin1String("--long-seconds") && i + 1 < args.size())
            longSeconds = args[++i].toDouble();
        else if (args[i] == QLatin1String("--skip-grid"))
            grid = false;
        else if (args[i] == QLatin1String("--only-six"))
            onlySix = true;
        else if (args[i] == QLatin1String("--only-dashboard"))
            onlyDashboard = true;
        else if (args[i] == QLatin1String("--only-manifest"))
            onlyManifest = true;
        else if (args[i] == QLatin1String("--only-timelapse"))
            onlyTimelapse = true;
        else if (args[i] == QLatin1String("--only-long-grid"))
            onlyLongGrid = true;
        else if (args[i] == QLatin1String("--minutes") && i + 1 < args.size())
            minutes = args[++i].toInt();
    }
    QTemporaryDir dir;
    const auto path = [&](const char* name) { return QDir(dir.path()).filePath(QString::fromUtf8(name)); };
    if (onlySix) {
        sixCameraGrid(path, seconds);
        return 0;
    }
    if (onlyTimelapse) {
        timelapseGrid(dir.path(), minutes > 0 ? minutes : 10);
        return 0;
    }
    if (onlyLongGrid) {
        longGrid(app.applicationFilePath(), dir.path(), minutes > 0 ? minutes : 60);
        return 0;
    }
    const TeslaVideoFile front = writeClip(path("m-front.mp4"), CameraAngle::front, seconds);
    if (onlyManifest) {
        manifestCost(path, front, seconds);
        return 0;
    }
    if (onlyDashboard) {
        dashboardCost(path, front, grid, app.applicationFilePath(), seconds, longSeconds);
        return 0;
    }

    // balanced: 1280 × 828 H.264 High superfast, 8000 kbit/s, no B-frames, 1-s GOP.
    const double oursBalanced = timeOurs(front, path("ours-balanced.mp4"), ExportQuality::balanced);
    const double ffBalanced =
        timeFFmpeg(QStringList{"-i", front.url, "-vf", "scale=1280:828," + boxFilter(1280, 828)} +
                   balancedPeerEncoder("8000k") + QStringList{"-coder", "1", path("ff-balanced.mp4")});
    printf("single_balanced_ours_s: %.2f\nsingle_balanced_ffmpeg_s: %.2f\nsingle_balanced_ratio: %.2f\n",
           oursBalanced, ffBalanced, oursBalanced / ffBalanced);
    printf("single_balanced_realtime_factor: %.2f\n", seconds / oursBalanced);

    // original: source size, HEVC Main ultrafast at the table's rate for the source.
    const double oursOriginal = timeOurs(front, path("ours-original.mp4"), ExportQuality::original);
    const QString rate = peerBitRate(ExportQuality::original, {1448, 938});
    const double ffOriginal = timeFFmpeg(QStringList{"-i", front.url, "-vf", boxFilter(1448, 938)} +
                                         originalPeerEncoder(rate) + QStringList{path("ff-original.mp4")});
    printf("single_original_ours_s: %.2f\nsingle_original_ffmpeg_s: %.2f\nsingle_original_ratio: %.2f\n",
           oursOriginal, ffOriginal, oursOriginal / ffOriginal);

    if (grid) {
        fourCameraGrid(path, front, seconds);
        sixCameraGrid(path, seconds);
    }

    // Peak memory must not grow with the length of the export.
    const QString self = app.applicationFilePath();
    printf("peak_rss_%ds_kb: %ld\n", int(seconds), peakOfChild(self, front.url, path("mem-short.mp4")));
    if (longSeconds > 0) {
        const TeslaVideoFile longClip = writeClip(path("long-front.mp4"), CameraAngle::front, longSeconds);
        printf("peak_rss_%ds_kb: %ld\n", int(longSeconds),
               peakOfChild(self, longClip.url, path("mem-long.mp4")));
    }
    return 0;
}
