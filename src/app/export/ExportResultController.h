#pragma once
// The export result page's state and actions: plays the exported file, steps frames, captures
// still frames off the interface thread and saves them as PNG files. Interface thread; QML
// creates one per page and it lives as long as the page.

#include "ExportCaptureList.h"
#include "ExportTimeline.h"
#include "FrameCapture.h"

#include <QObject>
#include <QUrl>
#include <QVariant>
#include <QVideoSink>
#include <QtQml/qqmlregistration.h>
#include <cmath>
#include <memory>

namespace orvane {

namespace media {
class MediaPlayer;
}

class ExportResultController : public QObject {
    Q_OBJECT
    QML_ELEMENT

    // Inputs from the export result.
    Q_PROPERTY(QUrl videoUrl READ videoUrl WRITE setVideoUrl NOTIFY videoUrlChanged)
    // Captures go to the photo library (Pictures) instead of the video's folder.
    Q_PROPERTY(bool outputToPhotosLibrary READ outputToPhotosLibrary WRITE setOutputToPhotosLibrary NOTIFY
                   outputToPhotosLibraryChanged)
    // Wall-clock time (seconds since 1970) of the video's first frame; NaN when unknown.
    Q_PROPERTY(double videoStartDate READ videoStartDate WRITE setVideoStartDate NOTIFY videoStartDateChanged)
    // The export's ExportTimeline, passed through QML untouched; names captures of splices
    // after their own recording time. Wins over videoStartDate when set.
    Q_PROPERTY(QVariant timeline READ timeline WRITE setTimeline NOTIFY timelineChanged)

    // Where the exported file is, in full.
    Q_PROPERTY(QString videoPath READ videoPath NOTIFY videoUrlChanged)
    // Page state.
    Q_PROPERTY(bool isReady READ isReady NOTIFY isReadyChanged)
    Q_PROPERTY(
        QString videoUnavailableMessage READ videoUnavailableMessage NOTIFY videoUnavailableMessageChanged)
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY isPlayingChanged)
    Q_PROPERTY(double currentTime READ currentTime NOTIFY currentTimeChanged)
    Q_PROPERTY(double duration READ duration NOTIFY durationChanged)
    Q_PROPERTY(bool isScrubbing READ isScrubbing NOTIFY isScrubbingChanged)
    Q_PROPERTY(bool isCapturing READ isCapturing NOTIFY isCapturingChanged)
    Q_PROPERTY(bool isSavingCaptures READ isSavingCaptures NOTIFY isSavingCapturesChanged)
    Q_PROPERTY(ExportCaptureList* captures READ captures CONSTANT)
    // Empty when there is none; shown in an alert titled operationErrorTitle.
    Q_PROPERTY(QString captureError READ captureError NOTIFY captureErrorChanged)
    Q_PROPERTY(QString operationErrorTitle READ operationErrorTitle NOTIFY operationErrorTitleChanged)
    Q_PROPERTY(QString saveMessage READ saveMessage NOTIFY saveMessageChanged)

public:
    // "Playing" counts as at the end within this much of the duration.
    static constexpr double endThreshold = 0.05;

    explicit ExportResultController(QObject* parent = nullptr);
    ~ExportResultController() override;

    QUrl videoUrl() const { return videoUrl_; }
    void setVideoUrl(const QUrl& url);
    bool outputToPhotosLibrary() const { return outputToPhotosLibrary_; }
    void setOutputToPhotosLibrary(bool value);
    double videoStartDate() const { return videoStartDate_; }
    void setVideoStartDate(double value);
    QVariant timeline() const { return timeline_; }
    void setTimeline(const QVariant& value);

    bool isReady() const { return isReady_; }
    QString videoUnavailableMessage() const { return videoUnavailableMessage_; }
    bool isPlaying() const { return isPlaying_; }
    double currentTime() const { return currentTime_; }
    double duration() const { return duration_; }
    bool isScrubbing() const { return isScrubbing_; }
    bool isCapturing() const { return isCapturing_; }
    bool isSavingCaptures() const { return isSavingCaptures_; }
    ExportCaptureList* captures() const { return captures_; }
    QString captureError() const { return captureError_; }
    QString operationErrorTitle() const { return operationErrorTitle_; }
    QString saveMessage() const { return saveMessage_; }

    // The file path of videoUrl, the destination and timeline the captures are saved with.
    QString videoPath() const;
    OutputDestination captureDestination() const;
    ExportTimeline captureTimeline() const;
    // Replaces the decoder that captures read from (tests).
    void setFrameSource(FrameCapture::FrameSource source) { frameSource_ = std::move(source); }

    Q_INVOKABLE void setVideoSink(QVideoSink* sink);
    Q_INVOKABLE void togglePlayback();
    Q_INVOKABLE void beginScrub();
    Q_INVOKABLE void scrub(double time);
    Q_INVOKABLE void endScrub();
    Q_INVOKABLE void stepFrame(int count);
    Q_INVOKABLE void captureCurrentFrame();
    Q_INVOKABLE void removeCapture(int row);
    Q_INVOKABLE void saveAllCaptures();
    Q_INVOKABLE void dismissCaptureError();
    // Puts the exported file's path on the clipboard.
    Q_INVOKABLE void copyPath() const;

signals:
    void videoUrlChanged();
    void outputToPhotosLibraryChanged();
    void videoStartDateChanged();
    void timelineChanged();
    void isReadyChanged();
    void videoUnavailableMessageChanged();
    void isPlayingChanged();
    void currentTimeChanged();
    void durationChanged();
    void isScrubbingChanged();
    void isCapturingChanged();
    void isSavingCapturesChanged();
    void captureErrorChanged();
    void operationErrorTitleChanged();
    void saveMessageChanged();

private:
    void onItemStatus();
    void onPeriodicTime(double time);
    void finishCapture(const ExportedFrameCapture& capture, const QImage& thumbnail, const QString& error);

    template <typename T> void assign(T& field, const T& value, void (ExportResultController::*changed)());

    std::unique_ptr<media::MediaPlayer> player_;
    ExportCaptureList* captures_;
    FrameCapture::FrameSource frameSource_;
    QUrl videoUrl_;
    bool outputToPhotosLibrary_ = false;
    double videoStartDate_ = std::nan("");
    QVariant timeline_;
    bool isReady_ = false;
    QString videoUnavailableMessage_;
    bool isPlaying_ = false;
    double currentTime_ = 0;
    double duration_ = 0;
    bool isScrubbing_ = false;
    bool wasPlayingBeforeScrub_ = false;
    bool isCapturing_ = false;
    bool isSavingCaptures_ = false;
    QString captureError_;
    QString operationErrorTitle_;
    QString saveMessage_;
};

} // namespace orvane
