#pragma once
// The merge editor's page logic: one page per item to choose the part kept, then a review page
// that plays every kept part in output order; which item the preview shows and from where, the
// stop at a kept part's end, the review time line and the page's texts. It drives the view
// model's merge player, which plays an item's whole playlist. Interface thread; the editor
// view creates one and it lives as long as the view.

#include "ChoiceListModel.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <cmath>
#include <optional>
#include <vector>

namespace orvane {

class MergeViewModel;
class VideoPreviewController;
struct VideoMergeItem;

class MergeEditorController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_MOC_INCLUDE("MergeViewModel.h")
    Q_PROPERTY(orvane::MergeViewModel* merge READ merge WRITE setMerge NOTIFY mergeChanged)
    // The six cameras.
    Q_PROPERTY(orvane::ChoiceListModel* cameraOptions READ cameraOptions CONSTANT)
    // 0 … n−1: the range page of item k; n (the number of items): the review page.
    Q_PROPERTY(int stepIndex READ stepIndex NOTIFY pageChanged)
    Q_PROPERTY(int reviewItemIndex READ reviewItemIndex NOTIFY pageChanged)
    Q_PROPERTY(int itemCount READ itemCount NOTIFY pageChanged)
    Q_PROPERTY(bool isReviewPage READ isReviewPage NOTIFY pageChanged)
    // The item the preview shows; its row in mergeItems is -1 without one.
    Q_PROPERTY(bool hasPreviewItem READ hasPreviewItem NOTIFY pageChanged)
    Q_PROPERTY(int previewRow READ previewRow NOTIFY pageChanged)
    Q_PROPERTY(double previewItemDuration READ previewItemDuration NOTIFY pageChanged)
    Q_PROPERTY(double previewRangeStart READ previewRangeStart NOTIFY pageChanged)
    Q_PROPERTY(double previewRangeEnd READ previewRangeEnd NOTIFY pageChanged)
    // The sum of every item's kept length.
    Q_PROPERTY(double totalSelectedDuration READ totalSelectedDuration NOTIFY pageChanged)
    // Where the review stands on the whole spliced time line.
    Q_PROPERTY(double reviewCurrentTime READ reviewCurrentTime NOTIFY timeChanged)
    // Where the next loaded preview starts (NaN: at the item's range start) and whether it plays.
    Q_PROPERTY(double pendingPreviewTime READ pendingPreviewTimeValue NOTIFY pageChanged)
    Q_PROPERTY(bool pendingResumePlayback READ pendingResumePlayback NOTIFY pageChanged)
    // Texts.
    Q_PROPERTY(QString title READ title NOTIFY pageChanged)
    Q_PROPERTY(QString hint READ hint NOTIFY pageChanged)
    Q_PROPERTY(QString footerText READ footerText NOTIFY pageChanged)
    Q_PROPERTY(QString actionTitle READ actionTitle NOTIFY pageChanged)
    Q_PROPERTY(QString rangeStartTitle READ rangeStartTitle NOTIFY timeChanged)
    Q_PROPERTY(QString rangeEndTitle READ rangeEndTitle NOTIFY timeChanged)
    Q_PROPERTY(QString keptText READ keptText NOTIFY pageChanged)

public:
    // Play pressed this close to a kept end counts as at the end.
    static constexpr double endThreshold = 0.05;

    explicit MergeEditorController(QObject* parent = nullptr);

    MergeViewModel* merge() const { return merge_; }
    void setMerge(MergeViewModel* merge);
    ChoiceListModel* cameraOptions() const { return cameraOptions_; }
    int stepIndex() const { return stepIndex_; }
    int reviewItemIndex() const { return reviewItemIndex_; }
    int itemCount() const;
    bool isReviewPage() const;
    bool hasPreviewItem() const { return previewItem() != nullptr; }
    int previewRow() const;
    double previewItemDuration() const;
    double previewRangeStart() const;
    double previewRangeEnd() const;
    double totalSelectedDuration() const;
    double reviewCurrentTime() const;
    std::optional<double> pendingPreviewTime() const { return pendingPreviewTime_; }
    double pendingPreviewTimeValue() const { return pendingPreviewTime_.value_or(std::nan("")); }
    bool pendingResumePlayback() const { return pendingResumePlayback_; }
    QString title() const;
    QString hint() const;
    QString footerText() const;
    QString actionTitle() const;
    QString rangeStartTitle() const;
    QString rangeEndTitle() const;
    QString keptText() const;

    // The header's back button: the previous page, or closes the editor from the first.
    Q_INVOKABLE void goBack();
    // The footer's button: "下一段", "查看拼接预览" or "开始拼接".
    Q_INVOKABLE void performAction();
    Q_INVOKABLE void togglePreviewPlayback();
    // The review slider: the item and local time for a point of the spliced time line.
    Q_INVOKABLE void seekReview(double time);
    // ← / →: five seconds back or on, inside the item on a range page, along the splice on the
    // review page; playing goes on.
    Q_INVOKABLE void skipBack();
    Q_INVOKABLE void skipForward();
    // , / .: one frame back or on inside the item shown; pauses first.
    Q_INVOKABLE void stepFrame(int count);
    // The range page's slider.
    Q_INVOKABLE void beginScrub();
    Q_INVOKABLE void scrub(double time);
    Q_INVOKABLE void endScrub();
    // The range page's "开始"/"结束": the kept part starts or ends at the preview's position
    // (nothing on the review page).
    Q_INVOKABLE void setRangeStartHere();
    Q_INVOKABLE void setRangeEndHere();
    Q_INVOKABLE void moveItemUp(int row);
    Q_INVOKABLE void moveItemDown(int row);
    Q_INVOKABLE void selectCamera(const QString& camera);
    // "00:12 – 00:45".
    Q_INVOKABLE static QString rangeText(double rangeStart, double rangeEnd);
    // The review list's texts for a row: "片段 2", "00:12 – 00:45 · 保留 00:33".
    Q_INVOKABLE static QString reviewItemTitle(int number);
    Q_INVOKABLE static QString keptRangeText(double rangeStart, double rangeEnd);

signals:
    void mergeChanged();
    void pageChanged();
    void timeChanged();

private:
    const std::vector<VideoMergeItem>& items() const;
    const VideoMergeItem* previewItem() const;
    VideoPreviewController* preview() const;
    void pausePreview();
    void setPage(int stepIndex, int reviewItemIndex);
    void startSession();
    void itemsChanged();
    void loadPreviewIfNeeded();
    void previewTimeChanged();
    void previewPlayingChanged();
    void reachedRangeEnd(const VideoMergeItem& item);
    void advanceReview();
    void skip(double seconds);
    void seekReviewTo(double time, bool resume);
    // Shows review item `index` from `time`: a seek when it is already loaded, else a load.
    void showReviewItem(int index, double time, bool resume);

    QPointer<MergeViewModel> merge_;
    ChoiceListModel* cameraOptions_;
    int stepIndex_ = 0;
    int reviewItemIndex_ = 0;
    std::optional<double> pendingPreviewTime_;
    bool pendingResumePlayback_ = false;
    // What the preview was last loaded for (page, item, files), so a range edit reloads nothing.
    QString loadedKey_;
    // The preview has just stopped; its next time is the end of its playlist if it ran out.
    bool previewJustStopped_ = false;
    // Reaching the end seeks, which reports a time again: that report is not a second end.
    bool handlingEnd_ = false;
};

} // namespace orvane
