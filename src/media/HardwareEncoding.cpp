#include "HardwareEncoding.h"

#include <QDir>
#include <QLoggingCategory>
#include <map>
#include <mutex>
#include <set>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace orvane::media::HardwareEncoding {

namespace {

Q_LOGGING_CATEGORY(encoding, "orvane.encoding")

struct State {
    std::mutex mutex;
    std::map<VideoCodec, Path> chosen;
    std::set<std::pair<Path, VideoCodec>> failed;
    std::optional<std::vector<StandIn>> standIns;
};

State& state() {
    static State s;
    return s;
}

bool hasRenderNode() {
    return !QDir(QStringLiteral("/dev/dri"))
                .entryList({QStringLiteral("renderD*")}, QDir::System | QDir::Files)
                .isEmpty();
}

// What the machine offers, before any export tried it.
std::vector<Path> offered(VideoCodec codec, const std::optional<std::vector<StandIn>>& standIns) {
    std::vector<Path> paths;
    if (standIns) {
        for (const StandIn& s : *standIns)
            paths.push_back(s.path);
        return paths;
    }
    if (hasRenderNode() && avcodec_find_encoder_by_name(encoderName(Path::vaapi, codec).c_str()))
        paths.push_back(Path::vaapi);
    if (avcodec_find_encoder_by_name(encoderName(Path::nvenc, codec).c_str()))
        paths.push_back(Path::nvenc);
    return paths;
}

} // namespace

std::string encoderName(Path path, VideoCodec codec) {
    const bool hevc = codec == VideoCodec::HEVC;
    switch (path) {
    case Path::vaapi:
        return hevc ? "hevc_vaapi" : "h264_vaapi";
    case Path::nvenc:
        return hevc ? "hevc_nvenc" : "h264_nvenc";
    case Path::software:
        break;
    }
    return hevc ? "libx265" : "libx264";
}

std::vector<Path> candidates(VideoCodec codec) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    std::vector<Path> paths;
    if (auto it = s.chosen.find(codec); it != s.chosen.end() && it->second != Path::software)
        paths.push_back(it->second);
    if (!s.chosen.count(codec))
        for (Path p : offered(codec, s.standIns))
            if (!s.failed.count({p, codec}))
                paths.push_back(p);
    paths.push_back(Path::software);
    return paths;
}

void noteChosen(Path path, VideoCodec codec) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.chosen[codec] = path;
}

void noteFailed(Path path, VideoCodec codec, const std::string& reason) {
    qCWarning(encoding, "%s failed, using the next encoder: %s", encoderName(path, codec).c_str(),
              reason.c_str());
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.failed.insert({path, codec});
    if (auto it = s.chosen.find(codec); it != s.chosen.end() && it->second == path)
        s.chosen.erase(it);
}

QString chosenEncoder(VideoCodec codec) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    const auto it = s.chosen.find(codec);
    return it == s.chosen.end() ? QString() : QString::fromStdString(encoderName(it->second, codec));
}

void standInForTesting(std::vector<StandIn> standIns) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.chosen.clear();
    s.failed.clear();
    if (standIns.empty())
        s.standIns.reset();
    else
        s.standIns = std::move(standIns);
}

std::optional<StandIn> standInFor(Path path) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (s.standIns)
        for (const StandIn& standIn : *s.standIns)
            if (standIn.path == path)
                return standIn;
    return std::nullopt;
}

} // namespace orvane::media::HardwareEncoding
