#include "ReadableFootage.h"

#include "MediaErrorText.h"
#include "MediaProbe.h"
#include "ReadableSpan.h"

#include <QCoreApplication>
#include <algorithm>

namespace orvane::ReadableFootage {

namespace {

QString cutShortText(double seconds) {
    return QCoreApplication::translate("ReadableFootage", "录像在第 %1 秒中断").arg(seconds, 0, 'f', 1);
}

// The file as far as its index goes, or why it cannot be read at all (none).
std::optional<media::ReadableSpan> spanOf(const TeslaVideoFile& video, const QString& path, QString& why) {
    try {
        return media::readableSpan(path);
    } catch (const media::ReadRefusedError& e) {
        throw unreadableSource(video.fileName, e.reason());
    } catch (const media::EncryptedClipError&) {
        throw GPUVideoExporterError::encryptedSource();
    } catch (const media::MediaError& e) {
        why = media::userText(e);
    }
    return std::nullopt;
}

} // namespace

QString damagedText() {
    return media::readFailureText(0);
}

GPUVideoExporterError unreadableSource(const QString& fileName, const QString& reason) {
    return GPUVideoExporterError::exportFailed(
        QCoreApplication::translate("GPUVideoExporter", "无法读取源视频 ") + fileName + QStringLiteral(": ") +
        reason);
}

void leaveOut(const TeslaVideoFile& video, double asked, const QString& reason, SkippedList& skipped) {
    skipped.push_back({video, SkippedFootage::Kind::leftOut, asked, 0, reason});
}

Exportable check(const TeslaVideoFile& video, const QString& path, double trimStart, double trimDuration,
                 SkippedList& skipped) {
    const double start = std::max(trimStart, 0.0);
    QString why;
    const auto span = spanOf(video, path, why);
    if (!span) {
        leaveOut(video, std::max(trimDuration, 0.0), why, skipped);
        return {std::max(trimDuration, 0.0), std::nullopt, false};
    }
    const double asked = trimDuration > 0 ? trimDuration : std::max(span->indexedLength - start, 0.0);
    const double available = span->readableLength - start;
    if (!span->cutShort() || !media::endsEarly(start + asked, span->readableLength, span->frameDuration))
        return {asked, std::max(trimDuration, 0.0)};
    if (available < span->frameDuration) {
        leaveOut(video, asked, cutShortText(span->readableLength), skipped);
        return {asked, std::nullopt};
    }
    skipped.push_back(
        {video, SkippedFootage::Kind::cutShort, asked, available, cutShortText(span->readableLength)});
    // Half a picture short of the first one not on disk: a cut rounded to milliseconds never takes
    // its broken remains.
    return {asked, available - span->frameDuration / 2};
}

std::vector<GridExportSegment> readableGrid(const std::vector<GridExportSegment>& segments,
                                            SkippedList& skipped, double& asked) {
    std::vector<GridExportSegment> result;
    for (const GridExportSegment& segment : segments) {
        asked += std::max(segment.trimDuration, 0.0);
        GridExportSegment readable{{}, segment.trimStart, segment.trimDuration};
        double longest = 0;
        for (const TeslaVideoFile& video : segment.videos) {
            const Exportable part = check(video, video.url, segment.trimStart, segment.trimDuration, skipped);
            if (!part.length)
                continue;
            readable.videos.push_back(video);
            longest = std::max(longest, *part.length > 0 ? *part.length : part.asked);
        }
        if (readable.videos.empty())
            continue;
        if (segment.trimDuration > 0)
            readable.trimDuration = std::min(segment.trimDuration, longest);
        result.push_back(std::move(readable));
    }
    return result;
}

GPUVideoExporterError nothingReadable(const SkippedList& skipped) {
    QString text = QCoreApplication::translate("ReadableFootage", "所选的录像都无法读取");
    if (!skipped.empty())
        text += QStringLiteral(": ") + skipped.front().video.fileName + QStringLiteral(": ") +
                skipped.front().reason;
    return GPUVideoExporterError::exportFailed(text);
}

} // namespace orvane::ReadableFootage
