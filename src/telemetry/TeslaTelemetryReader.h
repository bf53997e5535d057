#pragma once

#include "ReadOnlyFile.h"
#include "TeslaTelemetryReaderError.h"
#include "TeslaTelemetrySample.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace orvane {

// Where the media data of an MP4 file lies.
struct MdatPayload {
    uint64_t offset = 0;            // absolute offset of the first payload byte
    std::optional<uint64_t> length; // none: the box runs to the end of the file (size 0)

    bool operator==(const MdatPayload&) const = default;
};

// Pulls the per-frame telemetry the car embeds in its H.264 stream (one protobuf message in
// an SEI unit before each frame) straight out of the MP4 file, without demuxing or decoding
// video. Synchronous and thread-safe; call it off the interface thread.
namespace TeslaTelemetryReader {

// Every telemetry sample of the file in file order. Throws TeslaTelemetryReaderError when the
// file cannot be read (nothing partial is returned) or has no reachable mdat box; damage
// inside the media data ends the walk quietly with the samples found so far.
std::vector<TeslaTelemetrySample> read(const QString& path);

// Walks the top-level boxes to the first mdat. Throws corruptFile for a truncated header, a
// box smaller than its header (mdat included) or no mdat before the end.
MdatPayload findMdat(ReadOnlyFile& file);

// The unescaped protobuf message of one whole SEI NAL unit (header byte included): the bytes
// after the run of 0x42 ending in 0x69, without the trailing byte. None without the marker.
std::optional<std::vector<uint8_t>> protobufPayload(std::span<const uint8_t> nalUnit);

// Drops H.264 emulation-prevention bytes (a 0x03 after two or more zeros).
std::vector<uint8_t> removeEmulationBytes(std::span<const uint8_t> bytes);

// A base-128 varint at `cursor`, which moves past the bytes consumed. None when the data ends
// first or after ten bytes without a last byte; the cursor then stays where reading stopped.
std::optional<uint64_t> readVarint(std::span<const uint8_t> data, size_t& cursor);

// Skips one field value of the given wire type; false for group and unknown wire types or a
// value that runs past the end.
bool skipField(uint64_t wireType, std::span<const uint8_t> data, size_t& cursor);

// Decodes one telemetry message; none when it is malformed. An empty message is a sample with
// every default.
std::optional<TeslaTelemetrySample> parse(std::span<const uint8_t> message);

} // namespace TeslaTelemetryReader

} // namespace orvane
