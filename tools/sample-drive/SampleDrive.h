#pragma once

#include "CameraAngle.h"
#include "ClipCategory.h"
#include "Instant.h"
#include "MediaProbe.h"
#include "TelemetryModel.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <vector>

namespace orvane::sample {

enum class CarLayout {
    fourCamera, // older cars: front, back and the repeaters at 1280 × 960
    sixCamera,  // newer cars: front 2896 × 1876, the others 1448 × 938, plus the pillars
};

// zeroBytes and powerCutStub are what a power cut leaves (0 and 595 bytes); encrypted is the
// car's encrypted container (firmware 2026.20) holding the clip, its key known to the loopback
// key service (SampleKeyService).
// truncated: cut before its index, so it does not open; cutShort: the index first and the media
// data cut, so it opens and its pictures end before the index says.
enum class Damage { none, zeroBytes, truncated, noTelemetry, powerCutStub, encrypted, cutShort };

struct CameraSize {
    CameraAngle camera;
    int width;
    int height;
};

// The cameras of a layout at a size scale (sizes rounded down to even numbers, at least 16).
std::vector<CameraSize> cameraSizes(CarLayout layout, double scale);

// The index drawn into the frame pattern for a camera (its position among the six cameras).
int cameraIndex(CameraAngle camera);

struct ClipSpec {
    QString path;
    CameraAngle camera = CameraAngle::front;
    int width = 160;
    int height = 120;
    double framesPerSecond = media::cameraFrameRate; // nominal: 30.01, 33 and 24.08 occur too
    double seconds = 1;
    Instant startTime = 0; // wall-clock time of the first frame
    uint64_t seed = 1;
    int64_t firstFrameSerial = 0; // position of the first frame in the drive
    Damage damage = Damage::none;
    int64_t bitRate = 0;      // 0: 5 Mbit/s scaled by picture area against 1448 × 938
    bool contentFree = false; // an empty file in place of video (listing benchmarks)
    PedalScale pedalScale = PedalScale::percent;
    bool unevenTiming = false; // frames come at a varying pace around the nominal rate
};

// Seconds from the first frame to frame `index` of the clip: index / rate, or with uneven timing
// a repeating pattern of longer and shorter frames of the same average.
double frameTime(const ClipSpec& spec, int64_t index);
// How many frames the clip holds.
int frameCount(const ClipSpec& spec);

// Writes one camera file: real H.264 in MP4, a telemetry SEI before every frame, and the
// frame pattern, camera name and wall-clock time in every picture. Throws on failure.
void writeClip(const ClipSpec& spec);

struct EventSpec {
    ClipCategory category = ClipCategory::saved; // saved or sentry
    Instant startTime = 0;                       // first minute's start
    int minutes = 1;
    QString city = QStringLiteral("Shanghai");
    QString street = QStringLiteral("Century Avenue");
    double latitude = 31.2304;
    double longitude = 121.4737;
    QString reason = QStringLiteral("user_interaction_honk");
    QString triggerCamera = QStringLiteral("0"); // event.json's digit of the camera that saw it
    // How far into its last minute the car saved the event (event.json's timestamp, and the
    // folder's name).
    double savedAfterSeconds = 42;
    bool writeEventJson = true;
    bool encrypted = false; // the car's encrypted container in place of every camera file
};

struct DriveSpec {
    QString root; // the TeslaCam folder to create
    CarLayout layout = CarLayout::fourCamera;
    double scale = 1.0;
    double minuteSeconds = 60; // length of each "minute" file; names stay 60 s apart
    int framesPerSecond = media::cameraFrameRate;
    uint64_t seed = 1;
    Instant recentStart = 0;
    int recentMinutes = 0;
    std::vector<EventSpec> events;
    bool contentFree = false;
    PedalScale pedalScale = PedalScale::percent;
    std::map<QString, Damage> damagedFiles; // by file name
};

// Replaces the drive's events by `count` events of `minutes` minutes each, an hour apart going
// back from the first one, saved and sentry in turn (a large drive for listing benchmarks).
void useHourlyEvents(DriveSpec& spec, int count, int minutes);

// Writes a whole drive; returns the files written, in writing order.
QStringList writeDrive(const DriveSpec& spec);

// A small but complete drive starting at a fixed local date: rolling recent minutes, two saved
// events and one sentry event.
DriveSpec exampleDrive(const QString& root, CarLayout layout, double scale, double minuteSeconds);

// The saved and sentry example events plus one encrypted saved event (a car on 2026.20).
void addEncryptedEvent(DriveSpec& spec);

// Adds a saved event of three minutes whose middle minute's front camera file has `damage` (the
// car lost power as it wrote it); returns that file's name.
QString addDamagedEvent(DriveSpec& spec, Damage damage);

// "2024-05-01_10-20-30" in local time: the car's name for a minute or a clip folder.
QString carTimeName(Instant instant);

} // namespace orvane::sample
