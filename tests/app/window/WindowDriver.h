#pragma once
// The program's window as the window tests, the screen tests and the screenshots meet it: loaded
// by ui::loadMainWindow over a real MainViewModel, and driven like a user (find items by
// objectName or text, click, type, read the picture). Interface thread; needs an X server for
// the video.

#include "AppMessages.h"
#include "AppUpdateController.h"
#include "ExportViewModel.h"
#include "FramePattern.h"
#include "LibraryViewModel.h"
#include "MainViewModel.h"
#include "MergeViewModel.h"
#include "PreviewViewModel.h"
#include "TestSupport.h"
#include "TokenStore.h"

#include <QFile>
#include <QImage>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace orvane::test {

// Sanitizer builds decode slowly.
inline constexpr int screenWaitMs = 30000;
inline constexpr int exportWaitMs = 120000;
// Where a held export stands while it waits for its cancel.
inline constexpr double heldExportProgress = 0.37;

// The picture on screen needs a real X server; the offscreen platform draws no video.
bool hasScreen();

// Update checks that fail quietly: no manifest addresses.
AppUpdateEnvironment quietUpdates();

// A desktop without a keyring: nothing remembered, nothing kept.
struct NoKeyringTokenStore : TokenStore {
    void read(QObject*, std::function<void(std::optional<QString>)> done) override { done(std::nullopt); }
    void write(const QString&, QObject*, std::function<void(bool)> done) override { done(false); }
    void erase() override {}
};

class WindowDriver {
public:
    explicit WindowDriver(QQuickWindow* window) : window_(window) {}

    // Every object under the window (items, their non-visual children, popups) `match` accepts.
    QList<QObject*> find(const std::function<bool(QObject*)>& match) const;
    QObject* named(const QString& name) const; // shown or not
    QObject* shown(const QString& name) const;
    QList<QObject*> allShown(const QString& name) const;
    QQuickItem* button(const QString& text) const;
    bool waitShown(const QString& name, int timeoutMs = screenWaitMs) const;
    bool waitGone(const QString& name, int timeoutMs = screenWaitMs) const;
    // Waits until exactly `count` card pictures are on screen, each loaded.
    bool waitThumbnailsReady(int count) const;
    QString textOf(const QString& name) const;
    // The controller of the page a loader ("previewLoader", "mergeEditorLoader") holds.
    QObject* pageController(const QString& loader) const;

    // A left click at the item's centre; false when it is hidden or disabled.
    bool click(QObject* item) const;
    bool click(const QString& name) const { return click(shown(name)); }
    // A key press on the window, made active first: another window may have taken the keyboard.
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const;
    QQuickItem* focusedItem() const;

    QRect rectOf(QQuickItem* item) const;
    QImage picture(QQuickItem* item) const;
    // The frame index and camera of the sample footage the shown item `name` draws; its frame index.
    std::optional<sample::FramePattern> patternIn(const QString& name) const;
    std::optional<int> frameIn(const QString& name) const;
    // The objectNames of the buttons and tabs on screen that a screen reader could not name.
    QStringList unnamedButtons() const;

    static bool isShown(QObject* object);

private:
    void activate() const;

    QQuickWindow* window_;
};

// The program's window over a fresh view model of the real services, the desktop's folder
// opening recorded, and exports that can be held half-way until cancelled.
class AppWindow {
public:
    AppWindow(const QString& exportFolder, const AppUpdateEnvironment& updates);
    ~AppWindow();

    bool imported(const QString& root);
    // The saved events, oldest first.
    std::vector<TeslaClipEvent> saved() const;
    // The event cards on screen; the card of row `row` of the selected category.
    QList<QObject*> cards() const;
    QObject* card(int row) const;
    // The open event's player has its file and its length.
    bool previewReady() const;
    // Exports what is open and waits for the result page: its controller once ready, else null.
    QObject* exportedResult();

    std::shared_ptr<std::atomic<bool>> holdExports = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<MainViewModel> vm;
    std::unique_ptr<AppUpdateController> updater;
    QQuickWindow* window = nullptr;
    std::unique_ptr<WindowDriver> ui;

private:
    std::unique_ptr<QQmlApplicationEngine> engine_ = std::make_unique<QQmlApplicationEngine>();
};

// A small real drive (saved events of two minutes and one on two days, a sentry event, recent
// minutes; 320 × 240, two-second "minutes") in the program's window, the Trash, the cache and
// temporary files kept in the test's own folder. Update checks fail quietly.
struct ScreenFixture {
    ScopedTimeZone zone{"Asia/Shanghai"};
    TempFolder folder;
    ScopedEnvironment dataHome{"XDG_DATA_HOME", QFile::encodeName(folder / "home/.local/share")};
    ScopedEnvironment cacheHome{"XDG_CACHE_HOME", QFile::encodeName(folder.makeFolder("home/.cache"))};
    ScopedEnvironment temp{"TMPDIR", QFile::encodeName(folder.makeFolder("tmp"))};
    QString drive = folder / "TeslaCam";
    QString exports = folder.makeFolder("exports");
    AppWindow app;

    ScreenFixture();
    bool imported() { return app.imported(drive); }
};

// Mean brightness (0 … 255) of a picture; a black box is near 0.
double meanLuma(const QImage& image);
// The frame index and camera the sample footage drew into the picture.
std::optional<sample::FramePattern> framePattern(const QImage& image);

} // namespace orvane::test
