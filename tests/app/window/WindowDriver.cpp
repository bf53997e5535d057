#include "WindowDriver.h"

#include "TestSupport.h"

#include <QSet>
#include <QTest>

namespace orvane::test {

namespace {

// Lets a click's bindings and animations run before the next step.
constexpr int afterEventMs = 30;

void collect(QObject* object, const std::function<bool(QObject*)>& match, QSet<QObject*>& seen,
             QList<QObject*>& out) {
    if (!object || seen.contains(object))
        return;
    seen.insert(object);
    if (match(object))
        out << object;
    for (QObject* child : object->children())
        collect(child, match, seen, out);
    if (auto* item = qobject_cast<QQuickItem*>(object))
        for (QQuickItem* child : item->childItems())
            collect(child, match, seen, out);
}

} // namespace

bool WindowDriver::isShown(QObject* object) {
    if (auto* item = qobject_cast<QQuickItem*>(object))
        return item->isVisible() && item->width() > 0 && item->height() > 0;
    return object && object->property("visible").toBool(); // a popup
}

QList<QObject*> WindowDriver::find(const std::function<bool(QObject*)>& match) const {
    QSet<QObject*> seen;
    QList<QObject*> out;
    collect(window_->contentItem(), match, seen, out);
    for (QObject* child : window_->children())
        collect(child, match, seen, out);
    return out;
}

QList<QObject*> WindowDriver::allShown(const QString& name) const {
    return find([&](QObject* o) { return o->objectName() == name && isShown(o); });
}

QObject* WindowDriver::shown(const QString& name) const {
    const QList<QObject*> found = allShown(name);
    return found.isEmpty() ? nullptr : found.first();
}

QQuickItem* WindowDriver::button(const QString& text) const {
    const QList<QObject*> found = find([&](QObject* o) {
        return o->inherits("QQuickAbstractButton") && o->property("text").toString() == text && isShown(o);
    });
    return found.isEmpty() ? nullptr : qobject_cast<QQuickItem*>(found.last());
}

bool WindowDriver::waitShown(const QString& name, int timeoutMs) const {
    return waitUntil([&] { return shown(name) != nullptr; }, timeoutMs);
}

bool WindowDriver::waitGone(const QString& name, int timeoutMs) const {
    return waitUntil([&] { return shown(name) == nullptr; }, timeoutMs);
}

bool WindowDriver::click(QObject* object) const {
    auto* item = qobject_cast<QQuickItem*>(object);
    if (!item || !isShown(item) || !item->isEnabled())
        return false;
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(window_, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    QTest::qWait(afterEventMs);
    return true;
}

void WindowDriver::activate() const {
    // Other tests' windows on the same X server may have taken the keyboard meanwhile.
    if (!window_->isActive()) {
        window_->requestActivate();
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(window_); // the caller sees if not
    }
}

QQuickItem* WindowDriver::focusedItem() const {
    activate(); // an inactive window reports no focus; activation gives the focus back to its item
    return window_->activeFocusItem();
}

void WindowDriver::key(int key, Qt::KeyboardModifiers modifiers) const {
    activate();
    QTest::keyClick(window_, Qt::Key(key), modifiers);
    QTest::qWait(afterEventMs);
}

} // namespace orvane::test
