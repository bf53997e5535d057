#pragma once
// Finds the items of a QML window by objectName or text and clicks and types on them the way a
// user would (QtTest events at the item's centre). Interface thread.

#include <QQuickItem>
#include <QQuickWindow>
#include <QString>
#include <functional>

namespace orvane::test {

class WindowDriver {
public:
    explicit WindowDriver(QQuickWindow* window) : window_(window) {}

    // Every object under the window (items and their non-visual children, popups included)
    // for which `match` holds.
    QList<QObject*> find(const std::function<bool(QObject*)>& match) const;
    // The first object named `name` that is on screen; nullptr when none is.
    QObject* shown(const QString& name) const;
    QList<QObject*> allShown(const QString& name) const;
    // The first button on screen whose text is `text`.
    QQuickItem* button(const QString& text) const;
    // Waits until `name` is on screen (true) or the time runs out.
    bool waitShown(const QString& name, int timeoutMs) const;
    bool waitGone(const QString& name, int timeoutMs) const;

    // A left click at the item's centre; false when it is not on screen.
    bool click(QObject* item) const;
    bool click(const QString& name) const { return click(shown(name)); }
    // A key press on the window, made active first.
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const;
    // The item with the keyboard focus, the window made active first.
    QQuickItem* focusedItem() const;

    static bool isShown(QObject* object);

private:
    void activate() const;

    QQuickWindow* window_;
};

} // namespace orvane::test
