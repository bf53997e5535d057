#include "WindowDriver.h"

#include "MainWindowConfigurator.h"
#include "MainWindowLoader.h"
#include "SampleDrive.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QSet>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <tuple>

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

// An exporter that, while `hold` is set, reports a little progress and then waits until it is
// cancelled. Every exporter takes its callbacks last.
template <typename Exporter>
Exporter holdable(const std::shared_ptr<std::atomic<bool>>& hold, const Exporter& real) {
    return [hold, real](const auto&... arguments) {
        const ExportCallbacks& callbacks = std::get<sizeof...(arguments) - 1>(std::tie(arguments...));
        if (*hold) {
            callbacks.onProgress(heldExportProgress);
            while (!callbacks.cancel.isCancelled())
                QThread::msleep(20);
            callbacks.cancel.check();
        }
        return real(arguments...);
    };
}

} // namespace

AppUpdateEnvironment quietUpdates() {
    AppUpdateEnvironment environment;
    environment.runningVersion = QStringLiteral("0.1.0"); // no manifest addresses: checks fail quietly
    return environment;
}

bool hasScreen() {
    return QGuiApplication::platformName() != QLatin1String("offscreen");
}

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

QObject* WindowDriver::named(const QString& name) const {
    return find([&](QObject* o) { return o->objectName() == name; }).value(0);
}

QList<QObject*> WindowDriver::allShown(const QString& name) const {
    return find([&](QObject* o) { return o->objectName() == name && isShown(o); });
}

QObject* WindowDriver::shown(const QString& name) const {
    return allShown(name).value(0);
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

bool WindowDriver::waitThumbnailsReady(int count) const {
    constexpr int imageReady = 1; // Image.Ready
    return waitUntil(
        [&] {
            const QList<QObject*> pictures = allShown(QStringLiteral("thumbnailImage"));
            return pictures.size() == count && std::all_of(pictures.begin(), pictures.end(), [](QObject* p) {
                       return p->property("status").toInt() == imageReady;
                   });
        },
        screenWaitMs);
}

QString WindowDriver::textOf(const QString& name) const {
    QObject* o = shown(name);
    return o ? o->property("text").toString() : QString();
}

QObject* WindowDriver::pageController(const QString& loader) const {
    QObject* l = shown(loader);
    QObject* page = l ? l->property("item").value<QObject*>() : nullptr;
    return page && isShown(page) ? page->property("controller").value<QObject*>() : nullptr;
}

namespace {

// An item past the edge of a scrolling column is scrolled into view first, as a user would.
void scrollIntoView(QQuickItem* item) {
    for (QQuickItem* p = item->parentItem(); p; p = p->parentItem()) {
        if (!p->inherits("QQuickFlickable"))
            continue;
        const QRectF at = item->mapRectToItem(p, QRectF(0, 0, item->width(), item->height()));
        const double shift = at.bottom() > p->height() ? at.bottom() - p->height() : std::min(at.top(), 0.0);
        if (shift != 0)
            p->setProperty("contentY", p->property("contentY").toDouble() + shift);
        return;
    }
}

} // namespace

bool WindowDriver::click(QObject* object) const {
    auto* item = qobject_cast<QQuickItem*>(object);
    if (!item || !isShown(item) || !item->isEnabled())
        return false;
    scrollIntoView(item);
    QTest::mouseClick(window_, Qt::LeftButton, Qt::NoModifier, rectOf(item).center());
    QTest::qWait(afterEventMs);
    return true;
}

void WindowDriver::activate() const {
    if (!window_->isActive()) {
        window_->requestActivate();
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(window_); // the caller sees if not
    }
}

QQuickItem* WindowDriver::focusedItem() const {
    activate(); // an inactive window reports no focus; activation gives it back to its item
    return window_->activeFocusItem();
}

void WindowDriver::key(int key, Qt::KeyboardModifiers modifiers) const {
    activate();
    QTest::keyClick(window_, Qt::Key(key), modifiers);
    QTest::qWait(afterEventMs);
}

QRect WindowDriver::rectOf(QQuickItem* item) const {
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height())).toAlignedRect();
}

QImage WindowDriver::picture(QQuickItem* item) const {
    return window_->grabWindow().copy(rectOf(item));
}

std::optional<sample::FramePattern> WindowDriver::patternIn(const QString& name) const {
    auto* item = qobject_cast<QQuickItem*>(shown(name));
    return item ? framePattern(picture(item)) : std::nullopt;
}

std::optional<int> WindowDriver::frameIn(const QString& name) const {
    const auto pattern = patternIn(name);
    return pattern ? std::optional(pattern->frameIndex) : std::nullopt;
}

QStringList WindowDriver::unnamedButtons() const {
    QStringList names;
    for (QObject* button :
         find([](QObject* o) { return o->inherits("QQuickAbstractButton") && isShown(o); })) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
        if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty())
            names << button->objectName();
    }
    return names;
}

AppWindow::AppWindow(const QString& exportFolder, const AppUpdateEnvironment& updates) {
    ViewModelServices services = ViewModelServices::standard();
    services.openUrl = [](const QUrl&) { return true; };
    services.tokens = std::make_shared<NoKeyringTokenStore>(); // never the developer's own keyring
    ExportEngine& e = services.exportEngine;
    e.exportSync = holdable(holdExports, e.exportSync);
    e.exportContinuous = holdable(holdExports, e.exportContinuous);
    e.exportGrid = holdable(holdExports, e.exportGrid);
    vm = std::make_unique<MainViewModel>(services);
    vm->exporter()->setExportQuality(QStringLiteral("balanced"));
    vm->exporter()->setCustomOutputDirectoryPath(exportFolder);
    updater = std::make_unique<AppUpdateController>(updates);
    window = ui::loadMainWindow(*engine_, *vm, *updater);
    if (!window)
        return;
    ui::MainWindowConfigurator::present(*window);
    if (!QTest::qWaitForWindowExposed(window)) {
        window = nullptr;
        return;
    }
    ui = std::make_unique<WindowDriver>(window);
}

AppWindow::~AppWindow() {
    vm->exporter()->cancelExport();
    engine_.reset(); // the window goes before the state it shows
}

bool AppWindow::imported(const QString& root) {
    vm->library()->importTeslaCamPaths({root});
    return waitUntil([&] { return vm->library()->hasImported() && !vm->library()->isImporting(); },
                     screenWaitMs) &&
           ui->waitShown(QStringLiteral("eventSections"));
}

ScreenFixture::ScreenFixture() : app(exports, quietUpdates()) {
    sample::writeDrive(sample::exampleDrive(drive, sample::CarLayout::fourCamera, 0.25, 2));
}

std::vector<TeslaClipEvent> AppWindow::saved() const {
    std::vector<TeslaClipEvent> events = vm->library()->eventsByCategory().at(ClipCategory::saved);
    std::sort(events.begin(), events.end(),
              [](const auto& a, const auto& b) { return a.startTime < b.startTime; });
    return events;
}

QList<QObject*> AppWindow::cards() const {
    return ui->find([](QObject* o) {
        return o->objectName().startsWith(QLatin1String("eventCard_")) && WindowDriver::isShown(o);
    });
}

QObject* AppWindow::card(int row) const {
    return ui->shown(
        QStringLiteral("eventCard_") +
        vm->library()->eventsInSelectedCategory()->events()[size_t(row)].id.toString(QUuid::WithoutBraces));
}

bool AppWindow::previewReady() const {
    const PreviewViewModel& preview = *vm->preview();
    return waitUntil(
        [&] {
            return preview.selectedEvent() && !preview.isLoadingEvent() && preview.activeDuration() > 0 &&
                   !preview.activePreview()->isLoading();
        },
        screenWaitMs);
}

QObject* AppWindow::exportedResult() {
    vm->exporter()->startProcessing();
    if (!ui->waitShown(QStringLiteral("exportResult"), exportWaitMs))
        return nullptr;
    QObject* result = ui->shown(QStringLiteral("exportResult"))->property("controller").value<QObject*>();
    return waitUntil([&] { return result->property("isReady").toBool(); }, screenWaitMs) ? result : nullptr;
}

double meanLuma(const QImage& image) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    double sum = 0;
    for (int y = 0; y < gray.height(); ++y)
        for (int x = 0; x < gray.width(); ++x)
            sum += gray.constScanLine(y)[x];
    return gray.isNull() ? 0 : sum / (double(gray.width()) * gray.height());
}

std::optional<sample::FramePattern> framePattern(const QImage& image) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    if (gray.isNull())
        return std::nullopt;
    return sample::FramePattern::read(gray.constBits(), int(gray.bytesPerLine()), gray.width(),
                                      gray.height());
}

} // namespace orvane::test
