// The merge editor: picking saved events or minutes, building the items with their measured
// lengths, and editing ranges, order and camera.

#include "MainViewModelPrivate.h"
#include "MergeRules.h"
#include "ObservableField.h"
#include "VideoPreviewController.h"

namespace orvane {

namespace {

using MergeItems = std::vector<VideoMergeItem>;

// One item over the merge camera's files, kept whole; none when there is no such file.
std::optional<VideoMergeItem> makeItem(const QUuid& id, const TeslaClipEvent& event,
                                       const std::vector<TeslaVideoFile>& files, CameraAngle camera,
                                       const ViewModelServices& services) {
    VideoMergeItem item;
    item.id = id;
    item.event = event;
    std::copy_if(files.begin(), files.end(), std::back_inserter(item.videos),
                 [camera](const TeslaVideoFile& v) { return v.cameraAngle == camera; });
    if (item.videos.empty())
        return std::nullopt;
    item.playlistSteps = VideoSegmentPlaylist::singleCamera(item.videos).steps;
    item.stepDurations = services.measureSteps(item.playlistSteps);
    item.rangeEnd = item.totalDuration();
    return item;
}

} // namespace

// --- Field writes ---

void MainViewModel::setMergeSelectionMode(bool value) {
    assignAndNotify(isMergeSelectionMode_, value, this, &MainViewModel::isMergeSelectionModeChanged);
}

void MainViewModel::setSegmentMergeSelectionMode(bool value) {
    assignAndNotify(isSegmentMergeSelectionMode_, value, this,
                    &MainViewModel::isSegmentMergeSelectionModeChanged);
}

void MainViewModel::setMergeSelectedEventIDs(std::vector<QUuid> ids) {
    update(mergeSelectedEventIDs_, std::move(ids), &MainViewModel::mergeSelectedEventIDsChanged);
}

void MainViewModel::setMergeSelectedTimestampKeys(QStringList keys) {
    update(mergeSelectedTimestampKeys_, std::move(keys), &MainViewModel::mergeSelectedTimestampKeysChanged);
}

void MainViewModel::setMergeItems(std::vector<VideoMergeItem> items) {
    if (items.empty() && mergeItems_.empty())
        return;
    mergeItems_ = std::move(items);
    emit mergeItemsChanged();
    touch();
}

void MainViewModel::setMergeCameraAngleValue(CameraAngle camera) {
    update(mergeCameraAngle_, std::move(camera), &MainViewModel::mergeCameraAngleChanged);
}

void MainViewModel::setMergeEditorPresented(bool value) {
    update(isMergeEditorPresented_, std::move(value), &MainViewModel::isMergeEditorPresentedChanged);
}

void MainViewModel::setPreparingMerge(bool value) {
    assignAndNotify(isPreparingMerge_, value, this, &MainViewModel::isPreparingMergeChanged);
}

// --- Selection ---

void MainViewModel::startMergeSelection() {
    if (isMergeSelectionMode_)
        return;
    const Batch batch(*this);
    cancelDeleteSelection();
    if (selectedCategory_ != ClipCategory::saved)
        selectCategory(ClipCategory::saved);
    setMergeSelectedEventIDs({});
    setMergeItems({});
    setMergeSelectionMode(true);
}

void MainViewModel::toggleMergeEvent(const QString& eventID) {
    const QUuid id(eventID);
    const auto saved = eventsByCategory_.find(ClipCategory::saved);
    if (saved == eventsByCategory_.end())
        return;
    for (const TeslaClipEvent& e : saved->second)
        if (e.id == id) {
            toggleMergeEvent(e);
            return;
        }
}

void MainViewModel::toggleMergeEvent(const TeslaClipEvent& event) {
    if (event.category != ClipCategory::saved)
        return;
    std::vector<QUuid> ids = mergeSelectedEventIDs_;
    MergeRules::toggleInOrder(ids, event.id);
    setMergeSelectedEventIDs(std::move(ids));
}

void MainViewModel::cancelMergeSelection() {
    const Batch batch(*this);
    mergePreparationToken_ = QUuid::createUuid(); // a preparation still running is no longer wanted
    setMergeSelectionMode(false);
    setMergeSelectedEventIDs({});
    setMergeItems({});
    setMergeEditorPresented(false);
    setPreparingMerge(false);
}

void MainViewModel::startSegmentMergeSelection() {
    if (!selectedEventValue() || VideoTimestampGroup::groups(videos_).size() < MergeRules::minimumPicks)
        return;
    const Batch batch(*this);
    setSegmentMergeSelectionMode(true);
    setMergeSelectedTimestampKeys({});
    setMergeItems({});
    setMergeCameraAngleValue(settings_.cameraFilter == CameraAngle::all ? CameraAngle::front
                                                                        : settings_.cameraFilter);
}

void MainViewModel::toggleMergeSegment(const QString& timestampKey) {
    if (!isSegmentMergeSelectionMode_)
        return;
    QStringList keys = mergeSelectedTimestampKeys_;
    MergeRules::toggleInOrder(keys, timestampKey);
    setMergeSelectedTimestampKeys(std::move(keys));
}

void MainViewModel::cancelSegmentMergeSelection() {
    const Batch batch(*this);
    mergePreparationToken_ = QUuid::createUuid();
    setSegmentMergeSelectionMode(false);
    setMergeSelectedTimestampKeys({});
    setMergeItems({});
    setMergeEditorPresented(false);
    setPreparingMerge(false);
}

// --- Preparing the editor ---

void MainViewModel::prepareMergeEditor() {
    if (isSegmentMergeSelectionMode_)
        prepareSegmentMerge();
    else
        prepareEventMerge();
}

QUuid MainViewModel::beginMergePreparation() {
    mergePreparationToken_ = QUuid::createUuid();
    setPreparingMerge(true);
    return mergePreparationToken_;
}

void MainViewModel::prepareEventMerge() {
    if (mergeSelectedEventIDs_.size() < MergeRules::minimumPicks) {
        setOptionalError(MergeRules::tooFewEventsMessage);
        return;
    }
    std::vector<TeslaClipEvent> events;
    const auto saved = eventsByCategory_.find(ClipCategory::saved);
    for (const QUuid& id : mergeSelectedEventIDs_)
        if (saved != eventsByCategory_.end())
            for (const TeslaClipEvent& e : saved->second)
                if (e.id == id)
                    events.push_back(e);
    const QUuid token = beginMergePreparation();
    const CameraAngle camera = mergeCameraAngle_;
    runInBackground(
        workPool_,
        [services = services_, events, camera] {
            MergeItems items;
            for (const TeslaClipEvent& event : events) {
                // An event whose folder cannot be read has no files for the camera.
                const auto files = attempt([&] { return services.loadVideos(event, camera); });
                if (files.value)
                    if (auto item = makeItem(event.id, event, *files.value, camera, services))
                        items.push_back(std::move(*item));
            }
            return items;
        },
        [this, token, camera](MergeItems items) {
            if (token != mergePreparationToken_)
                return; // the selection was cancelled meanwhile
            const Batch batch(*this);
            setPreparingMerge(false);
            if (items.size() < MergeRules::minimumPicks) {
                setOptionalError(MergeRules::eventsMissingCameraMessage(camera));
                return;
            }
            setMergeItems(std::move(items));
            setMergeSelectionMode(false);
            setMergeEditorPresented(true);
        });
}

void MainViewModel::prepareSegmentMerge() {
    const auto event = selectedEventValue();
    if (!event)
        return;
    if (size_t(mergeSelectedTimestampKeys_.size()) < MergeRules::minimumPicks) {
        setOptionalError(MergeRules::tooFewSegmentsMessage);
        return;
    }
    const auto groups = VideoTimestampGroup::groups(videos_);
    std::vector<VideoTimestampGroup> picked;
    for (const QString& key : mergeSelectedTimestampKeys_) {
        const auto found = std::find_if(groups.begin(), groups.end(),
                                        [&](const VideoTimestampGroup& g) { return g.id == key; });
        if (found == groups.end()) {
            setOptionalError(MergeRules::segmentsChangedMessage);
            return;
        }
        picked.push_back(*found);
    }
    const QUuid token = beginMergePreparation();
    const CameraAngle camera = mergeCameraAngle_;
    runInBackground(
        workPool_,
        [services = services_, picked, event = *event, camera] {
            MergeItems items;
            for (const VideoTimestampGroup& group : picked)
                if (auto item = makeItem(QUuid::createUuid(), event, group.videos, camera, services))
                    items.push_back(std::move(*item));
            return items;
        },
        [this, token, camera, wanted = picked.size()](MergeItems items) {
            if (token != mergePreparationToken_ || !isSegmentMergeSelectionMode_)
                return;
            const Batch batch(*this);
            setPreparingMerge(false);
            if (items.size() != wanted) {
                setOptionalError(MergeRules::segmentsMissingCameraMessage(camera));
                return;
            }
            setMergeItems(std::move(items));
            setMergeEditorPresented(true);
        });
}

void MainViewModel::closeMergeEditor() {
    const Batch batch(*this);
    mergePreview_->stop();
    setMergeEditorPresented(false);
    if (!isSegmentMergeSelectionMode_)
        setMergeSelectionMode(true);
}

// --- Editing ---

void MainViewModel::setMergeCameraAngle(const QString& camera) {
    const auto parsed = Camera::fromRawValue(camera);
    if (!parsed || *parsed == CameraAngle::all || *parsed == mergeCameraAngle_)
        return;
    if (isSegmentMergeSelectionMode_) {
        for (const VideoTimestampGroup& g : VideoTimestampGroup::groups(videos_)) {
            if (!mergeSelectedTimestampKeys_.contains(g.id))
                continue;
            if (std::none_of(g.videos.begin(), g.videos.end(),
                             [&](const TeslaVideoFile& v) { return v.cameraAngle == *parsed; })) {
                setOptionalError(MergeRules::cameraChangeMissingMessage(*parsed));
                return;
            }
        }
    }
    const Batch batch(*this);
    setMergeCameraAngleValue(*parsed);
    prepareMergeEditor();
}

VideoMergeItem* MainViewModel::findMergeItem(const QString& itemID) {
    const QUuid id(itemID);
    const auto found = std::find_if(mergeItems_.begin(), mergeItems_.end(),
                                    [&](const VideoMergeItem& i) { return i.id == id; });
    return found == mergeItems_.end() ? nullptr : &*found;
}

void MainViewModel::moveMergeItemUp(const QString& itemID) {
    std::vector<VideoMergeItem> items = mergeItems_;
    if (MergeRules::moveItem(items, QUuid(itemID), -1))
        setMergeItems(std::move(items));
}

void MainViewModel::moveMergeItemDown(const QString& itemID) {
    std::vector<VideoMergeItem> items = mergeItems_;
    if (MergeRules::moveItem(items, QUuid(itemID), +1))
        setMergeItems(std::move(items));
}

void MainViewModel::setMergeRangeStart(double seconds, const QString& itemID) {
    VideoMergeItem* item = findMergeItem(itemID);
    if (!item)
        return;
    const double value = MergeRules::clampedRangeStart(seconds, item->rangeEnd);
    if (value == item->rangeStart)
        return;
    item->rangeStart = value;
    emit mergeItemsChanged();
    touch();
}

void MainViewModel::setMergeRangeEnd(double seconds, const QString& itemID) {
    VideoMergeItem* item = findMergeItem(itemID);
    if (!item)
        return;
    const double value = MergeRules::clampedRangeEnd(seconds, item->rangeStart, item->totalDuration());
    if (value == item->rangeEnd)
        return;
    item->rangeEnd = value;
    emit mergeItemsChanged();
    touch();
}

void MainViewModel::loadMergePreview(const QString& itemID, double initialTime, bool resumePlayback) {
    const VideoMergeItem* item = findMergeItem(itemID);
    if (!item || item->videos.empty())
        return;
    const VideoSegmentPlaylist playlist = VideoSegmentPlaylist::singleCamera(item->videos);
    if (mergePreview_->loadedPlaylistSignature() == playlist.signature)
        mergePreview_->seek(initialTime, resumePlayback);
    else
        mergePreview_->loadPlaylist(playlist, initialTime, resumePlayback);
}

} // namespace orvane
