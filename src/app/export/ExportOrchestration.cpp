#include "ExportOrchestration.h"

#include "ExportPlanner.h"
#include "FileName.h"
#include "LibraryRules.h"
#include "MinuteGroups.h"
#include "VideoSegmentPlaylist.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <numeric>

namespace orvane::ExportOrchestration {

namespace {

const QString fileNameTimePattern = QStringLiteral("yyyy-MM-dd_HH-mm-ss");
const QString watermarkedSuffix = QStringLiteral("_watermarked.mp4");

std::optional<double> validStart(const ExportSelection& s) {
    return isRangeValid(s) ? s.rangeStart : std::nullopt;
}
std::optional<double> validEnd(const ExportSelection& s) {
    return isRangeValid(s) ? s.rangeEnd : std::nullopt;
}

// The minute a one-minute grid export shows, and its files.
std::optional<QString> gridMinuteKey(const ExportSelection& s) {
    if (s.selectedTimestampKey)
        return s.selectedTimestampKey;
    if (s.selectedVideo)
        return TeslaVideoFile::timestampKey(s.selectedVideo->fileName);
    return std::nullopt;
}

double gridMinuteDuration(const ExportSelection& s) {
    return s.multiCameraDuration > 0 ? s.multiCameraDuration : fallbackGridDuration;
}

// The one-minute grid is named after its own minute: the event's window would claim footage
// the file does not hold.
QString minuteGridFileName(const ExportSelection& s) {
    const auto key = gridMinuteKey(s);
    const auto files = key ? filesOfMinute(s.videos, *key) : std::vector<TeslaVideoFile>{};
    const auto focus = LibraryRules::preferredExportVideo(GridExportPlanner::gridVideos(files));
    TeslaClipEvent minute = *s.selectedEvent;
    if (focus)
        minute.startTime = focus->startTime;
    const double start = validStart(s).value_or(0);
    const double end = validEnd(s).value_or(gridMinuteDuration(s));
    return minute.partialContinuousOutputFileName(CameraAngle::all, start, end);
}

} // namespace

bool isRangeValid(const ExportSelection& s) {
    return s.rangeStart && s.rangeEnd && *s.rangeStart < *s.rangeEnd;
}

CameraAngle exportCameraAngle(const ExportSelection& s) {
    return s.cameraFilter;
}

std::vector<TeslaVideoFile> exportVideos(const ExportSelection& s) {
    if (s.continuousPlaylistSteps.empty())
        return s.selectedVideo ? std::vector<TeslaVideoFile>{*s.selectedVideo}
                               : std::vector<TeslaVideoFile>{};
    // `videos` holds every camera of the event: only the chosen one's files are exported.
    if (s.cameraFilter != CameraAngle::all) {
        std::vector<TeslaVideoFile> result;
        std::copy_if(s.videos.begin(), s.videos.end(), std::back_inserter(result),
                     [&](const TeslaVideoFile& v) { return v.cameraAngle == s.cameraFilter; });
        return result;
    }
    const auto reference = s.selectedVideo ? s.selectedVideo : LibraryRules::preferredExportVideo(s.videos);
    if (!reference || !reference->cameraAngle)
        return {};
    std::vector<TeslaVideoFile> result;
    std::copy_if(s.videos.begin(), s.videos.end(), std::back_inserter(result),
                 [&](const TeslaVideoFile& v) { return v.cameraAngle == reference->cameraAngle; });
    return result;
}

ExportPlan buildExportPlan(const ExportSelection& s) {
    ExportPlan plan;
    const bool hasSteps = !s.continuousPlaylistSteps.empty();
    if (s.isMergeEditorPresented) {
        plan.segments = buildMergeExportSegments(s.mergeItems);
        plan.isContinuous = true;
    } else if (s.cameraFilter == CameraAngle::all) {
        plan.gridSegments = buildGridExportSegments(s);
        plan.isContinuous = hasSteps;
    } else if (hasSteps) {
        plan.segments = buildContinuousExportSegments(s, exportVideos(s));
        plan.isContinuous = true;
    } else if (s.selectedVideo) {
        plan = ExportPlanner::plan(ExportRequest::singleFile(*s.selectedVideo, validStart(s), validEnd(s)),
                                   {}, {});
    }
    return plan;
}

std::vector<ContinuousExportSegment>
buildContinuousExportSegments(const ExportSelection& s, const std::vector<TeslaVideoFile>& videos) {
    return ExportPlanner::plan(ExportRequest::continuous(videos, validStart(s), validEnd(s)),
                               s.continuousPlaylistSteps, s.continuousStepDurations)
        .segments;
}

std::vector<ContinuousExportSegment> buildMergeExportSegments(const std::vector<VideoMergeItem>& items) {
    std::vector<ContinuousExportSegment> result;
    QSet<QString> taken;
    for (const VideoMergeItem& item : items) {
        const ExportPlan plan =
            ExportPlanner::plan(ExportRequest::continuous(item.videos, item.rangeStart, item.rangeEnd),
                                item.playlistSteps, item.stepDurations);
        for (const ContinuousExportSegment& segment : plan.segments) {
            const QString key = TeslaVideoFile::timestampKey(segment.video.fileName);
            if (taken.contains(key))
                continue;
            taken.insert(key);
            result.push_back(segment);
        }
    }
    return result;
}

std::vector<GridExportSegment> buildGridExportSegments(const ExportSelection& s) {
    if (!s.continuousPlaylistSteps.empty())
        return ExportPlanner::plan(ExportRequest::grid(s.videos, validStart(s), validEnd(s)),
                                   s.continuousPlaylistSteps, s.continuousStepDurations)
            .gridSegments;
    // One minute, as the grid preview shows it: one step of the minute's grid cameras.
    const auto key = gridMinuteKey(s);
    if (!key)
        return {};
    const auto files = filesOfMinute(s.videos, *key);
    const PlaybackStep minute = PlaybackStep::multiCamera(GridExportPlanner::gridVideos(files));
    return ExportPlanner::plan(ExportRequest::grid(files, validStart(s), validEnd(s)), {minute},
                               {gridMinuteDuration(s)})
        .gridSegments;
}

ExportRequest aroundEventRequest(const ExportSelection& s) {
    if (s.cameraFilter == CameraAngle::all)
        return ExportRequest::grid(s.videos);
    std::vector<TeslaVideoFile> camera;
    std::copy_if(s.videos.begin(), s.videos.end(), std::back_inserter(camera),
                 [&](const TeslaVideoFile& v) { return v.cameraAngle == s.cameraFilter; });
    return ExportRequest::continuous(std::move(camera));
}

QString aroundEventFileName(const TeslaClipEvent& event, CameraAngle camera, Instant from, Instant until) {
    TeslaClipEvent window = event;
    window.startTime = from;
    return window.partialContinuousOutputFileName(camera, 0, until - from);
}

QString emptyPlanMessage(const ExportSelection& s) {
    if (s.continuousPlaylistSteps.empty())
        return QCoreApplication::translate("ExportOrchestration", "请先选择要导出的视频");
    if (isRangeValid(s))
        return QCoreApplication::translate("ExportOrchestration", "选区无效，请重新设置起点和终点");
    return QCoreApplication::translate("ExportOrchestration", "当前回放没有可导出的视频");
}

QString exportingFileName(const ExportSelection& s) {
    if (s.isMergeEditorPresented && !s.mergeItems.empty())
        return LocalTime::format(s.mergeItems.front().event.startTime, fileNameTimePattern) +
               QStringLiteral("-merged-") + Camera::rawValue(s.mergeCameraAngle) + QStringLiteral(".mp4");
    const bool hasSteps = !s.continuousPlaylistSteps.empty();
    if ((hasSteps || s.cameraFilter == CameraAngle::all) && s.selectedEvent) {
        if (!hasSteps)
            return minuteGridFileName(s);
        const CameraAngle camera = exportCameraAngle(s);
        return isRangeValid(s)
                   ? s.selectedEvent->partialContinuousOutputFileName(camera, *s.rangeStart, *s.rangeEnd)
                   : s.selectedEvent->continuousOutputFileName(camera);
    }
    if (s.cameraFilter == CameraAngle::all && s.selectedVideo)
        return TeslaVideoFile::timestampKey(s.selectedVideo->fileName) +
               QStringLiteral("_grid_watermarked.mp4");
    if (s.job)
        return s.job->video.fileName;
    if (s.selectedVideo)
        return s.selectedVideo->fileName;
    return QCoreApplication::translate("ExportOrchestration", "视频");
}

// A new file gets a name in UTF-8 even where the footage's name is not: the photo library,
// the desktop and Qt's own file functions then all reach it.
QString outputFileName(const ExportPlan& plan, const QString& exportingFileName) {
    if (!plan.isContinuous && plan.gridSegments.empty() && !plan.segments.empty())
        return FileName::display(QFileInfo(plan.primaryVideo().fileName).completeBaseName()) +
               watermarkedSuffix;
    return FileName::display(exportingFileName);
}

QString outputPath(const ExportPlan& plan, const OutputDestination& destination,
                   const QString& exportingFileName, const QString& stagingFolder) {
    const QString name = outputFileName(plan, exportingFileName);
    return QDir(destination.isFolder() ? destination.folder : stagingFolder).filePath(name);
}

} // namespace orvane::ExportOrchestration
