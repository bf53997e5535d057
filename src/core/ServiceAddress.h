#pragma once
// Which addresses a request carrying something of the user's (an update, the owner's token) may go to.
// A pure function; any thread.

#include <QUrl>

namespace orvane::ServiceAddress {

// HTTPS anywhere, plain HTTP only to this machine (a local proxy, the tests' loopback servers).
bool isAllowed(const QUrl& url);

} // namespace orvane::ServiceAddress
