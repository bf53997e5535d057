#pragma once
// Whether a window has put its first frame on screen, for work that waits until then (pages built
// in the background after start-up). Interface thread only.

#include <QObject>
#include <QPointer>
#include <QQuickWindow>
#include <QtQml/qqmlregistration.h>

namespace orvane {

class FirstFrameWatch : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QQuickWindow* window READ window WRITE setWindow NOTIFY windowChanged)
    // Stays true once set.
    Q_PROPERTY(bool shown READ shown NOTIFY shownChanged)

public:
    using QObject::QObject;

    QQuickWindow* window() const { return window_; }
    void setWindow(QQuickWindow* window);
    bool shown() const { return shown_; }

signals:
    void windowChanged();
    void shownChanged();

private:
    void markShown();

    QPointer<QQuickWindow> window_;
    QMetaObject::Connection frames_;
    bool shown_ = false;
};

} // namespace orvane
