// `scan` and `videos`: the library as the event browser sees it.

#include "ClipSource.h"
#include "Command.h"
#include "EventDrive.h"
#include "JsonWriter.h"
#include "KeyAccess.h"
#include "MetadataParser.h"

#include <QTextStream>

namespace orvane::cli {

namespace {

// Seconds into the event's time line where the car braked hard (an empty list without a record);
// reading every minute's record costs a read of the footage, so scan does it only when asked.
void writeHardBrakes(JsonWriter& json, const TeslaClipEvent& event) {
    json.key(QStringLiteral("hardBrakes"));
    DriveProfile drive;
    try {
        drive = EventDrive::read(MetadataParser::loadVideos(event, CameraAngle::all));
    } catch (const UserFacingError&) {
        json.null(); // the folder cannot be listed any more: not known
        return;
    }
    json.beginArray();
    for (double seconds : drive.hardBrakes)
        json.value(seconds);
    json.endArray();
}

void writeEvent(JsonWriter& json, const TeslaClipEvent& event, bool hardBrakes) {
    json.beginObject();
    json.field(QStringLiteral("folderName"), event.folderName);
    json.field(QStringLiteral("folder"), event.folderURL);
    json.field(QStringLiteral("category"), Category::rawValue(event.category));
    json.field(QStringLiteral("startTime"), event.startTime);
    json.field(QStringLiteral("endTime"), event.endTime);
    json.field(QStringLiteral("start"),
               LocalTime::format(event.startTime, QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
    json.field(QStringLiteral("videoCount"), event.videoCount);
    json.field(QStringLiteral("locationLine"), event.locationLine);
    json.field(QStringLiteral("sourceFile"), event.sourceFileURL);
    json.field(QStringLiteral("isContinuousSession"), event.isContinuousSession);
    json.field(QStringLiteral("timeRangeTitle"), event.timeRangeTitle());
    // What event.json says about the moment the car saved the event, where it says it.
    const auto& metadata = event.metadata;
    json.field(QStringLiteral("reason"), metadata ? metadata->reason : std::nullopt);
    json.field(QStringLiteral("eventTime"), metadata ? metadata->eventTime() : std::nullopt);
    const auto camera = metadata ? metadata->triggerCamera() : std::nullopt;
    json.field(QStringLiteral("camera"), camera ? std::optional(Camera::rawValue(*camera)) : std::nullopt);
    json.field(QStringLiteral("encrypted"), event.isEncrypted);
    if (hardBrakes)
        writeHardBrakes(json, event);
    json.endObject();
}

int scan(const QStringList& given) {
    QStringList args = given;
    const bool hardBrakes = args.removeAll(QStringLiteral("--hard-brakes")) > 0;
    if (args.isEmpty())
        return usage(QStringLiteral("scan"), QCoreApplication::translate("Cli", "没有给出文件夹或文件"));
    EventsByCategory library;
    try {
        library = MetadataParser::scanLibrary(args);
    } catch (const UserFacingError& e) {
        printError(e.description());
        return failure;
    }
    QTextStream out(stdout);
    JsonWriter json(out);
    json.beginObject();
    for (const auto& [category, events] : library) {
        json.key(Category::rawValue(category));
        json.beginArray();
        for (const TeslaClipEvent& event : events)
            writeEvent(json, event, hardBrakes);
        json.endArray();
    }
    json.endObject();
    json.finish();
    return success;
}

// Listing needs no key; with a token the keys of the encrypted files are fetched (a check that
// they can be read), without one the user learns that reading them needs it.
bool unlockListed(const std::vector<TeslaVideoFile>& files, const KeyAccess& keyAccess) {
    QStringList paths;
    for (const TeslaVideoFile& file : files)
        paths << file.url;
    if (keyAccess.tokenGiven())
        return keyAccess.unlock(paths);
    if (!keys::filesNeedingKeys(paths).isEmpty())
        QTextStream(stderr) << QCoreApplication::translate("Cli", "警告: ") << tokenHint() << "\n";
    return true;
}

int videos(const QStringList& given) {
    const QString name = QStringLiteral("videos");
    QStringList args = given;
    KeyAccess keyAccess;
    if (!keyAccess.takeFrom(args))
        return missingValue(name, QStringLiteral("--token-file"));
    QString path, categoryText, indexText, cameraText = QStringLiteral("all");
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto next = [&](QString& into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        bool ok = true;
        if (a == QLatin1String("--category"))
            ok = next(categoryText);
        else if (a == QLatin1String("--index"))
            ok = next(indexText);
        else if (a == QLatin1String("--camera"))
            ok = next(cameraText);
        else if (a.startsWith(QLatin1String("--")) || !path.isEmpty())
            return usage(name, QCoreApplication::translate("Cli", "多余的参数“%1”").arg(a));
        else
            path = a;
        if (!ok)
            return missingValue(name, a);
    }
    bool indexOk = false;
    const int index = indexText.toInt(&indexOk);
    const auto category = Category::fromRawValue(categoryText);
    const auto camera = Camera::fromRawValue(cameraText);
    if (path.isEmpty() || !category || !indexOk || index < 0 || !camera)
        return usage(name,
                     QCoreApplication::translate("Cli", "需要 PATH、--category、--index 和已知的 --camera"));
    try {
        const EventsByCategory library = MetadataParser::scanLibrary({path});
        auto it = library.find(*category);
        if (it == library.end() || index >= int(it->second.size())) {
            printError(
                QCoreApplication::translate("Cli", "没有这个事件: %1 #%2").arg(categoryText).arg(index));
            return failure;
        }
        const auto files = MetadataParser::loadVideos(it->second[size_t(index)], *camera);
        if (!unlockListed(files, keyAccess))
            return failure;
        QTextStream out(stdout);
        JsonWriter json(out);
        json.beginArray();
        for (const TeslaVideoFile& file : files) {
            json.beginObject();
            json.field(QStringLiteral("fileName"), file.fileName);
            json.field(QStringLiteral("path"), file.url);
            json.field(QStringLiteral("startTime"), file.startTime);
            json.field(QStringLiteral("encrypted"),
                       media::ClipSource::isCarEncrypted(media::ClipSource::inspect(file.url)));
            json.key(QStringLiteral("camera"));
            if (file.cameraAngle)
                json.value(Camera::rawValue(*file.cameraAngle));
            else
                json.null();
            json.endObject();
        }
        json.endArray();
        json.finish();
        return success;
    } catch (const UserFacingError& e) {
        printError(e.description());
        return failure;
    }
}

const CommandRegistration scanRegistration(QStringLiteral("scan"),
                                           QStringLiteral("scan PATH… [--hard-brakes]"),
                                           QT_TRANSLATE_NOOP("Cli", "扫描文件夹和文件，按类别列出事件"),
                                           scan);
const CommandRegistration
    videosRegistration(QStringLiteral("videos"),
                       QStringLiteral("videos PATH --category C --index N [--camera CAM] ") + tokenFileUsage,
                       QT_TRANSLATE_NOOP("Cli", "一个事件的摄像头文件（序号从 0 起，按扫描顺序）"), videos);

} // namespace
} // namespace orvane::cli
