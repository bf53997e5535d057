#pragma once
// Texts the views compose from values: elapsed times, percentages and the update alerts'
// messages, so no view builds a text itself. A QML singleton; interface thread (the static
// functions: any thread).

#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

namespace orvane {

class UiText : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    // The maker's web site, opened by the About sheet's feedback link.
    Q_PROPERTY(QUrl feedbackUrl READ feedbackUrl CONSTANT)

public:
    explicit UiText(QObject* parent = nullptr);

    QUrl feedbackUrl() const;

    // PlaybackTimeFormat::format.
    Q_INVOKABLE static QString elapsed(double seconds);
    // A fraction 0 … 1 as a whole percentage, "37%" (truncated, kept within 0 … 100).
    Q_INVOKABLE static QString percent(double fraction);
    // "新版本 <new> 可用（当前 <current>）。" + two line breaks + the release notes; for the package
    // manager's copy, then where to update it.
    Q_INVOKABLE static QString updateOffer(const QString& newVersion, const QString& currentVersion,
                                           const QString& releaseNotes, bool byPackageManager = false);
    // "当前版本 <current> 已是最新。"
    Q_INVOKABLE static QString upToDate(const QString& currentVersion);
    // How the preview decodes video: "视频解码：VA-API 硬件解码" or "视频解码：软件解码".
    Q_INVOKABLE static QString videoDecoding();
    // What exports encode with: "视频编码：h264_vaapi" (each codec's encoder once an export chose
    // it), or "视频编码：尚未导出".
    Q_INVOKABLE static QString videoEncoding();
};

} // namespace orvane
