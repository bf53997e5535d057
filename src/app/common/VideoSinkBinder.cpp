#include "VideoSinkBinder.h"

#include "AbstractMediaPlayer.h"
#include "MultiCameraPreviewController.h"
#include "VideoPreviewController.h"

#include <QHash>

namespace orvane {

namespace {

// The binder whose sink each (target, cell) currently plays into: when a view is replaced the
// new binder may attach before the old one goes away, and the old one must not detach the new sink.
using Key = std::pair<const QObject*, int>;
QHash<Key, VideoSinkBinder*>& owners() {
    static QHash<Key, VideoSinkBinder*> map;
    return map;
}

void hand(QObject* target, int cell, QVideoSink* sink) {
    if (auto* single = qobject_cast<VideoPreviewController*>(target))
        single->setVideoSink(sink);
    else if (auto* grid = qobject_cast<MultiCameraPreviewController*>(target))
        grid->setVideoSink(cell, sink);
    else if (auto* player = qobject_cast<media::AbstractMediaPlayer*>(target))
        player->setVideoSink(sink);
    else
        QMetaObject::invokeMethod(target, "setVideoSink", Qt::DirectConnection, Q_ARG(QVideoSink*, sink));
}

// Only the grid controller tells its sinks apart by cell.
int cellKey(const QObject* target, int cell) {
    return qobject_cast<const MultiCameraPreviewController*>(target) ? cell : 0;
}

} // namespace

VideoSinkBinder::VideoSinkBinder(QObject* parent) : QObject(parent) {}

VideoSinkBinder::~VideoSinkBinder() {
    detach();
}

template <typename Field, typename Value>
void VideoSinkBinder::replace(Field& field, Value value, void (VideoSinkBinder::*changed)()) {
    if (field == value)
        return;
    detach();
    field = value;
    emit(this->*changed)();
    rebind();
}

void VideoSinkBinder::setTarget(QObject* target) {
    replace(target_, target, &VideoSinkBinder::targetChanged);
}
void VideoSinkBinder::setCell(int cell) {
    replace(cell_, cell, &VideoSinkBinder::cellChanged);
}
void VideoSinkBinder::setVideoSink(QVideoSink* sink) {
    replace(sink_, sink, &VideoSinkBinder::videoSinkChanged);
}

void VideoSinkBinder::rebind() {
    disconnect(ownerGone_);
    if (!target_ || !sink_)
        return;
    // A VideoOutput deletes its sink among its children, after its own destroyed() signal: take
    // the sink back then, while the sink is still whole (a player thread may be writing to it).
    QObject* owner = sink_->parent() ? sink_->parent() : sink_.data();
    ownerGone_ = connect(owner, &QObject::destroyed, this, &VideoSinkBinder::detach, Qt::DirectConnection);
    const Key key{target_.data(), cellKey(target_, cell_)};
    owners().insert(key, this);
    boundTarget_ = target_;
    boundCell_ = cell_;
    hand(target_, cell_, sink_);
    setAttached(true);
}

void VideoSinkBinder::detach() {
    disconnect(ownerGone_);
    if (!attached_)
        return;
    setAttached(false);
    // Still the owner unless another view took this target over meanwhile.
    bool owner = false;
    for (auto it = owners().begin(); it != owners().end();) {
        if (it.value() == this) {
            owner = true;
            it = owners().erase(it);
        } else {
            ++it;
        }
    }
    if (owner && boundTarget_)
        hand(boundTarget_, boundCell_, nullptr);
    boundTarget_.clear();
}

void VideoSinkBinder::setAttached(bool value) {
    if (value == attached_)
        return;
    attached_ = value;
    emit attachedChanged();
}

} // namespace orvane
