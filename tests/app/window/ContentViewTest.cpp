// The main window as a user meets it: the real ContentView over a real MainViewModel of a small
// sample drive, driven by clicks and keys. Import, browse, open an event, delete to the Trash,
// alerts, the output folder, the export overlay and its cancel, the result page's captures, the
// merge selection, and the keyboard. The pages in front of the browser are reached through the
// view model where their own controls would be needed.

#include "AppUpdateController.h"
#include "Features.h"
#include "SampleDrive.h"
#include "TestSupport.h"
#include "UiEngine.h"
#include "WindowDriver.h"
#include "WindowTestSupport.h"

#include <QAccessible>
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace orvane;
using test::waitUntil;

namespace {

constexpr int waitMs = 30000; // sanitizer builds are slow
constexpr double minuteSeconds = 1;

const char* windowQml = R"(
    import QtQuick
    import QtQuick.Window
    import Orvane.App
    import Orvane.Update
    Window {
        required property MainViewModel vm
        required property AppUpdateController updater
        width: 900; height: 700
        ContentView { objectName: "content"; anchors.fill: parent; focus: true; viewModel: vm; updateController: updater }
    })";

QStringList filesUnder(const QString& folder, const QString& pattern) {
    QStringList found;
    QDirIterator it(folder, {pattern}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}

class WindowTest : public ::testing::Test {
protected:
    test::ScopedTimeZone zone{"Asia/Shanghai"};
    test::TempFolder folder;
    test::ScopedEnvironment dataHome{"XDG_DATA_HOME", QFile::encodeName(folder / "home/.local/share")};
    test::ScopedEnvironment temp{"TMPDIR", QFile::encodeName(folder.makeFolder("tmp"))};
    QString drive = folder / "TeslaCam";
    QString exports = folder.makeFolder("exports");
    test::WindowServices services;
    std::unique_ptr<MainViewModel> vm;
    std::unique_ptr<AppUpdateController> updater;
    QQmlEngine engine;
    std::unique_ptr<QObject> root;
    QQuickWindow* window = nullptr;
    std::unique_ptr<test::WindowDriver> ui;

    void SetUp() override {
        sample::writeDrive(sample::exampleDrive(drive, sample::CarLayout::fourCamera, 0.125, minuteSeconds));
        vm = std::make_unique<MainViewModel>(services.make());
        vm->exporter()->setExportQuality(QStringLiteral("balanced"));
        vm->exporter()->setCustomOutputDirectoryPath(exports);
        AppUpdateEnvironment environment;
        environment.runningVersion = QStringLiteral("0.1.0"); // no manifest addresses: checks fail quietly
        updater = std::make_unique<AppUpdateController>(environment);
        ui::configureEngine(engine);
        QQmlComponent component(&engine);
        component.setData(windowQml, QUrl(QStringLiteral("qrc:/window-test/Window.qml")));
        ASSERT_FALSE(component.isError()) << component.errorString().toStdString();
        root.reset(component.createWithInitialProperties(
            {{QStringLiteral("vm"), QVariant::fromValue(vm.get())},
             {QStringLiteral("updater"), QVariant::fromValue(updater.get())}}));
        window = qobject_cast<QQuickWindow*>(root.get());
        ASSERT_TRUE(window);
        window->show();
        window->requestActivate();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window)); // keys and shortcuts go to the active window
        ui = std::make_unique<test::WindowDriver>(window);
    }
    void TearDown() override {
        root.reset();
        vm.reset();
    }

    QObject* content() const { return root->findChild<QObject*>(QStringLiteral("content")); }
    QString textOf(const QString& name) const {
        QObject* o = ui->shown(name);
        return o ? o->property("text").toString() : QString();
    }
    bool imported() {
        vm->library()->importTeslaCamPaths({drive});
        return waitUntil(
                   [&] { return vm->library()->importMode() != "none" && !vm->library()->isImporting(); },
                   waitMs) &&
               ui->waitShown(QStringLiteral("eventSections"), waitMs);
    }
    QList<QObject*> cards() const {
        return ui->find([](QObject* o) {
            return o->objectName().startsWith("eventCard_") && test::WindowDriver::isShown(o);
        });
    }
    QObject* card(int row) const {
        return ui->shown(QStringLiteral("eventCard_") +
                         vm->library()->eventsInSelectedCategory()->get(row)["eventID"].toString());
    }
    // The page the window's `loader` holds (the preview, the merge editor), if it has one.
    QObject* page(const char* loader) const {
        QObject* l = ui->shown(QString::fromLatin1(loader));
        return l ? l->property("item").value<QObject*>() : nullptr;
    }
    // That page is on screen and the browser is not.
    bool pageShown(const char* loader) const {
        return waitUntil(
            [&] {
                return page(loader) && test::WindowDriver::isShown(page(loader)) &&
                       !ui->shown("eventSections");
            },
            waitMs);
    }
    // The event preview is up and its first minute plays.
    bool previewReady() {
        return waitUntil(
            [&] {
                const PreviewViewModel& preview = *vm->preview();
                return preview.selectedEvent() && !preview.isLoadingEvent() && preview.activeDuration() > 0 &&
                       !preview.activePreview()->isLoading();
            },
            waitMs);
    }
};

TEST_F(WindowTest, ImportFromTheChooserShowsDaysAndCardsWithPictures) {
    EXPECT_TRUE(ui->shown("firstRun"));
    EXPECT_EQ(textOf("emptyStateTitle"), "请先在左侧选择 TeslaCam 文件夹");
    ASSERT_TRUE(ui->click("importButton"));
    QObject* chooser = ui->find([](QObject* o) { return o->objectName() == "importFolderDialog"; }).value(0);
    ASSERT_TRUE(chooser);
    ASSERT_TRUE(waitUntil([&] { return chooser->property("visible").toBool(); }));
    chooser->setProperty("selectedFolder", QUrl::fromLocalFile(drive));
    QMetaObject::invokeMethod(chooser, "accept");

    ASSERT_TRUE(ui->waitShown("eventSections", waitMs));
    EXPECT_FALSE(ui->shown("firstRun"));
    // Saved first: two events on two days, latest day first.
    ASSERT_TRUE(waitUntil([&] { return cards().size() == 2; }, waitMs));
    EXPECT_EQ(textOf("eventCount"), "共 2 个视频片段");
    const QList<QObject*> days = ui->allShown("dayCount");
    ASSERT_EQ(days.size(), 2);
    EXPECT_TRUE(waitUntil(
        [&] {
            const QList<QObject*> pictures = ui->allShown("thumbnailImage");
            return pictures.size() == 2 && std::all_of(pictures.begin(), pictures.end(), [](QObject* p) {
                       return p->property("status").toInt() == 1 /* Image.Ready */;
                   });
        },
        waitMs));

    ASSERT_TRUE(ui->click("segment_sentry"));
    EXPECT_EQ(vm->library()->selectedCategory(), ClipCategory::sentry);
    EXPECT_TRUE(waitUntil([&] { return cards().size() == 1; }));
    EXPECT_EQ(textOf("eventCount"), "共 1 个视频片段");
    // The sentry category offers no splice.
    EXPECT_FALSE(ui->shown("startMergeButton"));
    EXPECT_TRUE(ui->shown("startDeleteButton"));
}

TEST_F(WindowTest, DeleteModeMarksConfirmsAndMovesTheEventToTheTrash) {
    ASSERT_TRUE(imported());
    ASSERT_EQ(cards().size(), 2);
    const QString doomedID = vm->library()->eventsInSelectedCategory()->get(0)["eventID"].toString();
    const QStringList doomedFiles =
        filesUnder(vm->library()->eventsInSelectedCategory()->get(0)["folderURL"].toString(), "*.mp4");

    ASSERT_TRUE(ui->click("startDeleteButton"));
    EXPECT_TRUE(ui->shown("cancelDeleteButton"));
    EXPECT_EQ(textOf("selectAllButton"), "全选");
    EXPECT_EQ(textOf("deleteSelectedButton"), "删除（0）");
    EXPECT_FALSE(ui->shown("deleteSelectedButton")->property("enabled").toBool());

    // A card toggles its mark instead of opening; select-all marks and clears every card.
    ASSERT_TRUE(ui->click(card(0)));
    EXPECT_FALSE(vm->preview()->selectedEvent().has_value());
    EXPECT_EQ(textOf("deleteSelectedButton"), "删除（1）");
    ASSERT_TRUE(ui->click("selectAllButton"));
    EXPECT_EQ(textOf("selectAllButton"), "取消全选");
    ASSERT_TRUE(ui->click("selectAllButton"));
    EXPECT_EQ(textOf("deleteSelectedButton"), "删除（0）");
    ASSERT_TRUE(ui->click(card(0)));

    ASSERT_TRUE(ui->click("deleteSelectedButton"));
    ASSERT_TRUE(ui->waitShown("deleteConfirmation", 2000));
    EXPECT_EQ(ui->shown("deleteConfirmation")->property("message").toString(),
              "将删除选中的 1 个片段及其所有机位源视频，文件会移到废纸篓。其他片段不会受到影响。");
    ASSERT_TRUE(ui->click(ui->button("移到废纸篓")));
    ASSERT_TRUE(waitUntil([&] { return !vm->library()->isDeletingEvents() && cards().size() == 1; }, waitMs));
    EXPECT_FALSE(ui->shown(QStringLiteral("eventCard_") + doomedID));
    EXPECT_FALSE(ui->shown("deleteConfirmation"));
    EXPECT_TRUE(ui->shown("startDeleteButton")) << "selection mode ends";
    ASSERT_FALSE(doomedFiles.isEmpty());
    for (const QString& file : doomedFiles)
        EXPECT_FALSE(QFile::exists(file)) << file.toStdString();
    EXPECT_EQ(filesUnder(folder / "home/.local/share/Trash/files", "*.mp4").size(), doomedFiles.size());
}

TEST_F(WindowTest, TheErrorAlertsOkClearsItAndThePrivacyButtonOpensTheSettings) {
    ASSERT_TRUE(imported());
    vm->library()->importTeslaCamPaths({exports}); // holds no footage
    ASSERT_TRUE(ui->waitShown("errorAlert", waitMs));
    EXPECT_EQ(ui->shown("errorAlert")->property("title").toString(), "提示");
    EXPECT_EQ(ui->shown("errorAlert")->property("message").toString(), vm->messages()->errorMessage());
    EXPECT_FALSE(ui->button("打开系统设置"));
    ASSERT_TRUE(ui->click(ui->button("好")));
    EXPECT_TRUE(vm->messages()->errorMessage().isEmpty());
    EXPECT_TRUE(ui->waitGone("errorAlert", 2000));

    vm->messages()->setErrorMessage(
        QStringLiteral("无法访问相册。请在系统设置 → 隐私与安全性 → 照片中允许「Orvane」"));
    vm->exporter()->setShowPhotosPrivacySettings(true);
    ASSERT_TRUE(ui->waitShown("errorAlert", 2000));
    ASSERT_TRUE(ui->click(ui->button("打开系统设置")));
    EXPECT_EQ(services.opened->size(), 1);
    EXPECT_FALSE(vm->exporter()->showPhotosPrivacySettings());
    EXPECT_TRUE(vm->messages()->errorMessage().isEmpty());
}

TEST_F(WindowTest, TheOutputPickerAndTheFolderChooserSetTheDestination) {
    ASSERT_TRUE(ui->click("segment_photosLibrary"));
    EXPECT_EQ(vm->exporter()->outputDestinationKind(), "photosLibrary");
    EXPECT_EQ(textOf("outputLocation"), "系统相册");
    EXPECT_FALSE(ui->shown("changeOutputButton"));

    ASSERT_TRUE(ui->click("segment_custom"));
    EXPECT_EQ(vm->exporter()->outputDestinationKind(), "folder");
    ASSERT_TRUE(ui->click("changeOutputButton"));
    QObject* chooser = ui->find([](QObject* o) { return o->objectName() == "outputFolderDialog"; }).value(0);
    ASSERT_TRUE(chooser);
    ASSERT_TRUE(waitUntil([&] { return chooser->property("visible").toBool(); }));
    const QString chosen = folder.makeFolder("clips for mum");
    chooser->setProperty("selectedFolder", QUrl::fromLocalFile(chosen));
    QMetaObject::invokeMethod(chooser, "accept");
    EXPECT_TRUE(waitUntil([&] { return vm->exporter()->outputFolder() == chosen; }));
    EXPECT_EQ(textOf("outputLocation"), vm->exporter()->outputFolderDisplayPath());

    // The quality picker and its description.
    ASSERT_TRUE(ui->click("segment_original"));
    EXPECT_EQ(vm->exporter()->exportQuality(), "original");
    EXPECT_EQ(textOf("qualityDescription"), "原分辨率 + HEVC 超高码率，适合看清车牌");
}

TEST_F(WindowTest, TheExportOverlayShowsItsBarAndCancelReturnsToThePreview) {
    *services.holdExports = true;
    ASSERT_TRUE(imported());
    ASSERT_TRUE(ui->click(card(0)));
    ASSERT_TRUE(pageShown("previewLoader"));
    ASSERT_TRUE(previewReady());

    vm->exporter()->startProcessing();
    ASSERT_TRUE(ui->waitShown("exportOverlay", waitMs));
    ASSERT_TRUE(waitUntil([&] { return ui->shown("exportProgressBar") != nullptr; }, waitMs));
    EXPECT_EQ(textOf("exportPercent"), "37%");
    EXPECT_FALSE(page("previewLoader"));

    ASSERT_TRUE(ui->click("cancelExportButton"));
    ASSERT_TRUE(waitUntil([&] { return !vm->exporter()->isProcessing(); }, waitMs));
    EXPECT_TRUE(pageShown("previewLoader"));
    EXPECT_FALSE(vm->exporter()->hasExportResult());
    EXPECT_TRUE(QDir(folder / "tmp").entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_TRUE(QDir(exports).entryList(QDir::Files).isEmpty());

    // Closing the preview brings the browser back with the same category.
    vm->preview()->closeEventPreview();
    EXPECT_TRUE(ui->waitShown("eventSections", 2000));
    EXPECT_EQ(vm->library()->selectedCategory(), ClipCategory::saved);
}

TEST_F(WindowTest, TheResultPageCapturesRemovesAndSavesStills) {
    ASSERT_TRUE(imported());
    ASSERT_TRUE(ui->click(card(0)));
    ASSERT_TRUE(previewReady());
    vm->exporter()->startProcessing();
    ASSERT_TRUE(ui->waitShown("exportResult", waitMs));
    QObject* page = ui->shown("exportResult")->property("controller").value<QObject*>();
    ASSERT_TRUE(waitUntil([&] { return page->property("isReady").toBool(); }, waitMs));
    EXPECT_EQ(textOf("resultMessage"), "视频已成功导出");

    const auto captureCount = [&] {
        return page->property("captures").value<QObject*>()->property("count").toInt();
    };
    ASSERT_TRUE(ui->click("captureButton"));
    ASSERT_TRUE(
        waitUntil([&] { return captureCount() == 1 && !page->property("isCapturing").toBool(); }, waitMs));
    for (int i = 0; i < 9; ++i)
        ASSERT_TRUE(ui->click("nextFrameButton"));
    ASSERT_TRUE(waitUntil([&] { return page->property("currentTime").toDouble() > 0.2; }, waitMs));
    ASSERT_TRUE(ui->click("captureButton"));
    ASSERT_TRUE(
        waitUntil([&] { return captureCount() == 2 && !page->property("isCapturing").toBool(); }, waitMs));
    ASSERT_TRUE(ui->click(ui->allShown("removeCaptureButton").value(0)));
    EXPECT_EQ(captureCount(), 1);

    ASSERT_TRUE(ui->click("saveAllButton"));
    ASSERT_TRUE(waitUntil([&] { return !page->property("saveMessage").toString().isEmpty(); }, waitMs));
    const QStringList stills = filesUnder(exports, "*.png");
    ASSERT_EQ(stills.size(), 1);
    const QImage still(stills.first());
    EXPECT_FALSE(still.isNull()) << "a whole PNG: a truncated one does not decode";

    ASSERT_TRUE(ui->click("doneButton"));
    EXPECT_TRUE(ui->waitGone("exportResult", 2000));
    EXPECT_TRUE(pageShown("previewLoader"));
}

TEST_F(WindowTest, SplicingTwoSavedEventsPresentsTheMergeEditor) {
    ASSERT_TRUE(imported());
    ASSERT_TRUE(ui->click("startMergeButton"));
    EXPECT_TRUE(ui->shown("cancelMergeButton"));
    EXPECT_EQ(textOf("mergeNextButton"), "下一步（0）");
    EXPECT_FALSE(ui->shown("mergeNextButton")->property("enabled").toBool());
    ASSERT_TRUE(ui->click(card(1)));
    ASSERT_TRUE(ui->click(card(0)));
    EXPECT_EQ(textOf("mergeNextButton"), "下一步（2）");
    // The marks are the pick order.
    const auto orderOf = [&](int row) {
        return card(row)->findChild<QObject*>("selectionMark")->property("order").toInt();
    };
    EXPECT_EQ(orderOf(1), 1);
    EXPECT_EQ(orderOf(0), 2);

    ASSERT_TRUE(ui->click("mergeNextButton"));
    ASSERT_TRUE(pageShown("mergeEditorLoader"));
    EXPECT_TRUE(vm->merge()->isMergeEditorPresented());
    vm->merge()->closeMergeEditor();
    EXPECT_TRUE(ui->waitShown("eventSections", 2000));
}

TEST_F(WindowTest, EveryControlHasANameAndTheKeyboardReachesTheCards) {
    ASSERT_TRUE(imported());
    ui->key(Qt::Key_Escape); // nothing to leave: stays
    EXPECT_TRUE(ui->shown("eventSections"));

    // Tab walks the controls in reading order and reaches the first card.
    QStringList names;
    QObject* reached = nullptr;
    for (int i = 0; i < 40 && !reached; ++i) {
        ui->key(Qt::Key_Tab);
        QQuickItem* focused = ui->focusedItem();
        if (!focused)
            continue; // another window took the keyboard before the key arrived
        names << focused->objectName();
        if (focused->objectName().startsWith("eventCard_"))
            reached = focused;
    }
    ASSERT_TRUE(reached) << names.join(", ").toStdString();
    EXPECT_TRUE(names.contains("importButton"));
    EXPECT_TRUE(names.contains("sidebarToggle"));
    EXPECT_TRUE(names.contains("startDeleteButton"));
    ui->key(Qt::Key_Space);
    EXPECT_TRUE(pageShown("previewLoader"));
    vm->preview()->closeEventPreview();
    EXPECT_TRUE(ui->waitShown("eventSections", 2000));

    // Delete mode is left with Escape too.
    ASSERT_TRUE(ui->click("startDeleteButton"));
    ui->key(Qt::Key_Escape);
    EXPECT_FALSE(vm->library()->isDeleteSelectionMode());

    // Every button on screen tells assistive technology what it does.
    for (QObject* button : ui->find([](QObject* o) {
             return o->inherits("QQuickAbstractButton") && test::WindowDriver::isShown(o);
         })) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
        ASSERT_TRUE(accessible) << button->objectName().toStdString();
        EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty()) << button->objectName().toStdString();
    }

    // The sidebar button hides and shows the sidebar, saying which it will do.
    QObject* toggle = ui->shown("sidebarToggle");
    EXPECT_EQ(toggle->property("accessibleName").toString(), "收起侧边栏");
    ASSERT_TRUE(ui->click(toggle));
    EXPECT_TRUE(ui->waitGone("sidebar", 2000));
    EXPECT_EQ(toggle->property("accessibleName").toString(), "显示侧边栏");
    ASSERT_TRUE(ui->click(toggle));
    EXPECT_TRUE(ui->waitShown("sidebar", 2000));
}

TEST_F(WindowTest, FoldersDroppedOnTheWindowAreImported) {
    QObject* area = ui->find([](QObject* o) { return o->objectName() == "folderDropArea"; }).value(0);
    ASSERT_TRUE(area);
    QMetaObject::invokeMethod(area, "foldersDropped",
                              Q_ARG(QVariant, QVariant::fromValue(QList<QUrl>{QUrl::fromLocalFile(drive)})));
    EXPECT_TRUE(ui->waitShown("eventSections", waitMs));
    EXPECT_EQ(vm->library()->importMode(), "teslaCam");
}

} // namespace
