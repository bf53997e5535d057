#pragma once
// The merge editor's state: picking saved events (in the browser) or minutes of the open event
// (in the preview), turning the picks into items with their measured lengths on the merge
// camera, and editing their kept ranges, order and camera; it owns the editor's player.
// Interface thread only; preparing the items runs on the application's file pool, and a
// preparation that a newer one or a cancel superseded opens nothing.

#include "LatestRequest.h"
#include "MergeItemListModel.h"
#include "PlaybackTypes.h"
#include "PreviewServices.h"
#include "VideoMergeItem.h"

#include <QObject>
#include <QSet>
#include <QStringList>
#include <QUuid>
#include <QtQml/qqmlregistration.h>
#include <vector>

namespace orvane {

class AppMessages;
class LibraryViewModel;
class PreviewViewModel;

class MergeViewModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application's MainViewModel owns the merge editor")
    Q_PROPERTY(bool isMergeEditorPresented READ isMergeEditorPresented NOTIFY isMergeEditorPresentedChanged)
    Q_PROPERTY(bool isPreparingMerge READ isPreparingMerge NOTIFY isPreparingMergeChanged)
    // How many saved events are picked in the browser, and the button that goes on with them.
    Q_PROPERTY(int mergeSelectedEventCount READ mergeSelectedEventCount NOTIFY mergeSelectedEventIDsChanged)
    Q_PROPERTY(QString mergeNextTitle READ mergeNextTitle NOTIFY mergeSelectedEventIDsChanged)
    // An export runs: the splice cannot be exported until it ends.
    Q_PROPERTY(bool isExportBusy READ isExportBusy NOTIFY isExportBusyChanged)
    Q_PROPERTY(orvane::MergeItemListModel* mergeItems READ mergeItemsModel CONSTANT)
    Q_PROPERTY(QString mergeCameraAngle READ mergeCameraAngle NOTIFY mergeCameraAngleChanged)
    // The editor's own player: one item's whole playlist at a time.
    Q_PROPERTY(orvane::VideoPreviewController* mergePreview READ mergePreview CONSTANT)

public:
    MergeViewModel(const PreviewServices& services, AppMessages& messages, LibraryViewModel& library,
                   PreviewViewModel& preview, QObject* parent = nullptr);

    // --- Picking saved events (the browser) ---
    // "拼接": leaves the deletion selection and shows the saved events to pick from.
    Q_INVOKABLE void startMergeSelection();
    void toggleMergeEvent(const QString& eventID);
    Q_INVOKABLE void cancelMergeSelection();
    // --- Picking minutes of the open event (the preview) ---
    void startSegmentMergeSelection();
    void toggleMergeSegment(const QString& timestampKey);
    void cancelSegmentMergeSelection();
    // "下一步": the picks become items; the editor opens once they are measured.
    Q_INVOKABLE void prepareMergeEditor();
    void closeMergeEditor();

    // --- Editing ---
    void setMergeCameraAngle(const QString& camera);
    void moveMergeItemUp(const QString& itemID);
    void moveMergeItemDown(const QString& itemID);
    void setMergeRangeStart(double seconds, const QString& itemID);
    void setMergeRangeEnd(double seconds, const QString& itemID);
    // Plays an item's files in the merge player from `initialTime` (on the item's own time line).
    void loadMergePreview(const QString& itemID, double initialTime, bool resumePlayback);

    // --- What other features tell it, and what it asks of them ---
    void setExportBusy(bool busy);
    // Exports the splice (the root view model hands it to the export).
    void requestExport() { emit exportRequested(); }
    // A category other than the saved clips ends the event selection.
    void leaveCategory(ClipCategory category);
    // Events that left the library are no longer picked.
    void forgetEvents(const QSet<QUuid>& ids);

    // --- Reads ---
    bool isMergeSelectionMode() const { return isMergeSelectionMode_; }
    bool isSegmentMergeSelectionMode() const { return isSegmentMergeSelectionMode_; }
    bool isMergeEditorPresented() const { return isMergeEditorPresented_; }
    bool isPreparingMerge() const { return isPreparingMerge_; }
    const std::vector<QUuid>& mergeSelectedEventIDs() const { return mergeSelectedEventIDs_; }
    int mergeSelectedEventCount() const { return int(mergeSelectedEventIDs_.size()); }
    // "下一步（n）"
    QString mergeNextTitle() const;
    bool isExportBusy() const { return isExportBusy_; }
    const QStringList& mergeSelectedTimestampKeys() const { return mergeSelectedTimestampKeys_; }
    const std::vector<VideoMergeItem>& mergeItems() const { return mergeItems_; }
    MergeItemListModel* mergeItemsModel() const { return mergeItemsModel_; }
    QString mergeCameraAngle() const { return Camera::rawValue(mergeCameraAngle_); }
    CameraAngle mergeCameraAngleValue() const { return mergeCameraAngle_; }
    VideoPreviewController* mergePreview() const { return mergePreview_; }

signals:
    void isMergeSelectionModeChanged();
    void isSegmentMergeSelectionModeChanged();
    void mergeSelectedEventIDsChanged();
    void mergeSelectedTimestampKeysChanged();
    void mergeItemsChanged();
    void mergeCameraAngleChanged();
    void isMergeEditorPresentedChanged();
    void isPreparingMergeChanged();
    void isExportBusyChanged();
    void exportRequested();

private:
    using Items = std::vector<VideoMergeItem>;

    void prepareEventMerge();
    void prepareSegmentMerge();
    // Starts preparing items in the background; `opened` decides what the result opens.
    template <typename Work, typename Opened> void prepare(Work work, Opened opened);
    VideoMergeItem* findMergeItem(const QString& itemID);
    void itemChanged();
    void setMergeSelectionMode(bool value);
    void setSegmentMergeSelectionMode(bool value);
    void setMergeSelectedEventIDs(std::vector<QUuid> ids);
    void setMergeSelectedTimestampKeys(QStringList keys);
    void setMergeItems(Items items);
    void setMergeCameraAngleValue(CameraAngle camera);
    void setMergeEditorPresented(bool value);
    void setPreparingMerge(bool value);

    PreviewServices services_;
    AppMessages& messages_;
    LibraryViewModel& library_;
    PreviewViewModel& preview_;
    LatestRequest preparation_;
    bool isMergeSelectionMode_ = false;
    bool isSegmentMergeSelectionMode_ = false;
    std::vector<QUuid> mergeSelectedEventIDs_;
    QStringList mergeSelectedTimestampKeys_;
    Items mergeItems_;
    CameraAngle mergeCameraAngle_ = CameraAngle::front;
    bool isMergeEditorPresented_ = false;
    bool isPreparingMerge_ = false;
    bool isExportBusy_ = false;
    MergeItemListModel* mergeItemsModel_;
    VideoPreviewController* mergePreview_;
};

} // namespace orvane
