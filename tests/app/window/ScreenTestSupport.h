#pragma once
// What the screen tests share: a small real drive imported into a real MainViewModel, a window
// showing one view over it, and the user's hands and eyes on that window (find an item by its
// objectName, click it, read the picture under it). Interface thread; needs an X server.

#include "Features.h"
#include "FramePattern.h"
#include "SampleDrive.h"
#include "TestSupport.h"
#include "UiEngine.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace orvane::test {

// Sanitizer builds decode slowly.
inline constexpr int screenWaitMs = 30000;
inline constexpr int exportWaitMs = 120000;

// The picture on screen needs a real X server; the offscreen platform draws no video.
inline bool hasScreen() {
    return QGuiApplication::platformName() != QLatin1String("offscreen");
}

// Two saved events (two minutes, then one) of a four-camera car at 320 × 240, two-second
// "minutes", imported.
struct ScreenDrive {
    ScopedTimeZone zone{"Asia/Shanghai"};
    TempFolder folder;
    ScopedEnvironment dataHome{"XDG_DATA_HOME", QFile::encodeName(folder / "home/.local/share")};
    ScopedEnvironment temp{"TMPDIR", QFile::encodeName(folder.makeFolder("tmp"))};
    std::unique_ptr<MainViewModel> vm;
    std::vector<TeslaClipEvent> saved; // oldest first

    ScreenDrive() {
        sample::DriveSpec drive;
        drive.root = folder / "TeslaCam";
        drive.scale = 0.25;
        drive.minuteSeconds = 2;
        sample::EventSpec twoMinutes;
        twoMinutes.startTime = LocalTime::fromFields(2024, 5, 1, 10, 19, 30).value_or(0);
        twoMinutes.minutes = 2;
        sample::EventSpec oneMinute = twoMinutes;
        oneMinute.startTime += 4 * 3600;
        oneMinute.minutes = 1;
        drive.events = {twoMinutes, oneMinute};
        sample::writeDrive(drive);
        vm = std::make_unique<MainViewModel>();
        vm->exporter()->setExportQuality(QStringLiteral("balanced"));
        vm->exporter()->setCustomOutputDirectoryPath(folder.makeFolder("exports"));
        vm->library()->importTeslaCamPaths({drive.root});
        EXPECT_TRUE(waitUntil([&] { return !vm->library()->isImporting(); }, screenWaitMs));
        saved = vm->library()->eventsByCategory().at(ClipCategory::saved);
        std::sort(saved.begin(), saved.end(),
                  [](const auto& a, const auto& b) { return a.startTime < b.startTime; });
    }
};

// A 900 × 700 window with one view (`viewQml`, which may use `vm`) over the view model.
class ScreenWindow {
public:
    ScreenWindow(MainViewModel& vm, const QString& viewQml) {
        ui::configureEngine(engine_);
        QQmlComponent component(&engine_);
        component.setData(
            ("import QtQuick\nimport QtQuick.Window\nimport Orvane.App\n"
             "Window { required property MainViewModel vm; width: 900; height: 700; color: Theme.window\n" +
             viewQml + "\n}")
                .toUtf8(),
            QUrl(QStringLiteral("qrc:/screen-test.qml")));
        root_.reset(
            component.createWithInitialProperties({{QStringLiteral("vm"), QVariant::fromValue(&vm)}}));
        window_ = qobject_cast<QQuickWindow*>(root_.get());
        EXPECT_TRUE(window_) << component.errorString().toStdString();
        if (window_) {
            window_->show();
            // Window shortcuts (Ctrl+E) answer only in the active window.
            window_->requestActivate();
            EXPECT_TRUE(QTest::qWaitForWindowActive(window_));
        }
    }
    QQuickWindow* window() const { return window_; }

    // By objectName among the window's items, delegates of repeaters and lists included.
    QQuickItem* item(const QString& name) const { return find(window_->contentItem(), name); }
    QObject* object(const QString& name) const { return window_->findChild<QObject*>(name); }
    // The item's rectangle in the window's pixels.
    QRect rectOf(QQuickItem* item) const {
        return item->mapRectToScene(QRectF(0, 0, item->width(), item->height())).toAlignedRect();
    }
    void click(QQuickItem* item) const {
        QTest::mouseClick(window_, Qt::LeftButton, {}, rectOf(item).center());
    }
    // Keys reach only the active window; another test's window on the same X server may have
    // taken that over.
    void key(int key, Qt::KeyboardModifiers modifiers = {}) const {
        if (!window_->isActive()) {
            window_->requestActivate();
            EXPECT_TRUE(QTest::qWaitForWindowActive(window_));
        }
        QTest::keyClick(window_, Qt::Key(key), modifiers);
    }
    QImage picture(QQuickItem* item) const { return window_->grabWindow().copy(rectOf(item)); }
    // The objectNames of buttons and tabs that a screen reader could not name.
    QStringList unnamedButtons() const { return unnamed(QAccessible::queryAccessibleInterface(window_)); }

private:
    static QStringList unnamed(QAccessibleInterface* node) {
        QStringList names;
        if (!node)
            return names;
        if ((node->role() == QAccessible::Button || node->role() == QAccessible::PageTab) &&
            node->text(QAccessible::Name).trimmed().isEmpty())
            names << node->object()->objectName();
        for (int i = 0; i < node->childCount(); ++i)
            names << unnamed(node->child(i));
        return names;
    }
    static QQuickItem* find(QQuickItem* from, const QString& name) {
        if (from->objectName() == name)
            return from;
        for (QQuickItem* child : from->childItems())
            if (QQuickItem* found = find(child, name))
                return found;
        return nullptr;
    }

    QQmlEngine engine_;
    std::unique_ptr<QObject> root_;
    QQuickWindow* window_ = nullptr;
};

// Mean brightness (0 … 255) of a picture; a black box is near 0.
inline double meanLuma(const QImage& image) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    double sum = 0;
    for (int y = 0; y < gray.height(); ++y)
        for (int x = 0; x < gray.width(); ++x)
            sum += gray.constScanLine(y)[x];
    return gray.isNull() ? 0 : sum / (double(gray.width()) * gray.height());
}

// The frame index and camera the sample footage drew into the picture.
inline std::optional<sample::FramePattern> framePattern(const QImage& image) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    if (gray.isNull())
        return std::nullopt;
    return sample::FramePattern::read(gray.constBits(), int(gray.bytesPerLine()), gray.width(),
                                      gray.height());
}

} // namespace orvane::test
