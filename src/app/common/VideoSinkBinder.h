#pragma once
// Hands a VideoOutput's sink to whatever plays into it (a single-view controller, a grid cell of
// the multi-camera controller, a media player, or any object with an invokable
// setVideoSink(QVideoSink*)) and takes it back before the sink goes away. Interface thread.

#include <QObject>
#include <QPointer>
#include <QVideoSink>
#include <QtQml/qqmlregistration.h>

namespace orvane {

class VideoSinkBinder : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QObject* target READ target WRITE setTarget NOTIFY targetChanged)
    // Grid cell (0 … 3) for the multi-camera controller; ignored by the others.
    Q_PROPERTY(int cell READ cell WRITE setCell NOTIFY cellChanged)
    Q_PROPERTY(QVideoSink* videoSink READ videoSink WRITE setVideoSink NOTIFY videoSinkChanged)
    // Whether this binder's sink is the one the target currently plays into.
    Q_PROPERTY(bool attached READ attached NOTIFY attachedChanged)

public:
    explicit VideoSinkBinder(QObject* parent = nullptr);
    ~VideoSinkBinder() override;

    QObject* target() const { return target_; }
    void setTarget(QObject* target);
    int cell() const { return cell_; }
    void setCell(int cell);
    QVideoSink* videoSink() const { return sink_; }
    void setVideoSink(QVideoSink* sink);
    bool attached() const { return attached_; }

signals:
    void targetChanged();
    void cellChanged();
    void videoSinkChanged();
    void attachedChanged();

private:
    // Changes one input: the old binding is taken back first, the new one made after.
    template <typename Field, typename Value>
    void replace(Field& field, Value value, void (VideoSinkBinder::*changed)());
    void rebind();
    void detach();
    void setAttached(bool value);

    QPointer<QObject> target_;
    int cell_ = 0;
    QPointer<QVideoSink> sink_;
    QMetaObject::Connection ownerGone_;
    bool attached_ = false;
    // What the target was given, so detaching clears exactly that.
    QPointer<QObject> boundTarget_;
    int boundCell_ = 0;
};

} // namespace orvane
