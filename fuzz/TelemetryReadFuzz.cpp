// File bytes through the whole reader. The reader skips video units by seeking and reads through
// a buffer; its result is checked against a plain walk over the same bytes held in memory.

#include "TeslaTelemetryReader.h"

#include <bit>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

using namespace orvane;

namespace {

int memoryFile() {
    static const int fd = memfd_create("telemetry-fuzz", 0);
    return fd;
}

std::vector<TeslaTelemetrySample> walkInMemory(std::span<const uint8_t> file, const MdatPayload& mdat) {
    std::vector<TeslaTelemetrySample> samples;
    uint64_t position = mdat.offset, consumed = 0;
    while (!mdat.length || consumed < *mdat.length) {
        if (position > file.size() || file.size() - position < 4)
            break;
        const uint32_t length = uint32_t(file[position]) << 24 | uint32_t(file[position + 1]) << 16 |
                                uint32_t(file[position + 2]) << 8 | file[position + 3];
        position += 4;
        if (length == 0 || length >= 0x1000000 || file.size() - position < length)
            break;
        const auto unit = file.subspan(position, length);
        position += length;
        consumed += 4 + uint64_t(length);
        if (length > 4 && (unit[0] & 0x1F) == 6 && unit[1] == 5)
            if (const auto payload = TeslaTelemetryReader::protobufPayload(unit))
                if (const auto sample = TeslaTelemetryReader::parse(*payload))
                    samples.push_back(*sample);
    }
    return samples;
}

// Bit-for-bit, so that NaN values compare equal to themselves.
bool same(const TeslaTelemetrySample& a, const TeslaTelemetrySample& b) {
    auto bits = [](const std::optional<double>& v) {
        return v ? std::optional(std::bit_cast<uint64_t>(*v)) : std::nullopt;
    };
    return a.frameSequenceNumber == b.frameSequenceNumber && a.gear == b.gear &&
           std::bit_cast<uint32_t>(a.speedMetersPerSecond) ==
               std::bit_cast<uint32_t>(b.speedMetersPerSecond) &&
           std::bit_cast<uint32_t>(a.accelerator) == std::bit_cast<uint32_t>(b.accelerator) &&
           std::bit_cast<uint32_t>(a.steeringAngle) == std::bit_cast<uint32_t>(b.steeringAngle) &&
           a.leftBlinker == b.leftBlinker && a.rightBlinker == b.rightBlinker &&
           a.brakeApplied == b.brakeApplied && a.version == b.version &&
           a.autopilotState == b.autopilotState && bits(a.latitude) == bits(b.latitude) &&
           bits(a.longitude) == bits(b.longitude) && bits(a.heading) == bits(b.heading) &&
           bits(a.linearAccelerationX) == bits(b.linearAccelerationX) &&
           bits(a.linearAccelerationY) == bits(b.linearAccelerationY) &&
           bits(a.linearAccelerationZ) == bits(b.linearAccelerationZ);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int fd = memoryFile();
    if (fd < 0 || ftruncate(fd, 0) != 0 || (size > 0 && pwrite(fd, data, size, 0) != ssize_t(size)))
        std::abort();
    const QString path = QStringLiteral("/proc/self/fd/%1").arg(fd);

    std::optional<MdatPayload> mdat;
    try {
        ReadOnlyFile file(path);
        mdat = TeslaTelemetryReader::findMdat(file);
    } catch (const TeslaTelemetryReaderError& e) {
        // Bytes laid out as the car's encrypted container: no key is known here (the container
        // fuzzer reads those).
        if (e.kind() == TeslaTelemetryReaderError::Kind::encrypted)
            return 0;
        if (e.kind() != TeslaTelemetryReaderError::Kind::corruptFile)
            std::abort();
    }
    try {
        const auto samples = TeslaTelemetryReader::read(path);
        if (!mdat)
            std::abort(); // read succeeded where the box walk failed
        const auto expected = walkInMemory({data, size}, *mdat);
        if (samples.size() != expected.size())
            std::abort();
        for (size_t i = 0; i < samples.size(); ++i)
            if (!same(samples[i], expected[i]))
                std::abort();
    } catch (const TeslaTelemetryReaderError& e) {
        if (mdat || e.kind() != TeslaTelemetryReaderError::Kind::corruptFile)
            std::abort();
    }
    return 0;
}
