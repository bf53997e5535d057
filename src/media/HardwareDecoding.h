#pragma once
// Hardware video decoding through VA-API for the preview, falling back to software silently;
// records which path the preview's decoders took. Any thread.

#include <QString>

namespace orvane::media::HardwareDecoding {

// The render node VA-API decodes on when a machine has one.
inline constexpr const char* defaultDevice = "/dev/dri/renderD128";

enum class Path { none, software, vaapi };

// The path the preview's most recently opened file is decoded on (none before the first).
Path lastPreviewPath();
void notePreviewPath(Path path);
// "VA-API 硬件解码" / "软件解码" / "尚未播放视频", for the About sheet and the benchmarks.
QString describe(Path path);

} // namespace orvane::media::HardwareDecoding
