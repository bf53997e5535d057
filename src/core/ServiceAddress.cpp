#include "ServiceAddress.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <cstdint>

namespace orvane::ServiceAddress {

namespace {

constexpr uint8_t loopbackNetwork = 127;

// 127.0.0.0/8, ::1 and 127.0.0.0/8 mapped into IPv6 (Qt Core has no address parser).
bool isLoopback(const QString& host) {
    const QByteArray text = host.toLatin1();
    std::array<uint8_t, 16> address{};
    if (inet_pton(AF_INET, text.constData(), address.data()) == 1)
        return address[0] == loopbackNetwork;
    if (inet_pton(AF_INET6, text.constData(), address.data()) != 1)
        return false;
    const bool zeroPrefix =
        std::all_of(address.begin(), address.begin() + 10, [](uint8_t b) { return b == 0; });
    const bool v6Loopback =
        zeroPrefix &&
        std::all_of(address.begin() + 10, address.end() - 1, [](uint8_t b) { return b == 0; }) &&
        address[15] == 1;
    const bool mapped =
        zeroPrefix && address[10] == 0xFF && address[11] == 0xFF && address[12] == loopbackNetwork;
    return v6Loopback || mapped;
}

} // namespace

bool isAllowed(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == u"https")
        return true;
    if (scheme != u"http")
        return false;
    const QString host = url.host().toLower();
    return host == u"localhost" || isLoopback(host);
}

} // namespace orvane::ServiceAddress
