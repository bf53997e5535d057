// `frame FILE --time T`: one decoded frame written as an image.

#include "Command.h"
#include "FrameCapture.h"
#include "FrameGrabber.h"
#include "JsonWriter.h"
#include "KeyAccess.h"
#include "MediaError.h"
#include "MediaErrorText.h"
#include "UserFacingError.h"

#include <QTextStream>
#include <cmath>

namespace orvane::cli {

namespace {

std::optional<double> parseSeconds(const QString& text) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<QSize> parseSize(const QString& text) {
    const QStringList parts = text.toLower().split(QLatin1Char('x'));
    if (parts.size() != 2)
        return std::nullopt;
    bool okW = false, okH = false;
    const int w = parts[0].toInt(&okW), h = parts[1].toInt(&okH);
    if (!okW || !okH || w <= 0 || h <= 0)
        return std::nullopt;
    return QSize(w, h);
}

int frame(const QStringList& given) {
    const QString name = QStringLiteral("frame");
    QStringList args = given;
    KeyAccess keyAccess;
    if (!keyAccess.takeFrom(args))
        return missingValue(name, QStringLiteral("--token-file"));
    QString path, out;
    std::optional<double> time, tolerance = 0.0;
    std::optional<QSize> maxSize = QSize();
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool isOption = a == QLatin1String("--time") || a == QLatin1String("--tolerance") ||
                              a == QLatin1String("--max-size") || a == QLatin1String("--out");
        if (isOption && i + 1 >= args.size())
            return missingValue(name, a);
        if (a == QLatin1String("--time"))
            time = parseSeconds(args[++i]);
        else if (a == QLatin1String("--tolerance"))
            tolerance = parseSeconds(args[++i]);
        else if (a == QLatin1String("--max-size"))
            maxSize = parseSize(args[++i]);
        else if (a == QLatin1String("--out"))
            out = args[++i];
        else if (a.startsWith(QLatin1String("--")) || !path.isEmpty())
            return usage(name, QCoreApplication::translate("Cli", "多余的参数“%1”").arg(a));
        else
            path = a;
    }
    if (path.isEmpty() || out.isEmpty() || !time)
        return usage(name, QCoreApplication::translate("Cli", "需要 FILE、--time 和 --out"));
    if (!tolerance || *tolerance < 0)
        return usage(name, QCoreApplication::translate("Cli", "--tolerance 必须是不小于 0 的秒数"));
    if (!maxSize)
        return usage(name, QCoreApplication::translate("Cli", "--max-size 的格式应如 760x428"));
    if (!keyAccess.unlock({path}))
        return failure;

    media::FrameRequest request;
    request.time = *time;
    request.toleranceBefore = *tolerance;
    request.toleranceAfter = *tolerance;
    request.maxSize = *maxSize;
    media::GrabbedFrame grabbed;
    try {
        grabbed = media::FrameGrabber::grab(path, request);
        // Checked, written beside the target and moved over it only when complete; never
        // over the video itself or a special file.
        FrameCapture::saveImage(grabbed.image, out, {path});
    } catch (const media::MediaError& e) {
        printError(path + QStringLiteral(": ") + media::userText(e));
        return failure;
    } catch (const UserFacingError& e) {
        printError(e.description());
        return failure;
    }
    if (grabbed.concealed)
        QTextStream(stderr)
            << QCoreApplication::translate(
                   "Cli", "警告: 这一帧的数据有缺失或损坏，画面中有解码器补出的部分，可能显示的是更早的画面")
            << "\n";
    QTextStream stdOut(stdout);
    JsonWriter json(stdOut);
    json.beginObject();
    json.field(QStringLiteral("actualTime"), grabbed.actualTime);
    json.field(QStringLiteral("concealed"), grabbed.concealed);
    json.field(QStringLiteral("width"), grabbed.image.width());
    json.field(QStringLiteral("height"), grabbed.image.height());
    json.field(QStringLiteral("out"), out);
    json.endObject();
    json.finish();
    return success;
}

const CommandRegistration registration(
    QStringLiteral("frame"),
    QStringLiteral("frame FILE --time T [--tolerance S] [--max-size WxH] --out IMAGE.png ") + tokenFileUsage,
    QT_TRANSLATE_NOOP("Cli", "把 T 秒处显示的画面存为图片"), frame);

} // namespace
} // namespace orvane::cli
