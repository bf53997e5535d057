#include "ExportVerifier.h"

#include "ExportManifest.h"
#include "FileDigest.h"
#include "MediaProbe.h"
#include "UserFacingError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <algorithm>
#include <cmath>
#include <map>

namespace orvane::ExportVerifier {

namespace {

// Two derivations of one frame's time agree when they are this close: the rounding of a
// frame's time to milliseconds in the manifest, well under a frame (28 ms at 36 fps).
constexpr double sameFrameTolerance = 0.005;

VerificationCheck check(const QString& name, const QString& subject, const QString& problem) {
    return {name, subject, problem.isEmpty(), problem};
}

QString digestProblem(const QJsonObject& manifest) {
    const QString written = manifest.value(QStringLiteral("digest")).toString();
    const QString actual = ExportManifest::digestOf(manifest);
    return written == actual
               ? QString()
               : QCoreApplication::translate(
                     "ExportVerifier", "清单的摘要与内容不符，清单在导出后被改动过（记录的 %1，算得 %2）")
                     .arg(written, actual);
}

QString hashProblem(const QString& path, const QJsonObject& recorded, const QString& what) {
    QString actual;
    try {
        actual = FileDigest::sha256OfFile(path);
    } catch (const FileSystemError& e) {
        return e.description();
    }
    const QString expected = recorded.value(QStringLiteral("sha256")).toString();
    if (actual == expected)
        return {};
    return QCoreApplication::translate(
               "ExportVerifier", "%1 已被改动：SHA-256 应为 %2，实为 %3（大小应为 %4 字节，实为 %5 字节）")
        .arg(what, expected, actual)
        .arg(qint64(recorded.value(QStringLiteral("size")).toDouble()))
        .arg(QFileInfo(path).size());
}

QString frameCountProblem(const QString& exportPath, const QJsonObject& output) {
    const qint64 expected = qint64(output.value(QStringLiteral("frames")).toDouble());
    const qint64 actual = qint64(media::MediaProbe::frameTimes(exportPath).size());
    return expected == actual ? QString()
                              : QCoreApplication::translate("ExportVerifier", "视频应有 %1 帧，实有 %2 帧")
                                    .arg(expected)
                                    .arg(actual);
}

// The source below one of the drives, or nothing.
QString findSource(const QString& relative, const QStringList& drives) {
    for (const QString& drive : drives)
        for (const QString& root : {QDir(drive).filePath(QStringLiteral("TeslaCam")), drive}) {
            const QString candidate = QDir(root).filePath(relative);
            if (QFileInfo(candidate).isFile())
                return candidate;
        }
    return {};
}

// What the sources say the export holds: frames per recorded minute, first and last times.
struct Derived {
    std::map<Instant, int64_t> framesPerMinute;
    std::optional<Instant> first, last;
    QStringList problems;
};

void deriveFrom(const QString& file, const QJsonObject& recorded, Derived& derived) {
    if (!recorded.contains(QStringLiteral("firstFrame")))
        return;
    const auto fileStart = ExportManifest::fileStart(file);
    const QString path = recorded.value(QStringLiteral("path")).toString();
    if (!fileStart) {
        derived.problems
            << QCoreApplication::translate("ExportVerifier", "%1 的文件名不含录制时间").arg(path);
        return;
    }
    const Instant start = *fileStart;
    const auto firstIndex = int64_t(recorded.value(QStringLiteral("firstFrame")).toDouble());
    const auto lastIndex = int64_t(recorded.value(QStringLiteral("lastFrame")).toDouble());
    const auto firstOffset = ExportManifest::frameOffset(file, firstIndex);
    const auto lastOffset = ExportManifest::frameOffset(file, lastIndex);
    if (!firstOffset || !lastOffset || lastIndex < firstIndex) {
        derived.problems << QCoreApplication::translate("ExportVerifier", "%1 没有清单所记的第 %2–%3 帧")
                                .arg(path)
                                .arg(firstIndex)
                                .arg(lastIndex);
        return;
    }
    const Instant first = start + *firstOffset, last = start + *lastOffset;
    for (const auto& [key, at] :
         {std::pair{QStringLiteral("firstTime"), first}, {QStringLiteral("lastTime"), last}}) {
        const auto written = ExportManifest::timeFrom(recorded.value(key).toString());
        if (!written || std::abs(*written - at) > sameFrameTolerance)
            derived.problems << QCoreApplication::translate("ExportVerifier",
                                                            "%1 的帧时间应为 %2，清单记为 %3")
                                    .arg(path, ExportManifest::timeText(at), recorded.value(key).toString());
    }
    int64_t& frames = derived.framesPerMinute[start];
    frames = std::max(frames, lastIndex - firstIndex + 1);
    derived.first = derived.first ? std::min(*derived.first, first) : first;
    derived.last = derived.last ? std::max(*derived.last, last) : last;
}

QString compareDerived(const Derived& derived, const QString& exportPath, const QJsonObject& output) {
    QStringList problems = derived.problems;
    int64_t expected = 0;
    for (const auto& [minute, frames] : derived.framesPerMinute)
        expected += frames;
    const auto actual = int64_t(media::MediaProbe::frameTimes(exportPath).size());
    // A composed grid may round each minute's end to one frame more or less than its cameras.
    if (std::abs(expected - actual) > int64_t(derived.framesPerMinute.size()))
        problems << QCoreApplication::translate("ExportVerifier", "按源文件应有 %1 帧，视频实有 %2 帧")
                        .arg(expected)
                        .arg(actual);
    for (const auto& [key, at] : {std::pair{QStringLiteral("firstTime"), derived.first},
                                  {QStringLiteral("lastTime"), derived.last}}) {
        const auto written = ExportManifest::timeFrom(output.value(key).toString());
        if (!at || !written || std::abs(*written - *at) > sameFrameTolerance)
            problems << QCoreApplication::translate("ExportVerifier",
                                                    "按源文件，视频的%1应为 %2，清单记为 %3")
                            .arg(key == QLatin1String("firstTime")
                                     ? QCoreApplication::translate("ExportVerifier", "首帧时间")
                                     : QCoreApplication::translate("ExportVerifier", "末帧时间"),
                                 at ? ExportManifest::timeText(*at) : QStringLiteral("-"),
                                 output.value(key).toString());
    }
    return problems.join(QStringLiteral("；"));
}

void checkSources(const QJsonObject& manifest, const QString& exportPath, const QStringList& drives,
                  std::vector<VerificationCheck>& checks) {
    Derived derived;
    bool allFound = true;
    for (const QJsonValue& value : manifest.value(QStringLiteral("sources")).toArray()) {
        const QJsonObject recorded = value.toObject();
        const QString relative = recorded.value(QStringLiteral("path")).toString();
        const QString found = findSource(relative, drives);
        if (found.isEmpty()) {
            allFound = false;
            checks.push_back(
                check(QStringLiteral("source"), relative,
                      QCoreApplication::translate("ExportVerifier", "找不到源文件：%1").arg(relative)));
            continue;
        }
        checks.push_back(
            check(QStringLiteral("source"), relative,
                  hashProblem(found, recorded,
                              QCoreApplication::translate("ExportVerifier", "源文件 %1").arg(relative))));
        deriveFrom(found, recorded, derived);
    }
    const QString problem =
        allFound ? compareDerived(derived, exportPath, manifest.value(QStringLiteral("output")).toObject())
                 : QCoreApplication::translate("ExportVerifier", "缺少源文件，无法按源文件核对帧数和时间");
    checks.push_back(check(QStringLiteral("derived"), {}, problem));
}

} // namespace

std::vector<VerificationCheck> verify(const QString& exportPath, const QStringList& drives) {
    std::vector<VerificationCheck> checks;
    const QString manifestPath = ExportManifest::pathFor(exportPath);
    QJsonObject manifest;
    try {
        manifest = ExportManifest::read(manifestPath);
    } catch (const FileSystemError& e) {
        checks.push_back(check(QStringLiteral("manifest"), {}, e.description()));
        return checks;
    }
    checks.push_back(check(QStringLiteral("manifest"), {}, digestProblem(manifest)));
    const QJsonObject output = manifest.value(QStringLiteral("output")).toObject();
    checks.push_back(
        check(QStringLiteral("output"), {},
              hashProblem(exportPath, output, QCoreApplication::translate("ExportVerifier", "导出的视频"))));
    checks.push_back(check(QStringLiteral("frameCount"), {}, frameCountProblem(exportPath, output)));
    if (!drives.isEmpty())
        checkSources(manifest, exportPath, drives, checks);
    return checks;
}

bool allHold(const std::vector<VerificationCheck>& checks) {
    return std::all_of(checks.begin(), checks.end(), [](const VerificationCheck& c) { return c.ok; });
}

} // namespace orvane::ExportVerifier
