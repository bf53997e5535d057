#include "MetadataParser.h"

#include "ClipSource.h"
#include "DirectoryListing.h"
#include "FileName.h"
#include "MinuteGroups.h"
#include "RegularFile.h"
#include "TeslaTimeParser.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <array>
#include <charconv>

namespace orvane::MetadataParser {

namespace {

// Consecutive minutes of one clip folder more than this far apart are separate events.
constexpr double maximumGroupGapSeconds = 90;

// Plain string work: these run for every file of a drive, and QFileInfo costs a lot more.
QString lastPathComponent(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}
QString parentFolder(const QString& path) {
    return QFileInfo(path).absolutePath();
}
QString baseNameWithoutExtension(const QString& path) {
    const QString name = lastPathComponent(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}
bool hasMp4Extension(const QString& path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    // QFileInfo::suffix semantics: the text after the last dot of the name, a leading dot included.
    return dot > slash &&
           QStringView(path).mid(dot + 1).compare(QLatin1String("mp4"), Qt::CaseInsensitive) == 0;
}
QString normalized(const QString& path) {
    return FileName::absolute(path);
}
QString childPath(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// The car's time stamp at the start of `text` (ASCII digits only): "yyyy-MM-dd_HH-mm-ss", or
// before firmware 2019.16 "yyyy-MM-dd_HH-mm" without seconds (read as second 0). Its fields
// (unchecked) and its length. Read by hand: it runs for every file of a drive.
struct CarStamp {
    std::array<int, 6> fields{};
    qsizetype length = 0;
};

constexpr qsizetype carStampLength = 19;
constexpr qsizetype minuteStampLength = 16;
constexpr qsizetype dayStampLength = 10;

std::optional<CarStamp> readStampLayout(QStringView text, qsizetype length) {
    static constexpr char layout[] = "dddd-dd-dd_dd-dd-dd";
    if (text.size() < length)
        return std::nullopt;
    CarStamp stamp;
    stamp.length = length;
    size_t field = 0;
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = text[i].unicode();
        if (layout[i] == 'd') {
            if (c < u'0' || c > u'9')
                return std::nullopt;
            stamp.fields[field] = stamp.fields[field] * 10 + (c - u'0');
        } else if (c != char16_t(layout[i])) {
            return std::nullopt;
        } else {
            ++field;
        }
    }
    return stamp;
}

std::optional<CarStamp> readCarStamp(QStringView text) {
    if (auto full = readStampLayout(text, carStampLength))
        return full;
    return readStampLayout(text, minuteStampLength);
}

// A file name that is the car's stamp directly followed by a camera's suffix.
std::optional<CarStamp> fileNameStamp(QStringView name) {
    const auto suffix = Camera::matchSuffix(name);
    if (!suffix)
        return std::nullopt;
    const auto stamp = readCarStamp(name);
    return stamp && name.size() == stamp->length + suffix->length ? stamp : std::nullopt;
}

// A Windows 8.3 alias ("2025-0~2.MP4") that a repair tool or another computer left beside the
// long name: the same file seen twice, or a fragment; never a minute of its own.
bool isShortNameAlias(QStringView name) {
    constexpr qsizetype maxBase = 8, maxExtension = 3;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot > maxBase || name.size() - dot - 1 > maxExtension)
        return false;
    const qsizetype tilde = name.first(dot).lastIndexOf(QLatin1Char('~'));
    if (tilde <= 0 || tilde == dot - 1)
        return false;
    for (qsizetype i = tilde + 1; i < dot; ++i)
        if (!name[i].isDigit())
            return false;
    return true;
}

// What the scanner counts as a camera file: an MP4 by extension that is not an alias.
bool isClipName(const QString& name) {
    return hasMp4Extension(name) && !isShortNameAlias(lastPathComponent(name));
}

std::optional<Instant> localInstant(const std::array<int, 6>& f) {
    return LocalTime::fromFields(f[0], f[1], f[2], f[3], f[4], f[5]);
}

std::optional<Instant> metadataTime(const std::optional<EventMetadata>& metadata) {
    if (metadata && metadata->timestamp)
        return TeslaTimeParser::parseMetadataTimestamp(*metadata->timestamp);
    return std::nullopt;
}

// The car's whole name layout "<stamp>-<camera>.mp4", whether or not the stamp is a real date.
bool hasCarStamp(const QString& name) {
    return fileNameStamp(name).has_value();
}

// A name with the car's stamp that is no real date ("2024-13-45_25-61-61-front.mp4"): the
// file has no usable time, whatever event.json says.
bool hasImpossibleStamp(const QString& name) {
    return hasCarStamp(name) && !parseFileNameDate(name);
}

int minuteCount(const QStringList& names) {
    return int(groupByMinute(names, [](const QString& name) { return lastPathComponent(name); }).size());
}

std::optional<QString> locationLineOf(const std::optional<EventMetadata>& metadata) {
    return metadata ? metadata->locationLine() : std::nullopt;
}

TeslaClipEvent makeEvent(const QString& folder, const QString& folderName, ClipCategory category) {
    TeslaClipEvent event;
    event.id = QUuid::createUuid();
    event.folderURL = folder;
    event.folderName = folderName;
    event.category = category;
    return event;
}

// Judged from the content of one of the event's files (the car encrypts a whole recording).
bool isEncryptedFile(const QString& path) {
    return media::ClipSource::isCarEncrypted(media::ClipSource::inspect(path));
}

// "yyyy-MM-dd": an archive tool's day folder of rolling recordings.
bool isDayFolderName(QStringView name) {
    return name.size() == dayStampLength && readStampLayout(name, dayStampLength);
}

// Shortest decimal form that reads back exactly, whole numbers ending in ".0".
QString shortestDouble(double value) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    QString text = QString::fromLatin1(buffer, int(end - buffer));
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')) &&
        !text.contains(QLatin1Char('n')))
        text += QStringLiteral(".0");
    return text;
}

bool withinRange(Instant t, Instant from, Instant to) {
    return t >= from && t <= to;
}

} // namespace

bool isEventFolderName(QStringView name) {
    return name.size() == carStampLength && readStampLayout(name, carStampLength);
}

std::optional<Instant> parseFileNameDate(const QString& name) {
    const auto stamp = fileNameStamp(name);
    return stamp ? localInstant(stamp->fields) : std::nullopt;
}

std::optional<Instant> parseEventFolderDate(const QString& name) {
    const auto stamp = isEventFolderName(name) ? readStampLayout(name, carStampLength) : std::nullopt;
    return stamp ? localInstant(stamp->fields) : std::nullopt;
}

std::optional<CameraAngle> parseCameraAngle(const QString& name) {
    return Camera::parse(name);
}

std::optional<EventMetadata> loadMetadata(const QString& folder) {
    return EventMetadata::load(folder);
}

QStringList mp4Names(const QString& folder) {
    QStringList names;
    for (const QString& name : DirectoryListing::listFiles(folder).value_or(QStringList{}))
        if (isClipName(name))
            names << name;
    return names;
}

QStringList mp4Files(const QString& folder) {
    QStringList files = mp4Names(folder);
    for (QString& name : files)
        name = childPath(folder, name);
    return files;
}

int countVideoGroups(const QStringList& paths) {
    QStringList videos;
    for (const QString& path : paths)
        if (isClipName(path))
            videos << path;
    return int(groupByMinute(videos, lastPathComponent).size());
}

bool isTeslaCamRoot(const QString& folder) {
    for (ClipCategory c : Category::driveCases)
        if (DirectoryListing::exists(childPath(folder, Category::folderName(c))))
            return true;
    return DirectoryListing::exists(childPath(folder, encryptedClipsFolderName));
}

Instant parseStartTime(const QString& fileName, const QString& directory,
                       const std::optional<EventMetadata>& eventMetadata) {
    if (hasCarStamp(fileName)) {
        if (auto date = parseFileNameDate(fileName))
            return *date;
        throw MetadataParserError::cannotParseTime(fileName);
    }
    if (auto date = metadataTime(eventMetadata))
        return *date;
    if (auto date = metadataTime(loadMetadata(directory)))
        return *date;
    throw MetadataParserError::cannotParseTime(fileName);
}

TeslaVideoFile parseVideo(const QString& path, const std::optional<EventMetadata>& eventMetadata) {
    TeslaVideoFile video;
    video.fileName = lastPathComponent(path);
    video.cameraAngle = parseCameraAngle(video.fileName);
    video.startTime = parseStartTime(video.fileName, parentFolder(path), eventMetadata);
    video.id = QUuid::createUuid();
    video.url = path;
    video.eventMetadata = eventMetadata;
    return video;
}

EventsByCategory scanLibrary(const QStringList& paths) {
    EventsByCategory map;
    for (const QString& given : paths) {
        // What was chosen must be there and readable: a folder that can be listed, or an MP4
        // file. Anything else is the user's mistake, not an empty library.
        const QString path = given.isEmpty() ? QString() : normalized(given);
        const auto identity = RegularFile::identify(path);
        if (identity && identity->isDirectory() && DirectoryListing::canList(path))
            appendEvents(path, map);
        else if (identity && identity->isRegular() && hasMp4Extension(path))
            map[ClipCategory::imported].push_back(makeImportedEvent(path));
        else
            throw MetadataParserError::cannotEnumerate(given.isEmpty() ? QStringLiteral("\"\"") : given);
    }
    for (auto& [category, events] : map)
        events = deduplicatedEvents(events);
    return map;
}

void appendEvents(const QString& folder, EventsByCategory& into) {
    const bool isEventFolder = isEventFolderName(lastPathComponent(folder));
    if (isTeslaCamRoot(folder)) {
        // The category folders, and the same folders inside EncryptedClips (firmware 2026.20).
        for (const QString& root : {folder, childPath(folder, encryptedClipsFolderName)})
            for (ClipCategory category : Category::driveCases) {
                const QString categoryFolder = childPath(root, Category::folderName(category));
                if (!DirectoryListing::exists(categoryFolder))
                    continue;
                auto events = scanCategoryFolder(categoryFolder, category);
                auto& list = into[category];
                list.insert(list.end(), events.begin(), events.end());
            }
        return;
    }
    if (auto category = Category::from(folder)) {
        auto& list = into[*category];
        auto events =
            isEventFolder ? summarizeEvents(folder, *category) : scanCategoryFolder(folder, *category);
        list.insert(list.end(), events.begin(), events.end());
        return;
    }
    if (isEventFolder) {
        auto events = summarizeEvents(folder, ClipCategory::imported);
        auto& list = into[ClipCategory::imported];
        list.insert(list.end(), events.begin(), events.end());
    } else if (auto event = summarizeGenericFolder(folder)) {
        into[ClipCategory::imported].push_back(*event);
    }
}

std::vector<TeslaClipEvent> scanCategoryFolder(const QString& folder, ClipCategory category) {
    std::vector<TeslaClipEvent> result;
    for (const QString& name : DirectoryListing::list(folder).value_or(QStringList{})) {
        const bool eventFolder = isEventFolderName(name);
        // Archive tools keep rolling recordings in day folders: one session per day.
        const bool dayFolder = category == ClipCategory::recent && isDayFolderName(name);
        const QString entry = childPath(folder, name);
        if ((!eventFolder && !dayFolder) || !DirectoryListing::isDirectory(entry))
            continue;
        auto events = eventFolder ? summarizeEvents(entry, category) : scanFlatVideos(entry, category);
        result.insert(result.end(), events.begin(), events.end());
    }
    auto flat = scanFlatVideos(folder, category);
    result.insert(result.end(), flat.begin(), flat.end());
    return result;
}

std::vector<TeslaClipEvent> scanEventFolders(const QString& folder, ClipCategory category) {
    std::vector<TeslaClipEvent> result;
    for (const QString& name : DirectoryListing::list(folder).value_or(QStringList{})) {
        const QString entry = childPath(folder, name);
        if (isEventFolderName(name) && DirectoryListing::isDirectory(entry)) {
            auto events = summarizeEvents(entry, category);
            result.insert(result.end(), events.begin(), events.end());
        }
    }
    return result;
}

std::vector<TeslaClipEvent> scanFlatVideos(const QString& folder, ClipCategory category) {
    const QStringList files = mp4Files(folder);
    if (category == ClipCategory::recent && !files.isEmpty())
        if (auto session = summarizeRecentClipsSession(folder, files))
            return {*session};
    std::vector<TeslaClipEvent> result;
    for (const QString& file : files) {
        const auto date = parseFileNameDate(lastPathComponent(file));
        if (!date)
            continue;
        TeslaClipEvent event = makeEvent(parentFolder(file), baseNameWithoutExtension(file), category);
        event.startTime = *date;
        event.videoCount = 1;
        event.sourceFileURL = file;
        event.isEncrypted = isEncryptedFile(file);
        result.push_back(event);
    }
    return result;
}

std::optional<TeslaClipEvent> summarizeRecentClipsSession(const QString& folder,
                                                          const QStringList& videoFiles) {
    std::optional<Instant> earliest, latest;
    QStringList dated; // the session's files: only these are loaded
    for (const QString& file : videoFiles) {
        if (auto date = parseFileNameDate(lastPathComponent(file))) {
            earliest = earliest ? std::min(*earliest, *date) : *date;
            latest = latest ? std::max(*latest, *date) : *date;
            dated << file;
        }
    }
    if (!earliest)
        return std::nullopt;
    TeslaClipEvent event = makeEvent(folder, lastPathComponent(folder), ClipCategory::recent);
    event.startTime = *earliest;
    event.endTime = *latest;
    event.videoCount = minuteCount(dated);
    event.isContinuousSession = true;
    event.isEncrypted = isEncryptedFile(dated.front());
    return event;
}

namespace {

// Each minute of `dated` (names with a real date) timed by its earliest file, earliest first.
std::vector<Instant> minuteTimes(const QStringList& dated) {
    std::vector<Instant> times;
    for (const MinuteGroup<QString>& minute :
         groupByMinute(dated, [](const QString& name) { return name; })) {
        Instant time = *parseFileNameDate(minute.items.front());
        for (const QString& name : minute.items)
            time = std::min(time, *parseFileNameDate(name));
        times.push_back(time);
    }
    std::stable_sort(times.begin(), times.end());
    return times;
}

} // namespace

std::vector<TeslaClipEvent> summarizeEvents(const QString& folder, ClipCategory category) {
    const QStringList names = mp4Names(folder);
    if (names.isEmpty())
        return {};
    const auto metadata = loadMetadata(folder);
    const bool encrypted = isEncryptedFile(childPath(folder, names.front()));

    // Files with a real date in their names make the runs; files without the car's stamp are
    // minutes of every event of the folder, timed by the folder, event.json or nothing.
    QStringList dated, undated;
    for (const QString& name : names) {
        if (!hasCarStamp(name))
            undated << name;
        else if (parseFileNameDate(name))
            dated << name;
    }
    const int undatedMinutes = minuteCount(undated);
    const std::vector<Instant> times = minuteTimes(dated);
    const QString folderName = lastPathComponent(folder);
    std::vector<TeslaClipEvent> events;
    auto addEvent = [&](Instant start, std::optional<Instant> end, int minutes) {
        TeslaClipEvent event = makeEvent(folder, folderName, category);
        event.startTime = start;
        event.endTime = end;
        event.videoCount = minutes + undatedMinutes;
        event.locationLine = locationLineOf(metadata);
        event.metadata = metadata;
        event.isEncrypted = encrypted;
        events.push_back(event);
    };
    if (times.empty()) {
        // The user's footage never vanishes for want of a date in its names.
        if (undatedMinutes > 0)
            addEvent(parseEventFolderDate(folderName).value_or(metadataTime(metadata).value_or(distantPast)),
                     std::nullopt, 0);
        return events;
    }
    size_t runStart = 0;
    for (size_t i = 1; i <= times.size(); ++i) {
        if (i == times.size() || times[i] - times[i - 1] > maximumGroupGapSeconds) {
            addEvent(times[runStart], times[i - 1], int(i - runStart));
            runStart = i;
        }
    }
    return events;
}

std::optional<TeslaClipEvent> summarizeGenericFolder(const QString& folder) {
    const QStringList files = mp4Files(folder);
    const auto metadata = loadMetadata(folder);
    const auto eventTime = metadataTime(metadata);
    // The files loadVideos will list: a real date in the name, or no car stamp and event.json's
    // time (a folder of unknown origin has no name to date it by).
    QStringList usable;
    std::optional<Instant> earliest, latest;
    for (const QString& file : files) {
        const QString name = lastPathComponent(file);
        if (auto date = parseFileNameDate(name)) {
            earliest = earliest ? std::min(*earliest, *date) : *date;
            latest = latest ? std::max(*latest, *date) : *date;
            usable << file;
        } else if (!hasCarStamp(name) && eventTime) {
            usable << file;
        }
    }
    const int groupCount = countVideoGroups(usable);
    if (groupCount < 1)
        return std::nullopt;
    TeslaClipEvent event = makeEvent(folder, lastPathComponent(folder), ClipCategory::imported);
    event.startTime = earliest ? *earliest : *eventTime;
    event.endTime = latest;
    event.videoCount = groupCount;
    event.locationLine = locationLineOf(metadata);
    event.metadata = metadata;
    event.isEncrypted = isEncryptedFile(usable.front());
    return event;
}

TeslaClipEvent makeImportedEvent(const QString& file) {
    const QString folder = parentFolder(file);
    const auto metadata = loadMetadata(folder);
    TeslaClipEvent event = makeEvent(folder, baseNameWithoutExtension(file), ClipCategory::imported);
    event.startTime = parseStartTime(lastPathComponent(file), folder, metadata);
    event.videoCount = 1;
    event.locationLine = locationLineOf(metadata);
    event.sourceFileURL = file;
    event.metadata = metadata;
    event.isEncrypted = isEncryptedFile(file);
    return event;
}

std::vector<TeslaClipEvent> deduplicatedEvents(const std::vector<TeslaClipEvent>& events) {
    QSet<QString> seen;
    std::vector<TeslaClipEvent> kept;
    for (const TeslaClipEvent& event : events) {
        const QString key = event.sourceFileURL
                                ? *event.sourceFileURL
                                : event.folderURL + QLatin1Char('|') + shortestDouble(event.startTime);
        if (seen.contains(key))
            continue;
        seen.insert(key);
        kept.push_back(event);
    }
    std::stable_sort(kept.begin(), kept.end(), [](const TeslaClipEvent& a, const TeslaClipEvent& b) {
        return a.startTime > b.startTime;
    });
    return kept;
}

std::vector<TeslaVideoFile> loadVideos(const TeslaClipEvent& event, CameraAngle cameraFilter) {
    if (event.isContinuousSession)
        return loadContinuousSessionVideos(event, cameraFilter);
    if (event.sourceFileURL) {
        const QString& file = *event.sourceFileURL;
        if (!hasMp4Extension(file) || !Camera::matches(cameraFilter, lastPathComponent(file)))
            return {};
        try {
            return {parseVideo(file, loadMetadata(parentFolder(file)))};
        } catch (const MetadataParserError&) {
            return {};
        }
    }
    const QStringList names = DirectoryListing::listFilesOrThrow(event.folderURL);
    const auto metadata = loadMetadata(event.folderURL);
    std::vector<TeslaVideoFile> videos;
    // A file without a date in its name is timed as its event was: event.json, then the folder.
    const Instant undatedStart = metadataTime(metadata).value_or(
        parseEventFolderDate(lastPathComponent(event.folderURL)).value_or(event.startTime));
    for (const QString& name : names) {
        if (!isClipName(name) || hasImpossibleStamp(name))
            continue;
        const auto date = parseFileNameDate(name);
        if (event.endTime && date && !withinRange(*date, event.startTime, *event.endTime))
            continue;
        if (!Camera::matches(cameraFilter, name))
            continue;
        TeslaVideoFile video;
        video.id = QUuid::createUuid();
        video.url = childPath(event.folderURL, name);
        video.fileName = name;
        video.startTime = date.value_or(undatedStart);
        video.eventMetadata = metadata;
        video.cameraAngle = parseCameraAngle(name);
        videos.push_back(video);
    }
    std::stable_sort(videos.begin(), videos.end(), [](const TeslaVideoFile& a, const TeslaVideoFile& b) {
        return a.startTime > b.startTime;
    });
    return videos;
}

std::vector<TeslaVideoFile> loadContinuousSessionVideos(const TeslaClipEvent& event,
                                                        CameraAngle cameraFilter) {
    const QStringList names = DirectoryListing::listFilesOrThrow(event.folderURL);
    const Instant from = event.startTime - rangeTolerance;
    const Instant to = event.endTime.value_or(event.startTime) + rangeTolerance;
    std::vector<TeslaVideoFile> videos;
    for (const QString& name : names) {
        if (!isClipName(name))
            continue;
        const auto date = parseFileNameDate(name);
        if (!date || !withinRange(*date, from, to) || !Camera::matches(cameraFilter, name))
            continue;
        const QString path = childPath(event.folderURL, name);
        try {
            videos.push_back(parseVideo(path, loadMetadata(event.folderURL)));
        } catch (const MetadataParserError&) {
        }
    }
    std::stable_sort(videos.begin(), videos.end(), [](const TeslaVideoFile& a, const TeslaVideoFile& b) {
        return a.startTime < b.startTime;
    });
    return videos;
}

QStringList sourceVideoURLs(const TeslaClipEvent& event) {
    if (event.sourceFileURL)
        return hasMp4Extension(*event.sourceFileURL) ? QStringList{*event.sourceFileURL} : QStringList{};
    QStringList names;
    for (const QString& name : DirectoryListing::listFilesOrThrow(event.folderURL)) {
        if (!isClipName(name) || hasImpossibleStamp(name))
            continue;
        if (event.endTime) {
            const auto date = parseFileNameDate(name);
            if (!date ||
                !withinRange(*date, event.startTime - rangeTolerance, *event.endTime + rangeTolerance))
                continue;
        }
        names << name;
    }
    std::sort(names.begin(), names.end());
    QStringList paths;
    for (const QString& name : names)
        paths << childPath(event.folderURL, name);
    return paths;
}

} // namespace orvane::MetadataParser
