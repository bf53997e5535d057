#include "EncodedPacket.h"

namespace orvane::media {

std::vector<std::span<const uint8_t>> splitAnnexB(std::span<const uint8_t> data) {
    std::vector<std::span<const uint8_t>> units;
    const size_t n = data.size();
    // Position just past each start code (00 00 01, possibly preceded by more zeros).
    auto nextStart = [&](size_t from, size_t& codeBegin) -> size_t {
        for (size_t i = from; i + 2 < n; ++i) {
            if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1) {
                codeBegin = i;
                while (codeBegin > from && data[codeBegin - 1] == 0)
                    --codeBegin;
                return i + 3;
            }
        }
        codeBegin = n;
        return n;
    };
    size_t codeBegin = 0;
    size_t start = nextStart(0, codeBegin);
    while (start < n) {
        size_t nextCode = 0;
        size_t next = nextStart(start, nextCode);
        if (nextCode > start)
            units.push_back(data.subspan(start, nextCode - start));
        start = next;
    }
    return units;
}

void appendAnnexB(std::vector<uint8_t>& out, std::span<const uint8_t> nal) {
    static constexpr uint8_t startCode[] = {0, 0, 0, 1};
    out.insert(out.end(), std::begin(startCode), std::end(startCode));
    out.insert(out.end(), nal.begin(), nal.end());
}

std::vector<uint8_t> addEmulationPrevention(std::span<const uint8_t> rbsp) {
    std::vector<uint8_t> out;
    out.reserve(rbsp.size() + rbsp.size() / 64 + 4);
    int zeros = 0;
    for (uint8_t b : rbsp) {
        if (zeros >= 2 && b <= 3) {
            out.push_back(3);
            zeros = 0;
        }
        out.push_back(b);
        zeros = b == 0 ? zeros + 1 : 0;
    }
    return out;
}

} // namespace orvane::media
