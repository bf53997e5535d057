#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace orvane::media {

// One compressed access unit as H.264/HEVC Annex B bytes (start-code separated NAL units).
struct EncodedPacket {
    std::vector<uint8_t> data;
    int64_t pts = 0; // in the encoder's ticks
    int64_t dts = 0;
    bool keyFrame = false;
};

// The NAL units of an Annex B buffer, start codes removed.
std::vector<std::span<const uint8_t>> splitAnnexB(std::span<const uint8_t> data);

// Appends one NAL unit to an Annex B buffer with a 4-byte start code.
void appendAnnexB(std::vector<uint8_t>& out, std::span<const uint8_t> nal);

// Inserts emulation-prevention bytes (0x03 after two zeros when the next byte is 0..3).
std::vector<uint8_t> addEmulationPrevention(std::span<const uint8_t> rbsp);

} // namespace orvane::media
