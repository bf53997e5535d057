// `probe FILE`: what the container header says about a video file.

#include "Command.h"
#include "JsonWriter.h"
#include "KeyAccess.h"
#include "MediaError.h"
#include "MediaErrorText.h"
#include "MediaProbe.h"

#include <QTextStream>

namespace orvane::cli {

namespace {

int probe(const QStringList& given) {
    QStringList args = given;
    KeyAccess keyAccess;
    if (!keyAccess.takeFrom(args) || args.size() != 1 || args.first().startsWith(QLatin1String("--")))
        return usage(QStringLiteral("probe"), QCoreApplication::translate("Cli", "需要恰好一个 FILE"));
    if (!keyAccess.unlock(args))
        return failure;
    media::MediaInfo info;
    try {
        info = media::MediaProbe::probe(args.first());
    } catch (const media::MediaError& e) {
        printError(args.first() + QStringLiteral(": ") + media::userText(e));
        return failure;
    }
    QTextStream out(stdout);
    JsonWriter json(out);
    json.beginObject();
    json.field(QStringLiteral("duration"), info.duration);
    json.field(QStringLiteral("width"), info.width);
    json.field(QStringLiteral("height"), info.height);
    json.field(QStringLiteral("rotation"), info.rotation);
    json.field(QStringLiteral("frameRate"), info.frameRate);
    json.field(QStringLiteral("bitRate"), static_cast<long long>(info.bitRate));
    json.field(QStringLiteral("hasAudio"), info.hasAudio);
    json.endObject();
    json.finish();
    return success;
}

const CommandRegistration registration(QStringLiteral("probe"),
                                       QStringLiteral("probe FILE ") + tokenFileUsage,
                                       QT_TRANSLATE_NOOP("Cli", "视频文件的时长、尺寸、旋转、帧率和码率"),
                                       probe);

} // namespace
} // namespace orvane::cli
