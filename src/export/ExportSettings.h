#pragma once

#include "CameraAngle.h"
#include "DashboardReadout.h"

#include <QString>
#include <array>
#include <optional>

namespace orvane {

enum class ExportQuality { original, balanced };

struct PixelSize {
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize&) const = default;
};

struct Bitrates {
    int average = 0; // kbit/s
    int max = 0;     // kbit/s
    bool operator==(const Bitrates&) const = default;
};

namespace Quality {

inline constexpr std::array<ExportQuality, 2> allCases = {ExportQuality::original, ExportQuality::balanced};

QString rawValue(ExportQuality quality);
std::optional<ExportQuality> fromRawValue(const QString& raw);
QString title(ExportQuality quality);
QString description(ExportQuality quality);

PixelSize outputSize(ExportQuality quality, int sourceWidth, int sourceHeight);
// Average and maximum bit rate for an output size; sourceBitrateKbps only raises `original`.
Bitrates encodingBitrates(ExportQuality quality, int width, int height, std::optional<int> sourceBitrateKbps);

} // namespace Quality

// Where finished files go: a folder, or the photo library (the Pictures folder here).
struct OutputDestination {
    enum class Kind { folder, photosLibrary };
    Kind kind = Kind::photosLibrary;
    QString folder; // absolute path when kind is folder

    static OutputDestination inFolder(const QString& path) { return {Kind::folder, path}; }
    static OutputDestination photosLibrary() { return {Kind::photosLibrary, {}}; }
    // The user's Downloads folder, or the photo library when there is none.
    static OutputDestination defaultDestination();

    bool isFolder() const { return kind == Kind::folder; }
    bool operator==(const OutputDestination& other) const {
        return kind == other.kind && (kind != Kind::folder || folder == other.folder);
    }
};

enum class OutputLocationOption { photosLibrary, custom };

namespace OutputLocation {
QString rawValue(OutputLocationOption option);
std::optional<OutputLocationOption> fromRawValue(const QString& raw);
// "系统相册" or "其他目录".
QString title(OutputLocationOption option);
} // namespace OutputLocation

// The readable form of a folder for messages: "~/Downloads/clips" under the home folder,
// otherwise the path without its leading "/". homePath is the user's home (injectable for tests).
QString localizedFolderPath(const QString& path);
QString localizedFolderPath(const QString& path, const QString& homePath);

struct WatermarkSettings {
    bool showTime = true;
    CameraAngle cameraFilter = CameraAngle::front;
    ExportQuality exportQuality = ExportQuality::original;
    OutputDestination outputDestination = OutputDestination::defaultDestination();
    // The preview's dashboard drawn into every frame that has a driving record.
    bool showDashboard = false;
    // The route map with the car drawn into every frame of footage with positions.
    bool showMap = false;
    // The map's tile address template as the setting holds it (empty: the standard tiles; "none").
    QString mapTiles = {};
    DashboardReadout::SpeedUnit speedUnit = DashboardReadout::SpeedUnit::kmh;
    // A timelapse: one frame taken every `speed` frames, played at the usual rate, without sound
    // (one of exportSpeeds; 1 is real time).
    int speed = 1;
};

// The timelapse speeds offered.
inline constexpr std::array<int, 7> exportSpeeds = {1, 2, 4, 8, 16, 30, 60};

} // namespace orvane
