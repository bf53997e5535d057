#pragma once
// Which encoder exports use: VA-API on a render node or NVENC where they open, else libx264 or
// libx265. The first export decides; a path that fails is not tried again. Any thread.

#include "MediaError.h"
#include "VideoEncoder.h"

#include <QString>
#include <optional>
#include <string>
#include <vector>

namespace orvane::media::HardwareEncoding {

enum class Path { vaapi, nvenc, software };

// FFmpeg's name of the encoder of a path for a codec: "hevc_vaapi", "h264_nvenc", "libx265", …
std::string encoderName(Path path, VideoCodec codec);

// The paths an export tries now, in order: the one chosen by an earlier export when there is
// one; else VA-API (when a render node exists), NVENC (when FFmpeg has it), never one that
// failed before; software always last.
std::vector<Path> candidates(VideoCodec codec);

// An encoder opened and used: later exports start with it.
void noteChosen(Path path, VideoCodec codec);
// A hardware encoder failed to open or to encode: later exports skip it. The reason is logged.
void noteFailed(Path path, VideoCodec codec, const std::string& reason);

// The encoder exports of `codec` use, once one was chosen ("h264_vaapi", "libx264"); empty before.
QString chosenEncoder(VideoCodec codec);

// Stands in for graphics hardware this machine may lack (tests): each path given is offered and
// opens the software encoder under its own name; `failOpen` makes opening fail, `failAtFrame`
// encoding at that frame (-1: never). Forgets what earlier exports chose. Empty: the machine again.
struct StandIn {
    Path path = Path::vaapi;
    bool failOpen = false;
    int64_t failAtFrame = -1;
};
void standInForTesting(std::vector<StandIn> standIns);
// The stand-in of a path, when tests set one.
std::optional<StandIn> standInFor(Path path);

} // namespace orvane::media::HardwareEncoding

namespace orvane::media {

// A hardware encoder failed part-way: what it wrote is lost, so the caller encodes again (the
// path is already skipped by then).
class HardwareEncoderFailed : public MediaError {
public:
    using MediaError::MediaError;
};

} // namespace orvane::media
