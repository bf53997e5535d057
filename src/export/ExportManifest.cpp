#include "ExportManifest.h"

#include "FileDelivery.h"
#include "FileDigest.h"
#include "MediaProbe.h"
#include "MetadataParser.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

const QString driveFolderName = QStringLiteral("TeslaCam");
const QString digestKey = QStringLiteral("digest");
// Manifests are a few kilobytes; anything far larger is not one of ours.
constexpr int64_t manifestMaxBytes = 16 << 20;

ManifestSource examine(const QString& path, const CancellationToken& cancel) {
    ManifestSource source;
    source.path = path;
    const QFileInfo info(path);
    source.size = info.exists() ? info.size() : -1;
    source.modifiedMs = info.exists() ? info.lastModified().toMSecsSinceEpoch() : 0;
    try {
        source.sha256 = FileDigest::sha256OfFile(path, cancel);
    } catch (const FileSystemError& e) {
        source.problem = e.description();
    }
    return source;
}

QString versionText() {
#ifdef ORVANE_VERSION
    return QStringLiteral(ORVANE_VERSION);
#else
    return QStringLiteral("0.0.1");
#endif
}

QJsonObject optionsOf(const ManifestInput& input) {
    const WatermarkSettings& s = input.settings;
    return {{QStringLiteral("kind"), input.kind},
            {QStringLiteral("quality"), Quality::rawValue(s.exportQuality)},
            {QStringLiteral("showTime"), s.showTime},
            {QStringLiteral("showDashboard"), s.showDashboard},
            {QStringLiteral("showMap"), s.showMap},
            {QStringLiteral("speedUnit"), DashboardReadout::rawValue(s.speedUnit)},
            // A timelapse keeps one frame in `speed`: the frames listed are the ones it took.
            {QStringLiteral("speed"), s.speed},
            {QStringLiteral("requestedSeconds"), input.requestedLength}};
}

QJsonObject sourceOf(const ManifestSource& source, const FramesUsed& frames) {
    QJsonObject o{{QStringLiteral("path"), ExportManifest::driveRelative(source.path)},
                  {QStringLiteral("size"), double(source.size)},
                  {QStringLiteral("modified"), ExportManifest::timeText(double(source.modifiedMs) / 1000)},
                  {QStringLiteral("sha256"), source.sha256}};
    if (!source.problem.isEmpty())
        o.insert(QStringLiteral("problem"), source.problem);
    const auto start = ExportManifest::fileStart(source.path);
    if (const auto span = start ? frames.of(*start) : std::nullopt) {
        o.insert(QStringLiteral("firstFrame"),
                 double(ExportManifest::frameAt(source.path, span->first - *start).first));
        o.insert(QStringLiteral("lastFrame"),
                 double(ExportManifest::frameAt(source.path, span->second - *start).first));
        o.insert(QStringLiteral("firstTime"), ExportManifest::timeText(span->first));
        o.insert(QStringLiteral("lastTime"), ExportManifest::timeText(span->second));
    }
    return o;
}

QJsonObject outputOf(const ManifestInput& input, const CancellationToken& cancel) {
    auto optionalTime = [](std::optional<Instant> at) {
        return at ? QJsonValue(ExportManifest::timeText(*at)) : QJsonValue();
    };
    return {{QStringLiteral("file"), input.outputName},
            {QStringLiteral("size"), double(QFileInfo(input.outputPath).size())},
            {QStringLiteral("sha256"), FileDigest::sha256OfFile(input.outputPath, cancel)},
            {QStringLiteral("frames"), double(input.frames.count())},
            {QStringLiteral("firstTime"), optionalTime(input.firstTime)},
            {QStringLiteral("lastTime"), optionalTime(input.lastTime)},
            {QStringLiteral("seconds"), input.exportedLength}};
}

} // namespace

SourceHashing::SourceHashing(QStringList paths, CancellationToken cancel) : cancel_(cancel.child()) {
    paths.removeDuplicates();
    worker_ = std::thread([this, paths] {
        for (const QString& path : paths) {
            if (cancel_.isCancelled())
                return;
            try {
                results_.push_back(examine(path, cancel_));
            } catch (const OperationCancelled&) {
                return;
            }
        }
    });
}

SourceHashing::~SourceHashing() {
    if (worker_.joinable()) {
        cancel_.cancel();
        worker_.join();
    }
}

const std::vector<ManifestSource>& SourceHashing::finish() {
    if (worker_.joinable())
        worker_.join();
    cancel_.check();
    return results_;
}

void FramesUsed::add(Instant minuteStart, Instant recordedAt) {
    ++count_;
    auto [it, fresh] = spans_.try_emplace(minuteStart, recordedAt, recordedAt);
    if (!fresh) {
        it->second.first = std::min(it->second.first, recordedAt);
        it->second.second = std::max(it->second.second, recordedAt);
    }
}

std::optional<std::pair<Instant, Instant>> FramesUsed::of(Instant minuteStart) const {
    const auto it = spans_.find(minuteStart);
    return it == spans_.end() ? std::nullopt : std::optional(it->second);
}

namespace ExportManifest {

QString pathFor(const QString& exportPath) {
    const QFileInfo info(exportPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".orvane.json"));
}

QString driveRelative(const QString& absolutePath) {
    const QStringList parts = QDir::cleanPath(absolutePath).split(QLatin1Char('/'));
    for (qsizetype i = parts.size() - 2; i >= 0; --i)
        if (parts[i] == driveFolderName)
            return parts.mid(i + 1).join(QLatin1Char('/'));
    return parts.last();
}

std::pair<int64_t, double> frameAt(const QString& file, double offset) {
    const std::vector<double> times = media::MediaProbe::frameTimes(file);
    if (times.empty()) {
        const int64_t index = std::max<int64_t>(std::llround(offset * media::cameraFrameRate), 0);
        return {index, double(index) / media::cameraFrameRate};
    }
    const auto after = std::lower_bound(times.begin(), times.end(), offset);
    auto nearest = after == times.end() ? after - 1 : after;
    if (after != times.begin() && after != times.end() && offset - *(after - 1) < *after - offset)
        nearest = after - 1;
    return {int64_t(nearest - times.begin()), *nearest};
}

std::optional<Instant> fileStart(const QString& path) {
    try {
        return MetadataParser::parseVideo(path, std::nullopt).startTime;
    } catch (const UserFacingError&) {
        return std::nullopt;
    }
}

std::optional<double> frameOffset(const QString& file, int64_t index) {
    const std::vector<double> times = media::MediaProbe::frameTimes(file);
    if (times.empty())
        return index >= 0 ? std::optional(double(index) / media::cameraFrameRate) : std::nullopt;
    return index >= 0 && index < int64_t(times.size()) ? std::optional(times[size_t(index)]) : std::nullopt;
}

QString timeText(Instant at) {
    return QDateTime::fromMSecsSinceEpoch(std::llround(at * 1000), Qt::UTC).toString(Qt::ISODateWithMs);
}

std::optional<Instant> timeFrom(const QString& text) {
    const QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
    return t.isValid() ? std::optional(double(t.toMSecsSinceEpoch()) / 1000) : std::nullopt;
}

QJsonObject build(const ManifestInput& input, const CancellationToken& cancel) {
    QJsonArray sources;
    for (const ManifestSource& source : input.sources)
        sources.append(sourceOf(source, input.frames));
    QJsonObject manifest{
        {QStringLiteral("format"), formatVersion},           {QStringLiteral("orvane"), versionText()},
        {QStringLiteral("options"), optionsOf(input)},       {QStringLiteral("sources"), sources},
        {QStringLiteral("output"), outputOf(input, cancel)}, {QStringLiteral("signature"), QString()}};
    manifest.insert(digestKey, digestOf(manifest));
    return manifest;
}

QByteArray canonical(QJsonObject manifest) {
    manifest.remove(digestKey);
    return QJsonDocument(manifest).toJson(QJsonDocument::Compact);
}

QString digestOf(const QJsonObject& manifest) {
    return FileDigest::sha256Hex(canonical(manifest));
}

void write(const QJsonObject& manifest, const QString& manifestPath) {
    OwnedFile part = FileDelivery::createPartFor(manifestPath);
    try {
        part.writeAll(QJsonDocument(manifest).toJson(QJsonDocument::Indented));
        part.sync();
    } catch (const FileSystemError& e) {
        throw FileSystemError(QCoreApplication::translate("ExportManifest", "无法写入导出清单 %1：%2")
                                  .arg(manifestPath, e.description()));
    }
    FileDelivery::commitNew(part, manifestPath);
}

QJsonObject read(const QString& manifestPath) {
    const auto bytes = RegularFile::readSmallFile(manifestPath, manifestMaxBytes);
    if (!bytes)
        throw FileSystemError(QCoreApplication::translate("ExportManifest", "无法读取导出清单：") +
                              manifestPath);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(*bytes, &error);
    if (!document.isObject())
        throw FileSystemError(QCoreApplication::translate("ExportManifest", "导出清单不是有效的 JSON：") +
                              manifestPath);
    return document.object();
}

} // namespace ExportManifest
} // namespace orvane
