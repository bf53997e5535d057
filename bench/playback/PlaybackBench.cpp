// Playback benchmark: players presenting real-size sample clips into video sinks (no window).
// usage: orvane-bench-playback [--seconds N] [--folder DIR] [--only TEXT]   (clips are written once, then
// reused; --only runs the cases whose name contains TEXT: thumbnail, seek, single 2896x1876 4x,
// single 2896x1876 shown 1280 wide, grid, six-camera grid, encrypted, …)
// Prints one figure per line.

#include "BenchSupport.h"
#include "ContainerReader.h"
#include "EventThumbnailLoader.h"
#include "FrameGrabber.h"
#include "KeyRing.h"
#include "MediaPlayer.h"
#include "SampleContainer.h"
#include "SampleDrive.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QThread>
#include <QVideoFrame>
#include <QVideoSink>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <vector>

using namespace orvane;
using namespace orvane::media;
using bench::peakRssMegabytes;
using bench::percentile;
using bench::processorSeconds;
using bench::waitFor;

namespace {

constexpr double fps = 36;

std::optional<int> shownFrame(QVideoSink& sink) {
    const auto pattern = bench::shownPattern(sink);
    return pattern ? std::optional<int>(pattern->frameIndex) : std::nullopt;
}

struct Cell {
    std::unique_ptr<QVideoSink> sink = std::make_unique<QVideoSink>();
    std::unique_ptr<MediaPlayer> player;
    // Grid cells take the grid controller's thread settings; a picture shown `shownWidth` wide
    // plays reduced to it, as the window's one camera does.
    explicit Cell(bool inGrid = false, int shownWidth = 0) {
        MediaPlayer::Options options;
        if (inGrid) {
            options.decoderThreads = 1;
            options.largeFrameDecoderThreads = 2;
        }
        options.reduceToShownWidth = shownWidth > 0;
        player = std::make_unique<MediaPlayer>(options);
        player->setShownWidth(shownWidth);
    }
};

bool openCell(Cell& cell, const QString& path) {
    cell.player->setVideoSink(cell.sink.get());
    cell.player->replaceCurrentItem(path);
    return waitFor([&] { return cell.player->itemStatus() != AbstractMediaPlayer::ItemStatus::loading; }) &&
           cell.player->itemStatus() == AbstractMediaPlayer::ItemStatus::readyToPlay;
}

// Plays one file at `rate` for `wallSeconds`; prints drops and the clock drift.
void singlePlayback(const QString& path, float rate, double wallSeconds, const char* label, int shownWidth) {
    Cell cell(false, shownWidth);
    if (!openCell(cell, path)) {
        std::printf("%s: cannot open\n", label);
        return;
    }
    cell.player->playImmediately(rate);
    QElapsedTimer timer;
    timer.start();
    // The first second apart: a file that cannot be decoded at the rate starts behind.
    double worstDrift = 0, worstSettledDrift = 0, worstLead = 0;
    while (timer.elapsed() < wallSeconds * 1000 && cell.player->rate() > 0) {
        bench::runFor(50);
        if (cell.player->rate() > 0) {
            const double drift = cell.player->currentTime() - cell.player->presentedTime();
            worstDrift = std::max(worstDrift, drift);
            worstLead = std::max(worstLead, -drift);
            if (timer.elapsed() > 1000)
                worstSettledDrift = std::max(worstSettledDrift, drift);
        }
    }
    const auto presented = cell.player->presentedFrames(), dropped = cell.player->droppedFrames();
    std::printf("%s presented frames: %lld\n", label, (long long)presented);
    std::printf("%s dropped frames: %lld (%.2f %%)\n", label, (long long)dropped,
                presented + dropped > 0 ? 100.0 * dropped / double(presented + dropped) : 0.0);
    std::printf("%s worst lag of the shown frame behind the clock: %.2f frames\n", label, worstDrift * fps);
    std::printf("%s worst lag after the first second: %.2f frames\n", label, worstSettledDrift * fps);
    std::printf("%s worst lead of the shown frame ahead of the clock: %.2f frames\n", label, worstLead * fps);
}

// The cells of a grid (the files in grid order), started together after one exact seek and
// played at 1× for `seconds`; prints the frames dropped and how far apart the cells' shown frames
// lie, sampled every 100 ms.
void gridPlayback(const std::vector<QString>& files, double seconds, const char* label) {
    std::vector<Cell> cells;
    for (size_t i = 0; i < files.size(); ++i)
        cells.emplace_back(true);
    bool ok = true;
    for (size_t i = 0; i < cells.size(); ++i)
        ok = openCell(cells[i], files[i]) && ok;
    size_t landed = 0;
    for (auto& c : cells)
        c.player->seek(0, 0, 0, [&](bool) { ++landed; });
    waitFor([&] { return landed == cells.size(); });
    for (auto& c : cells)
        c.player->playImmediately(1);
    QElapsedTimer timer;
    timer.start();
    int worstSpread = 0, samples = 0, spreadSamples = 0;
    while (ok && timer.elapsed() < seconds * 1000 && cells[0].player->rate() > 0) {
        bench::runFor(100);
        std::vector<int> shown;
        for (auto& c : cells)
            if (auto f = shownFrame(*c.sink))
                shown.push_back(*f);
        if (shown.size() == cells.size()) {
            ++samples;
            const int spread =
                *std::max_element(shown.begin(), shown.end()) - *std::min_element(shown.begin(), shown.end());
            worstSpread = std::max(worstSpread, spread);
            if (spread > 1)
                ++spreadSamples;
        }
    }
    int64_t presented = 0, dropped = 0;
    for (auto& c : cells) {
        presented += c.player->presentedFrames();
        dropped += c.player->droppedFrames();
    }
    std::printf("%s dropped frames: %lld of %lld (%.2f %%)\n", label, (long long)dropped,
                (long long)(presented + dropped),
                presented + dropped > 0 ? 100.0 * dropped / double(presented + dropped) : 0.0);
    std::printf("%s worst spread of shown frame numbers: %d frames (%d samples)\n", label, worstSpread,
                samples);
    std::printf("%s samples with a spread over 1 frame: %d\n", label, spreadSamples);
    std::printf("%s peak RSS: %ld MB\n", label, peakRssMegabytes());
}

// The same footage in the car's container (written once), its keys in the key ring as after unlocking.
std::vector<QString> sealedCopies(const std::vector<QString>& paths) {
    std::vector<QString> sealed;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        sealed.push_back(info.dir().filePath(QStringLiteral("sealed") + info.fileName()));
        QFile out(sealed.back()), in(path);
        if (!QFileInfo::exists(sealed.back()) && in.open(QIODevice::ReadOnly) &&
            out.open(QIODevice::WriteOnly)) {
            const QByteArray plain = in.readAll();
            out.write(sample::makeContainer(
                plain, sample::SampleKeys::fieldsFor(uint64_t(plain.size()), info.fileName().toUtf8(), 0)));
        }
        const crypto::FileId id = crypto::ContainerReader::readHead(sealed.back()).header.fileId;
        crypto::KeyRing::instance().insert(id, sample::SampleKeys::keyFor(id));
    }
    return sealed;
}

// From opening a file until its first frame is in the sink (a fresh player each time), in ms.
std::vector<double> firstFrameTimes(const QString& path, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        Cell cell;
        QElapsedTimer timer;
        timer.start();
        cell.player->setVideoSink(cell.sink.get());
        cell.player->replaceCurrentItem(path);
        cell.player->seek(0, 0, 0, [](bool) {});
        if (!waitFor([&] { return shownFrame(*cell.sink).has_value(); }))
            return {};
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return times;
}

// An encrypted event against the same event unencrypted: the front's first frame, and the
// processor time of the four-camera grid played at 1× (both play in real time; the decryption is
// what the encrypted one adds).
void encryptedAgainstPlain(const std::vector<QString>& paths, double seconds) {
    const std::vector<QString> sealed = sealedCopies(paths);
    constexpr int runs = 15;
    const double plainFirst = percentile(firstFrameTimes(paths[0], runs), 0.5);
    const double sealedFirst = percentile(firstFrameTimes(sealed[0], runs), 0.5);
    std::printf("first frame 2896x1876, plain, median: %.1f ms\n", plainFirst);
    std::printf("first frame 2896x1876, encrypted, median: %.1f ms (%.2f of plain)\n", sealedFirst,
                sealedFirst / plainFirst);
    double before = processorSeconds();
    gridPlayback({paths.begin(), paths.begin() + 4}, seconds, "plain grid 1x");
    const double plainCpu = processorSeconds() - before;
    before = processorSeconds();
    gridPlayback({sealed.begin(), sealed.begin() + 4}, seconds, "encrypted grid 1x");
    const double sealedCpu = processorSeconds() - before;
    std::printf("grid 1x processor time, plain: %.1f s, encrypted: %.1f s (%.2f of plain)\n", plainCpu,
                sealedCpu, sealedCpu / plainCpu);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    double seconds = 60;
    QString folder = QDir::tempPath() + QStringLiteral("/orvane-bench-playback");
    QString only;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--seconds"))
            seconds = std::max(2.0, args[++i].toDouble());
        else if (args[i] == QLatin1String("--folder"))
            folder = args[++i];
        else if (args[i] == QLatin1String("--only"))
            only = args[++i];
    }
    QDir().mkpath(folder);

    // Real sizes of a newer car: front 2896 × 1876, the others 1448 × 938.
    std::vector<QString> paths;
    for (const auto& size : sample::cameraSizes(sample::CarLayout::sixCamera, 1.0)) {
        const QString path =
            folder + QStringLiteral("/%1s%2").arg(int(seconds)).arg(Camera::fileNameSuffix(size.camera));
        if (!QFileInfo::exists(path)) {
            std::fprintf(stderr, "writing %s (%dx%d)\n", qPrintable(path), size.width, size.height);
            sample::ClipSpec spec;
            spec.path = path;
            spec.camera = size.camera;
            spec.width = size.width;
            spec.height = size.height;
            spec.seconds = seconds;
            sample::writeClip(spec);
        }
        paths.push_back(path);
    }
    const QString& front = paths[0];
    const QString& back = paths[1];
    auto wanted = [&](const char* name) {
        return only.isEmpty() || QString::fromLatin1(name).contains(only);
    };

    // Thumbnails first, so the peak memory figure is theirs alone.
    if (wanted("thumbnail")) {
        std::vector<double> times;
        for (int i = 0; i < 20; ++i) {
            QElapsedTimer t;
            t.start();
            FrameRequest request;
            request.maxSize = EventThumbnailLoader::maximumImageSize;
            FrameGrabber::grab(back, request);
            times.push_back(t.nsecsElapsed() / 1e6);
        }
        std::printf("thumbnail of a 1448x938 file, median: %.1f ms\n", percentile(times, 0.5));
        std::printf("thumbnail peak RSS: %ld MB\n", peakRssMegabytes());
    }

    // Exact seeks to random times.
    if (wanted("exact seek")) {
        Cell cell;
        if (openCell(cell, back)) {
            std::mt19937 random(7);
            std::uniform_real_distribution<double> pick(0, seconds - 0.1);
            std::vector<double> latencies;
            int wrong = 0;
            for (int i = 0; i < 60; ++i) {
                const double target = pick(random);
                bool done = false;
                QElapsedTimer t;
                t.start();
                cell.player->seek(target, 0, 0, [&](bool) { done = true; });
                waitFor([&] { return done; });
                latencies.push_back(t.nsecsElapsed() / 1e6);
                if (shownFrame(*cell.sink) != int(target * fps))
                    ++wrong;
            }
            std::printf("exact seek 1448x938, median: %.1f ms\n", percentile(latencies, 0.5));
            std::printf("exact seek 1448x938, p95: %.1f ms\n", percentile(latencies, 0.95));
            std::printf("exact seeks landing on a wrong frame: %d of %zu\n", wrong, latencies.size());
        }
    }

    const struct {
        const QString& path;
        float rate;
        const char* label;
        int shownWidth = 0;
    } singles[] = {{front, 1, "single 2896x1876 1x"},
                   {front, 1, "single 2896x1876 shown 1280 wide 1x", 1280},
                   {back, 1, "single 1448x938 1x"},
                   {front, 2, "single 2896x1876 2x"},
                   {front, 4, "single 2896x1876 4x"},
                   {front, 4, "single 2896x1876 shown 1280 wide 4x", 1280},
                   {back, 4, "single 1448x938 4x"}};
    bool anySingle = false;
    for (const auto& single : singles)
        if (wanted(single.label)) {
            singlePlayback(single.path, single.rate, seconds / single.rate, single.label, single.shownWidth);
            anySingle = true;
        }
    if (anySingle)
        std::printf("single views peak RSS: %ld MB\n", peakRssMegabytes());

    // The four-camera grid, and a newer car's six cameras, each file in its cell's place.
    if (wanted("grid 1x"))
        gridPlayback({paths.begin(), paths.begin() + 4}, seconds, "grid 1x");
    if (wanted("six-camera grid 1x")) {
        std::vector<QString> six;
        for (CameraAngle camera : Camera::sixGridOrder)
            six.push_back(paths[size_t(sample::cameraIndex(camera))]);
        gridPlayback(six, seconds, "six-camera grid 1x");
    }
    if (wanted("encrypted"))
        encryptedAgainstPlain(paths, seconds);
    return 0;
}
