#include "AppLinks.h"

namespace orvane::AppLinks {

QUrl feedback() {
    return QUrl(QStringLiteral(ORVANE_FEEDBACK_URL));
}

QList<QUrl> updateManifestCandidates() {
    QList<QUrl> candidates;
    for (const char* address : {ORVANE_UPDATE_MANIFEST_PRIMARY, ORVANE_UPDATE_MANIFEST_FALLBACK}) {
        const QUrl url(QString::fromUtf8(address), QUrl::StrictMode);
        if (url.isValid() && !url.scheme().isEmpty() && !url.host().isEmpty())
            candidates.append(url);
    }
    return candidates;
}

} // namespace orvane::AppLinks
