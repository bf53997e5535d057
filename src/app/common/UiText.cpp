#include "UiText.h"

#include "AppLinks.h"
#include "HardwareDecoding.h"
#include "HardwareEncoding.h"
#include "PlaybackTimeFormat.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace orvane {

UiText::UiText(QObject* parent) : QObject(parent) {}

QUrl UiText::feedbackUrl() const {
    return AppLinks::feedback();
}

QString UiText::elapsed(double seconds) {
    return PlaybackTimeFormat::format(seconds);
}

QString UiText::percent(double fraction) {
    const double value = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
    // A hair of slack so 0.29 × 100 = 28.999… still reads 29%.
    constexpr double slack = 1e-9;
    return QString::number(int(std::floor(value * 100 + slack))) + QLatin1Char('%');
}

QString UiText::updateOffer(const QString& newVersion, const QString& currentVersion,
                            const QString& releaseNotes, bool byPackageManager) {
    QString offer =
        QCoreApplication::translate("UiText", "新版本 %1 可用（当前 %2）。").arg(newVersion, currentVersion) +
        QStringLiteral("\n\n") + releaseNotes;
    if (byPackageManager)
        offer += QStringLiteral("\n\n") +
                 QCoreApplication::translate("UiText", "请用系统的软件包管理器更新 Orvane。");
    return offer;
}

QString UiText::upToDate(const QString& currentVersion) {
    return QCoreApplication::translate("UiText", "当前版本 %1 已是最新。").arg(currentVersion);
}

QString UiText::videoDecoding() {
    return QCoreApplication::translate("UiText", "视频解码：") +
           media::HardwareDecoding::describe(media::HardwareDecoding::lastPreviewPath());
}

QString UiText::videoEncoding() {
    QStringList encoders;
    for (const media::VideoCodec codec : {media::VideoCodec::H264, media::VideoCodec::HEVC})
        if (const QString name = media::HardwareEncoding::chosenEncoder(codec); !name.isEmpty())
            encoders << name;
    return QCoreApplication::translate("UiText", "视频编码：") +
           (encoders.isEmpty() ? QCoreApplication::translate("UiText", "尚未导出")
                               : encoders.join(QStringLiteral(", ")));
}

} // namespace orvane
