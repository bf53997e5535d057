#include "ClipCategory.h"

#include <QCoreApplication>

namespace orvane::Category {

QString rawValue(ClipCategory category) {
    switch (category) {
    case ClipCategory::recent: return QStringLiteral("recent");
    case ClipCategory::sentry: return QStringLiteral("sentry");
    case ClipCategory::saved: return QStringLiteral("saved");
    case ClipCategory::imported: return QStringLiteral("imported");
    }
    return {};
}

std::optional<ClipCategory> fromRawValue(const QString& raw) {
    for (ClipCategory c : allCases)
        if (rawValue(c) == raw)
            return c;
    return std::nullopt;
}

QString displayName(ClipCategory category) {
    switch (category) {
    case ClipCategory::recent:
        return QCoreApplication::translate("ClipCategory", "最近");
    case ClipCategory::sentry:
        return QCoreApplication::translate("ClipCategory", "哨兵");
    case ClipCategory::saved:
        return QCoreApplication::translate("ClipCategory", "手动保存");
    case ClipCategory::imported:
        return QCoreApplication::translate("ClipCategory", "导入");
    }
    return {};
}

QString folderName(ClipCategory category) {
    switch (category) {
    case ClipCategory::recent: return QStringLiteral("RecentClips");
    case ClipCategory::sentry: return QStringLiteral("SentryClips");
    case ClipCategory::saved: return QStringLiteral("SavedClips");
    case ClipCategory::imported: return {};
    }
    return {};
}

std::optional<ClipCategory> from(const QString& path) {
    for (ClipCategory c : driveCases) {
        const QString component = QLatin1Char('/') + folderName(c);
        if (path.contains(component + QLatin1Char('/')) || path.endsWith(component))
            return c;
    }
    return std::nullopt;
}

} // namespace orvane::Category
