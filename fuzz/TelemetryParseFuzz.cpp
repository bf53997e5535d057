// Message bytes into the protobuf decoder, and unit bytes into the marker search around it.

#include "TeslaTelemetryReader.h"

#include <cstdlib>

using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    (void)TeslaTelemetryReader::parse(bytes);
    if (const auto payload = TeslaTelemetryReader::protobufPayload(bytes)) {
        if (payload->size() > size)
            std::abort();
        (void)TeslaTelemetryReader::parse(*payload);
    }
    return 0;
}
