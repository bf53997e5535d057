#pragma once
// Pictures shown far smaller than they were recorded, reduced before they are queued: less to
// hold, copy and upload per frame. For playing only; a paused picture is always shown in full.
// Any thread; each call works on its own frames.

#include "FfmpegHandles.h"

namespace orvane::media {

// `frame` halved by averaging 2 × 2 blocks, as often as its width stays at least `shownWidth`;
// null when it is already that small, or not a planar 4:2:0 picture. Sizes stay even.
ff::Frame reducedForWidth(const AVFrame& frame, int shownWidth);

} // namespace orvane::media
