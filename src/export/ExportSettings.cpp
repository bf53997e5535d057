#include "ExportSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>

namespace orvane {

namespace Quality {

QString rawValue(ExportQuality quality) {
    return quality == ExportQuality::original ? QStringLiteral("original") : QStringLiteral("balanced");
}

std::optional<ExportQuality> fromRawValue(const QString& raw) {
    for (ExportQuality q : allCases)
        if (rawValue(q) == raw)
            return q;
    return std::nullopt;
}

QString title(ExportQuality quality) {
    return quality == ExportQuality::original ? QCoreApplication::translate("ExportSettings", "原画")
                                              : QCoreApplication::translate("ExportSettings", "高清");
}

QString description(ExportQuality quality) {
    return quality == ExportQuality::original
               ? QCoreApplication::translate("ExportSettings", "原分辨率 + HEVC 超高码率，适合看清车牌")
               : QCoreApplication::translate("ExportSettings", "1280 宽 H.264，导出更快");
}

PixelSize outputSize(ExportQuality quality, int sourceWidth, int sourceHeight) {
    if (quality == ExportQuality::original || sourceWidth <= 1280)
        return {sourceWidth, sourceHeight};
    // std::round rounds half away from zero.
    int height = int(std::round(double(sourceHeight) * 1280.0 / double(sourceWidth)));
    height = std::max(height, 2);
    height -= height % 2;
    return {1280, height};
}

Bitrates encodingBitrates(ExportQuality quality, int width, int height, std::optional<int> sourceBitrateKbps) {
    const int64_t pixels = int64_t(width) * int64_t(height);
    const int tier = pixels >= 5'000'000 ? 0 : pixels >= 2'000'000 ? 1 : pixels >= 1'000'000 ? 2 : 3;
    static constexpr int originalTable[] = {30000, 24000, 20000, 16000};
    static constexpr int balancedTable[] = {10000, 10000, 8000, 6000};
    int average;
    double factor;
    if (quality == ExportQuality::original) {
        average = originalTable[tier];
        if (sourceBitrateKbps && *sourceBitrateKbps >= 1)
            average = std::max(average, int(double(*sourceBitrateKbps) * 2.5));
        factor = 2.0;
    } else {
        average = balancedTable[tier];
        factor = 1.8;
    }
    const int max = int(std::min(double(average) * factor, 50000.0));
    return {average, max};
}

} // namespace Quality

OutputDestination OutputDestination::defaultDestination() {
    const QStringList downloads = QStandardPaths::standardLocations(QStandardPaths::DownloadLocation);
    if (downloads.isEmpty())
        return photosLibrary();
    return inFolder(downloads.first());
}

namespace OutputLocation {

QString rawValue(OutputLocationOption option) {
    return option == OutputLocationOption::photosLibrary ? QStringLiteral("photosLibrary") : QStringLiteral("custom");
}

std::optional<OutputLocationOption> fromRawValue(const QString& raw) {
    for (auto option : {OutputLocationOption::photosLibrary, OutputLocationOption::custom})
        if (rawValue(option) == raw)
            return option;
    return std::nullopt;
}

QString title(OutputLocationOption option) {
    return option == OutputLocationOption::photosLibrary
               ? QCoreApplication::translate("ExportSettings", "系统相册")
               : QCoreApplication::translate("ExportSettings", "其他目录");
}

} // namespace OutputLocation

namespace {

// Linux has no localized display names: a folder shows as its own name.
QString displayName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

} // namespace

QString localizedFolderPath(const QString& path) { return localizedFolderPath(path, QDir::homePath()); }

QString localizedFolderPath(const QString& path, const QString& homePath) {
    const QString url = QDir::cleanPath(path);
    const QString home = QDir::cleanPath(homePath);
    if (url == home)
        return displayName(home);
    QStringList names;
    if (home != QLatin1String("/") && url.startsWith(home + QLatin1Char('/'))) {
        QString running = home;
        for (const QString& piece : url.mid(home.size() + 1).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            running += QLatin1Char('/') + piece;
            names << displayName(running);
        }
        return QStringLiteral("~/") + names.join(QLatin1Char('/'));
    }
    QString running;
    for (const QString& piece : url.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        running += QLatin1Char('/') + piece;
        names << displayName(running);
    }
    return names.join(QLatin1Char('/'));
}

} // namespace orvane
