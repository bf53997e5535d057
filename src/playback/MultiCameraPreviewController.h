#pragma once

// The camera grid preview (four cells, or six for cars with pillar cameras) and its cells.
// Interface thread only.

#include "PreviewController.h"

#include <QObject>
#include <QPointer>
#include <array>
#include <map>
#include <memory>
#include <optional>

class QVideoSink;

namespace orvane {

// One cell of the grid.
struct CameraSlot {
    CameraAngle angle = CameraAngle::front;
    std::optional<TeslaVideoFile> video;
    std::shared_ptr<media::AbstractMediaPlayer> player; // absent without a video
    bool isLoading = false;
    std::optional<PlaybackProblem> problem; // its file cannot be read, or stopped short
};

// Plays the cameras of one minute side by side, one player per cell, on one time line:
// every seek lands in all cells before playback (re)starts, so the cells run in step.
// Lives on the interface thread; fields notify only when they change.
class MultiCameraPreviewController : public PreviewController {
    Q_OBJECT
    // The grid's views make this many cells once and hide those its layout leaves out.
    Q_PROPERTY(int cellCapacity READ cellCapacity CONSTANT)

public:
    // The most cells a grid has.
    static constexpr size_t maximumCells = Camera::sixGridOrder.size();

    explicit MultiCameraPreviewController(QObject* parent = nullptr);
    explicit MultiCameraPreviewController(PreviewEnvironment environment, QObject* parent = nullptr);
    ~MultiCameraPreviewController() override;

    // Each camera's newest file (files without a camera are ignored).
    static std::map<CameraAngle, TeslaVideoFile> videosByAngle(const std::vector<TeslaVideoFile>& videos);
    // The grid's files in grid order: the focus file's minute, else the minute with the most
    // cameras (the later one on a tie).
    static std::vector<TeslaVideoFile> videosForGrid(const std::vector<TeslaVideoFile>& videos,
                                                     const std::optional<TeslaVideoFile>& focus);

    const std::vector<CameraSlot>& cameraSlots() const { return slots_; }
    static int cellCapacity() { return int(maximumCells); }
    Camera::GridLayout gridLayout() const { return layout_; }
    int expectedLoadCount() const { return expectedLoadCount_; }
    media::AbstractMediaPlayer* masterPlayer() const { return masterPlayer_; }
    // The sink of grid cell `cell` (0 … maximumCells − 1); kept across steps.
    Q_INVOKABLE void setVideoSink(int cell, QVideoSink* sink);
    // The width in device pixels a cell shows its picture at; playing pictures are reduced to it.
    Q_INVOKABLE void setShownWidth(int pixels);

    void seekAll(double time, bool resumeIfPlaying, std::function<void()> completion = {});

signals:
    void cameraSlotsChanged();

private:
    bool hasItem() const override;
    bool playersPlaying() const override;
    void pausePlayers() override;
    void playPlayers() override;
    void applyRate(float rate) override;
    void stopObservers() override;
    void loadStep(int index, double localTime, bool resumeIfPlaying) override;
    void seekInStep(double localTime, bool resumeIfPlaying, std::function<void()> completion) override;
    void scrubInStep(double localTime) override;
    void releasePlayers() override;
    void lastStepEnded() override;
    void nextStepLoading() override;

    void markSlotLoaded(int index, double localTime, bool resumeIfPlaying);
    void markSlotUnreadable(int index);
    void cellStoppedShort(int index, double itemTime);
    void chooseMaster();
    CameraSlot openCell(size_t cell, const TeslaVideoFile& video, double localTime, bool resumeIfPlaying);
    void replaceSlots(std::vector<CameraSlot> cells);
    void setupTimeObserver();
    static std::vector<CameraSlot> emptySlots(Camera::GridLayout layout);

    Camera::GridLayout layout_ = Camera::GridLayout::four;
    std::vector<CameraSlot> slots_ = emptySlots(layout_);
    QMetaObject::Connection timeObserver_;
    std::vector<QMetaObject::Connection> statusObservers_;
    std::vector<QMetaObject::Connection> endObservers_;
    media::AbstractMediaPlayer* masterPlayer_ = nullptr;
    int expectedLoadCount_ = 0;
    int shownWidth_ = 0;
    std::array<QPointer<QVideoSink>, maximumCells> sinks_;
};

} // namespace orvane
