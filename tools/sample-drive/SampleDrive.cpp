#include "SampleDrive.h"

#include "BitmapFont.h"
#include "FramePattern.h"
#include "Mp4Muxer.h"
#include "SampleContainer.h"
#include "VideoEncoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace orvane::sample {

namespace {

constexpr int64_t referenceBitRate = 5'000'000;
constexpr double referenceArea = 1448.0 * 938.0;
// Timestamps of written clips count these ticks a second (exact for every common rate).
constexpr int clipTicksPerSecond = 90000;
// Uneven timing: frame lengths cycle through these multiples of the nominal length (mean 1).
constexpr std::array<double, 6> unevenPattern = {1.0, 0.6, 1.4, 1.0, 0.7, 1.3};
// A power cut's leftover: an ftyp box and the start of an mdat box, 595 bytes in all.
constexpr int powerCutStubBytes = 595;

struct Random {
    uint64_t state;
    explicit Random(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
    uint64_t next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
};

int evenAtLeast16(double v) {
    return std::max(16, int(v) & ~1);
}

// A textured scene wider than the picture; frames pan across it so the encoder sees motion.
media::YuvImage makeScene(int width, int height, int panMargin, uint64_t seed) {
    media::YuvImage scene(width + panMargin, height);
    Random random(seed);
    const int tile = std::max(4, height / 16);
    for (int y = 0; y < scene.height; ++y)
        for (int x = 0; x < scene.width; ++x) {
            const int base = 60 + int(((x / tile) * 37 + (y / tile) * 91 + seed) % 120);
            scene.y[size_t(y) * scene.width + x] = uint8_t(base + int(random.next() % 24));
        }
    const uint8_t u = uint8_t(96 + seed * 29 % 64), v = uint8_t(96 + seed * 53 % 64);
    std::fill(scene.u.begin(), scene.u.end(), u);
    std::fill(scene.v.begin(), scene.v.end(), v);
    return scene;
}

void writeEmpty(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error(("cannot write " + path + ": " + f.errorString()).toStdString());
}

// Keeps the first 60 % of the file: an index written last is lost, one written first outlasts
// the media data it describes.
void keepFirstPart(const QString& path) {
    QFile f(path);
    const qint64 size = f.size();
    if (!f.resize(std::max<qint64>(64, size * 6 / 10)))
        throw std::runtime_error(("cannot truncate " + path).toStdString());
}

std::string upperCameraName(CameraAngle camera) {
    return Camera::rawValue(camera).toUpper().toStdString();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error(("cannot write " + path + ": " + f.errorString()).toStdString());
}

void putBigEndian(QByteArray& bytes, int at, uint64_t value, int width) {
    for (int i = width - 1; i >= 0; --i, value >>= 8)
        bytes[at + i] = char(value & 0xFF);
}

// What the car writes when encryption is on: the clip itself, in the container, under a key the
// loopback key service knows.
void writeEncrypted(ClipSpec spec) {
    const QString target = spec.path;
    QTemporaryDir plainFolder;
    if (!plainFolder.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    spec.path = plainFolder.filePath(QStringLiteral("plain.mp4"));
    spec.damage = Damage::none;
    spec.contentFree = false; // a container is never empty
    writeClip(spec);
    QFile plainFile(spec.path);
    if (!plainFile.open(QIODevice::ReadOnly))
        throw std::runtime_error(("cannot read " + spec.path + ": " + plainFile.errorString()).toStdString());
    const QByteArray plain = plainFile.readAll();
    const QByteArray identity =
        QFileInfo(target).fileName().toUtf8() + QByteArray::number(qulonglong(spec.seed)) +
        QByteArray::number(cameraIndex(spec.camera)) + QByteArray::number(spec.startTime, 'f', 3);
    const auto fields =
        SampleKeys::fieldsFor(uint64_t(plain.size()), identity, uint64_t(std::llround(spec.startTime)));
    writeBytes(target, makeContainer(plain, fields));
}

void writePowerCutStub(const QString& path) {
    QByteArray bytes(powerCutStubBytes, '\0');
    const QByteArray ftyp("\0\0\0\x18"
                          "ftypmp42"
                          "\0\0\0\0"
                          "mp42isom",
                          24);
    bytes.replace(0, ftyp.size(), ftyp);
    putBigEndian(bytes, ftyp.size(), 0x100000, 4); // an mdat that was never filled
    bytes.replace(ftyp.size() + 4, 4, "mdat");
    writeBytes(path, bytes);
}

} // namespace

double frameTime(const ClipSpec& spec, int64_t index) {
    const double nominal = 1.0 / spec.framesPerSecond;
    if (!spec.unevenTiming)
        return double(index) * nominal;
    const auto cycles = index / int64_t(unevenPattern.size());
    double t = double(cycles) * double(unevenPattern.size()) * nominal;
    for (int64_t i = cycles * int64_t(unevenPattern.size()); i < index; ++i)
        t += unevenPattern[size_t(i) % unevenPattern.size()] * nominal;
    return t;
}

int frameCount(const ClipSpec& spec) {
    return std::max(1, int(std::lround(spec.seconds * spec.framesPerSecond)));
}

int cameraIndex(CameraAngle camera) {
    for (size_t i = 0; i < Camera::physicalCases.size(); ++i)
        if (Camera::physicalCases[i] == camera)
            return int(i);
    return 7;
}

std::vector<CameraSize> cameraSizes(CarLayout layout, double scale) {
    auto sized = [&](CameraAngle c, int w, int h) {
        return CameraSize{c, evenAtLeast16(w * scale), evenAtLeast16(h * scale)};
    };
    if (layout == CarLayout::fourCamera)
        return {sized(CameraAngle::front, 1280, 960), sized(CameraAngle::back, 1280, 960),
                sized(CameraAngle::leftRepeater, 1280, 960), sized(CameraAngle::rightRepeater, 1280, 960)};
    return {sized(CameraAngle::front, 2896, 1876),       sized(CameraAngle::back, 1448, 938),
            sized(CameraAngle::leftRepeater, 1448, 938), sized(CameraAngle::rightRepeater, 1448, 938),
            sized(CameraAngle::leftPillar, 1448, 938),   sized(CameraAngle::rightPillar, 1448, 938)};
}

QString carTimeName(Instant instant) {
    return LocalTime::format(instant, QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
}

// A key frame every second, the bit rate of the car's picture scaled by area unless given.
static media::VideoEncoderSettings encoderSettings(const ClipSpec& spec, int roundedRate) {
    media::VideoEncoderSettings settings;
    settings.width = spec.width;
    settings.height = spec.height;
    settings.framesPerSecond = roundedRate;
    settings.ticksPerSecond = clipTicksPerSecond;
    settings.keyFrameInterval = roundedRate;
    settings.bitRate = spec.bitRate > 0 ? spec.bitRate
                                        : std::max<int64_t>(100'000, int64_t(referenceBitRate * spec.width *
                                                                             spec.height / referenceArea));
    return settings;
}

void writeClip(const ClipSpec& spec) {
    // What the car leaves instead of footage is written even on a drive of names only.
    if (spec.damage == Damage::powerCutStub)
        return writePowerCutStub(spec.path);
    if (spec.damage == Damage::encrypted)
        return writeEncrypted(spec);
    if (spec.contentFree || spec.damage == Damage::zeroBytes) {
        writeEmpty(spec.path);
        return;
    }
    const int frameCount = sample::frameCount(spec);
    const int roundedRate = std::max(1, int(std::lround(spec.framesPerSecond)));
    media::VideoEncoder encoder(encoderSettings(spec, roundedRate));
    const std::string path = QFile::encodeName(spec.path).toStdString();
    media::Mp4Muxer muxer(path, encoder, spec.damage == Damage::cutShort);

    const int pan = 2; // pixels per frame
    const media::YuvImage scene =
        makeScene(spec.width, spec.height, pan * frameCount, spec.seed * 7 + cameraIndex(spec.camera));
    media::YuvImage frame(spec.width, spec.height);
    Random noise(spec.seed ^ uint64_t(cameraIndex(spec.camera)) << 32);
    const std::string cameraName = upperCameraName(spec.camera);
    // "LEFT_REPEATER yyyy-MM-dd HH:mm:ss" fits the width; at most 1/60 of the height per dot.
    const int textColumns = int(cameraName.size() + 21) * (BitmapFont::glyphWidth + 1) + 4;
    const int glyphPixel = std::max(1, std::min(spec.height / 60, spec.width / textColumns));
    std::vector<media::EncodedPacket> packets;
    int64_t frameOfPacket = 0;

    auto writeReady = [&](std::vector<media::EncodedPacket>& ready) {
        for (media::EncodedPacket& packet : ready) {
            // Telemetry goes first in each access unit; the encoder's own SEI (version text) is dropped.
            const int64_t serial = spec.firstFrameSerial + frameOfPacket++;
            std::vector<uint8_t> data;
            if (spec.damage != Damage::noTelemetry)
                media::appendAnnexB(data, telemetrySeiNal(onPedalScale(
                                              telemetryAt(spec.seed, serial, roundedRate), spec.pedalScale)));
            for (auto nal : media::splitAnnexB(packet.data))
                if (!nal.empty() && (nal[0] & 0x1F) != 6)
                    media::appendAnnexB(data, nal);
            packet.data = std::move(data);
            muxer.write(packet);
        }
        ready.clear();
    };

    for (int i = 0; i < frameCount; ++i) {
        const int offset = i * pan;
        for (int y = 0; y < spec.height; ++y) {
            const uint8_t* src = scene.y.data() + size_t(y) * scene.width + offset;
            uint8_t* dst = frame.y.data() + size_t(y) * spec.width;
            for (int x = 0; x < spec.width; ++x)
                dst[x] = uint8_t(src[x] + (noise.next() & 7));
        }
        for (int y = 0; y < frame.chromaHeight(); ++y) {
            std::copy_n(scene.u.data() + size_t(y) * scene.chromaWidth() + offset / 2, frame.chromaWidth(),
                        frame.u.data() + size_t(y) * frame.chromaWidth());
            std::copy_n(scene.v.data() + size_t(y) * scene.chromaWidth() + offset / 2, frame.chromaWidth(),
                        frame.v.data() + size_t(y) * frame.chromaWidth());
        }
        FramePattern{i, cameraIndex(spec.camera)}.draw(frame.y.data(), spec.width, spec.width, spec.height);
        const double t = frameTime(spec, i);
        const Instant wallClock = spec.startTime + t;
        const std::string text =
            cameraName + " " +
            LocalTime::format(wallClock, QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
        const int textY = spec.height - (BitmapFont::glyphHeight + 3) * glyphPixel;
        BitmapFont::draw(frame.y.data(), spec.width, spec.width, spec.height, 2 * glyphPixel, textY,
                         glyphPixel, text, 235);
        encoder.encode(frame, std::llround(t * clipTicksPerSecond), packets);
        writeReady(packets);
    }
    encoder.flush(packets);
    writeReady(packets);
    muxer.finish();
    if (spec.damage == Damage::truncated || spec.damage == Damage::cutShort)
        keepFirstPart(spec.path);
}

void useHourlyEvents(DriveSpec& spec, int count, int minutes) {
    const EventSpec model = spec.events.empty() ? EventSpec{} : spec.events.front();
    spec.events.clear();
    for (int i = 0; i < count; ++i) {
        EventSpec e = model;
        e.category = i % 2 ? ClipCategory::sentry : ClipCategory::saved;
        e.minutes = minutes;
        e.startTime = model.startTime - 3600.0 * (i + 1);
        spec.events.push_back(e);
    }
}

QStringList writeDrive(const DriveSpec& spec) {
    QStringList written;
    const auto sizes = cameraSizes(spec.layout, spec.scale);
    int64_t clipSerial = 0;
    auto writeMinute = [&](const QString& folder, Instant start, uint64_t seed, bool encrypted = false) {
        // Every camera of a minute shares the drive position so their telemetry agrees.
        const int64_t firstFrame = int64_t(std::llround(clipSerial * 60.0 * spec.framesPerSecond));
        for (const CameraSize& size : sizes) {
            ClipSpec clip;
            clip.path = folder + QLatin1Char('/') + carTimeName(start) + Camera::fileNameSuffix(size.camera);
            clip.camera = size.camera;
            clip.width = size.width;
            clip.height = size.height;
            clip.framesPerSecond = spec.framesPerSecond;
            clip.seconds = spec.minuteSeconds;
            clip.startTime = start;
            clip.seed = seed;
            clip.firstFrameSerial = firstFrame;
            clip.contentFree = spec.contentFree;
            clip.pedalScale = spec.pedalScale;
            if (encrypted)
                clip.damage = Damage::encrypted;
            else if (const auto damaged = spec.damagedFiles.find(QFileInfo(clip.path).fileName());
                     damaged != spec.damagedFiles.end())
                clip.damage = damaged->second;
            writeClip(clip);
            written << clip.path;
        }
        ++clipSerial;
    };
    auto makeFolder = [](const QString& path) {
        if (!QDir().mkpath(path))
            throw std::runtime_error(("cannot create " + path).toStdString());
    };

    if (spec.recentMinutes > 0) {
        const QString recent = spec.root + QStringLiteral("/RecentClips");
        makeFolder(recent);
        for (int m = 0; m < spec.recentMinutes; ++m)
            writeMinute(recent, spec.recentStart + 60.0 * m, spec.seed);
    }
    uint64_t eventSeed = spec.seed;
    for (const EventSpec& event : spec.events) {
        ++eventSeed;
        // The car names the folder by the moment the event was saved, inside its last minute.
        const Instant savedAt = event.startTime + 60.0 * (event.minutes - 1) + event.savedAfterSeconds;
        // The car keeps encrypted recordings under EncryptedClips/<category>.
        const QString categoryRoot =
            event.encrypted ? spec.root + QStringLiteral("/EncryptedClips") : spec.root;
        const QString folder = categoryRoot + QLatin1Char('/') + Category::folderName(event.category) +
                               QLatin1Char('/') + carTimeName(savedAt);
        makeFolder(folder);
        if (event.writeEventJson) {
            QJsonObject json;
            json[QStringLiteral("timestamp")] =
                LocalTime::format(savedAt, QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
            json[QStringLiteral("city")] = event.city;
            json[QStringLiteral("street")] = event.street;
            json[QStringLiteral("est_lat")] = QString::number(event.latitude, 'f', 4);
            json[QStringLiteral("est_lon")] = QString::number(event.longitude, 'f', 4);
            json[QStringLiteral("reason")] = event.reason;
            json[QStringLiteral("camera")] = event.triggerCamera;
            QFile file(folder + QStringLiteral("/event.json"));
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                file.write(QJsonDocument(json).toJson(QJsonDocument::Indented)) < 0)
                throw std::runtime_error(("cannot write " + file.fileName()).toStdString());
            written << file.fileName();
        }
        for (int m = 0; m < event.minutes; ++m)
            writeMinute(folder, event.startTime + 60.0 * m, eventSeed, event.encrypted);
    }
    return written;
}

namespace {

// A saved event of `minutes` minutes on the example drive's second day, from `hour`:`minute`:`second`.
EventSpec savedOnTheSecondDay(int hour, int minute, int second, int minutes, const QString& city) {
    EventSpec event;
    event.category = ClipCategory::saved;
    event.startTime = LocalTime::fromFields(2024, 5, 2, hour, minute, second).value_or(0);
    event.minutes = minutes;
    event.city = city;
    return event;
}

} // namespace

void addEncryptedEvent(DriveSpec& spec) {
    EventSpec encrypted = savedOnTheSecondDay(18, 2, 7, 2, QStringLiteral("杭州"));
    encrypted.reason = QStringLiteral("user_interaction_dashcam_icon_tapped");
    encrypted.encrypted = true;
    spec.events.push_back(encrypted);
}

QString addDamagedEvent(DriveSpec& spec, Damage damage) {
    const EventSpec event = savedOnTheSecondDay(9, 14, 21, 3, QStringLiteral("苏州"));
    spec.events.push_back(event);
    const QString damaged = carTimeName(event.startTime + 60) + Camera::fileNameSuffix(CameraAngle::front);
    spec.damagedFiles[damaged] = damage;
    return damaged;
}

DriveSpec exampleDrive(const QString& root, CarLayout layout, double scale, double minuteSeconds) {
    DriveSpec spec;
    spec.root = root;
    spec.layout = layout;
    spec.scale = scale;
    spec.minuteSeconds = minuteSeconds;
    const Instant day = LocalTime::fromFields(2024, 5, 1, 0, 0, 0).value_or(0);
    spec.recentStart = day + 8 * 3600 + 15 * 60 + 3;
    spec.recentMinutes = 3;
    EventSpec saved;
    saved.category = ClipCategory::saved;
    saved.startTime = day + 10 * 3600 + 19 * 60 + 30;
    saved.minutes = 2;
    EventSpec sentry;
    sentry.category = ClipCategory::sentry;
    sentry.startTime = day + 22 * 3600 + 5 * 60 + 12;
    sentry.minutes = 1;
    sentry.city = QStringLiteral("上海");
    sentry.reason = QStringLiteral("sentry_aware_object_detection");
    EventSpec savedNextDay = saved;
    savedNextDay.startTime = day + 86400 + 7 * 3600 + 45 * 60 + 11;
    savedNextDay.minutes = 1;
    savedNextDay.city = QStringLiteral("杭州");
    spec.events = {saved, sentry, savedNextDay};
    return spec;
}

} // namespace orvane::sample
