#pragma once

// Media-internal: attaching a VA-API device to a decoder, and moving its pictures to memory.

#include "FfmpegHandles.h"

#include <QByteArray>

namespace orvane::media {

// Gives `codec` (not opened yet) a VA-API device at `device`; false, leaving `codec` as it
// was, when the device does not open or `decoder` cannot decode on it.
bool attachVaapiDevice(AVCodecContext* codec, const AVCodec* decoder, const QByteArray& device);

// Replaces a picture decoded on the device by a copy in memory (other pictures are left as
// they are); false when the copy fails.
bool downloadHardwareFrame(AVFrame* frame);

} // namespace orvane::media
