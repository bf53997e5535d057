#pragma once
// The application's fixed web addresses: the maker's site and the update manifest mirrors.
// Plain values; any thread.

#include <QList>
#include <QUrl>

namespace orvane::AppLinks {

// The maker's web site, opened by the About sheet's feedback link.
QUrl feedback();
// Manifest addresses in the order they are tried; addresses that are not valid URLs are left out.
QList<QUrl> updateManifestCandidates();

} // namespace orvane::AppLinks
