// The main window as a user meets it: the program's window over a real view model of a small
// sample drive, driven by clicks and keys. The pages in front of the browser are reached through
// the view model where their own controls would be needed.

#include "WindowDriver.h"

#include <QAccessible>
#include <QDir>
#include <QDirIterator>
#include <QTest>
#include <gtest/gtest.h>

using namespace orvane;
using test::waitUntil;
using test::WindowDriver;

namespace {

QStringList filesUnder(const QString& folder, const QString& pattern) {
    QStringList found;
    QDirIterator it(folder, {pattern}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::hasScreen())
            GTEST_SKIP() << "needs an X server (xvfb-run)";
        ASSERT_TRUE(s.app.window);
    }

    test::ScreenFixture s;
    MainViewModel& vm = *s.app.vm;
    WindowDriver& ui = *s.app.ui;

    QList<QObject*> cards() const {
        return ui.find(
            [](QObject* o) { return o->objectName().startsWith("eventCard_") && WindowDriver::isShown(o); });
    }
    QObject* card(int row) const {
        return ui.shown("eventCard_" +
                        vm.library()->eventsInSelectedCategory()->get(row)["eventID"].toString());
    }
    // A folder chooser, accepted with `folder`.
    void choose(const char* dialog, const QString& folder) {
        QObject* chooser = ui.named(QString::fromLatin1(dialog));
        ASSERT_TRUE(chooser);
        ASSERT_TRUE(waitUntil([&] { return chooser->property("visible").toBool(); }));
        chooser->setProperty("selectedFolder", QUrl::fromLocalFile(folder));
        QMetaObject::invokeMethod(chooser, "accept");
    }
    // That page is on screen and the browser is not.
    bool pageShown(const char* loader) const {
        return waitUntil([&] { return ui.pageController(loader) && !ui.shown("eventSections"); },
                         test::screenWaitMs);
    }
    bool previewReady() {
        const PreviewViewModel& preview = *vm.preview();
        return waitUntil(
            [&] {
                return preview.selectedEvent() && !preview.isLoadingEvent() && preview.activeDuration() > 0 &&
                       !preview.activePreview()->isLoading();
            },
            test::screenWaitMs);
    }
};

TEST_F(WindowTest, ImportFromTheChooserShowsDaysAndCardsWithPictures) {
    EXPECT_TRUE(ui.shown("firstRun"));
    EXPECT_EQ(ui.textOf("emptyStateTitle"), "请先在左侧选择 TeslaCam 文件夹");
    ASSERT_TRUE(ui.click("importButton"));
    choose("importFolderDialog", s.drive);

    ASSERT_TRUE(ui.waitShown("eventSections"));
    EXPECT_FALSE(ui.shown("firstRun"));
    // Saved first: two events on two days.
    ASSERT_TRUE(waitUntil([&] { return cards().size() == 2; }, test::screenWaitMs));
    EXPECT_EQ(ui.textOf("eventCount"), "共 2 个视频片段");
    EXPECT_EQ(ui.allShown("dayCount").size(), 2);
    EXPECT_TRUE(ui.waitThumbnailsReady(2));

    ASSERT_TRUE(ui.click("segment_sentry"));
    EXPECT_EQ(vm.library()->selectedCategory(), ClipCategory::sentry);
    EXPECT_TRUE(waitUntil([&] { return cards().size() == 1; }));
    EXPECT_FALSE(ui.shown("startMergeButton")) << "the sentry category offers no splice";
    EXPECT_TRUE(ui.shown("startDeleteButton"));
}

TEST_F(WindowTest, DeleteModeMarksConfirmsAndMovesTheEventToTheTrash) {
    ASSERT_TRUE(s.imported());
    ASSERT_EQ(cards().size(), 2);
    const QString doomedID = vm.library()->eventsInSelectedCategory()->get(0)["eventID"].toString();
    const QStringList doomedFiles =
        filesUnder(vm.library()->eventsInSelectedCategory()->get(0)["folderURL"].toString(), "*.mp4");

    ASSERT_TRUE(ui.click("startDeleteButton"));
    EXPECT_EQ(ui.textOf("deleteSelectedButton"), "删除（0）");
    EXPECT_FALSE(ui.shown("deleteSelectedButton")->property("enabled").toBool());
    // A card toggles its mark instead of opening; select-all marks and clears every card.
    ASSERT_TRUE(ui.click(card(0)));
    EXPECT_FALSE(vm.preview()->selectedEvent().has_value());
    EXPECT_EQ(ui.textOf("deleteSelectedButton"), "删除（1）");
    ASSERT_TRUE(ui.click("selectAllButton"));
    EXPECT_EQ(ui.textOf("selectAllButton"), "取消全选");
    ASSERT_TRUE(ui.click("selectAllButton"));
    EXPECT_EQ(ui.textOf("deleteSelectedButton"), "删除（0）");
    ASSERT_TRUE(ui.click(card(0)));

    ASSERT_TRUE(ui.click("deleteSelectedButton"));
    ASSERT_TRUE(ui.waitShown("deleteConfirmation", 2000));
    EXPECT_EQ(ui.shown("deleteConfirmation")->property("message").toString(),
              "将删除选中的 1 个片段及其所有机位源视频，文件会移到废纸篓。其他片段不会受到影响。");
    ASSERT_TRUE(ui.click(ui.button("移到废纸篓")));
    ASSERT_TRUE(waitUntil([&] { return !vm.library()->isDeletingEvents() && cards().size() == 1; },
                          test::screenWaitMs));
    EXPECT_FALSE(ui.shown("eventCard_" + doomedID));
    EXPECT_TRUE(ui.shown("startDeleteButton")) << "selection mode ends";
    ASSERT_FALSE(doomedFiles.isEmpty());
    for (const QString& file : doomedFiles)
        EXPECT_FALSE(QFile::exists(file)) << file.toStdString();
    EXPECT_EQ(filesUnder(s.folder / "home/.local/share/Trash/files", "*.mp4").size(), doomedFiles.size());
}

TEST_F(WindowTest, ADroppedFolderIsImportedAndTheErrorAlertClearsOnOk) {
    QObject* area = ui.named("folderDropArea");
    ASSERT_TRUE(area);
    const auto drop = [&](const QString& folder) {
        QMetaObject::invokeMethod(
            area, "foldersDropped",
            Q_ARG(QVariant, QVariant::fromValue(QList<QUrl>{QUrl::fromLocalFile(folder)})));
    };
    drop(s.drive);
    ASSERT_TRUE(ui.waitShown("eventSections"));
    drop(s.exports);
    ASSERT_TRUE(ui.waitShown("errorAlert"));
    EXPECT_EQ(ui.shown("errorAlert")->property("message").toString(),
              "未识别为 TeslaCam 文件夹，请选择包含 RecentClips、SentryClips、SavedClips 的根目录。");
    EXPECT_FALSE(ui.button("打开系统设置"));
    ASSERT_TRUE(ui.click(ui.button("好")));
    EXPECT_TRUE(vm.messages()->errorMessage().isEmpty());
    EXPECT_TRUE(ui.waitGone("errorAlert", 2000));
    EXPECT_EQ(cards().size(), 2) << "the library stays";

    vm.messages()->setErrorMessage(QStringLiteral("无法访问相册"));
    vm.exporter()->setShowPhotosPrivacySettings(true);
    ASSERT_TRUE(ui.waitShown("errorAlert", 2000));
    ASSERT_TRUE(ui.click(ui.button("打开系统设置")));
    EXPECT_EQ(s.app.opened->size(), 1);
    EXPECT_FALSE(vm.exporter()->showPhotosPrivacySettings());
    EXPECT_TRUE(vm.messages()->errorMessage().isEmpty());
}

TEST_F(WindowTest, TheOutputPickerAndTheFolderChooserSetTheDestination) {
    ASSERT_TRUE(ui.click("segment_photosLibrary"));
    EXPECT_EQ(vm.exporter()->outputDestinationKind(), "photosLibrary");
    EXPECT_EQ(ui.textOf("outputLocation"), "系统相册");
    EXPECT_FALSE(ui.shown("changeOutputButton"));

    ASSERT_TRUE(ui.click("segment_custom"));
    EXPECT_EQ(vm.exporter()->outputDestinationKind(), "folder");
    ASSERT_TRUE(ui.click("changeOutputButton"));
    const QString chosen = s.folder.makeFolder("clips for mum");
    choose("outputFolderDialog", chosen);
    EXPECT_TRUE(waitUntil([&] { return vm.exporter()->outputFolder() == chosen; }));
    EXPECT_EQ(ui.textOf("outputLocation"), vm.exporter()->outputFolderDisplayPath());

    ASSERT_TRUE(ui.click("segment_original"));
    EXPECT_EQ(vm.exporter()->exportQuality(), "original");
}

TEST_F(WindowTest, TheExportOverlayShowsItsBarAndCancelReturnsToThePreview) {
    *s.app.holdExports = true;
    ASSERT_TRUE(s.imported());
    ASSERT_TRUE(ui.click(card(0)));
    ASSERT_TRUE(pageShown("previewLoader"));
    ASSERT_TRUE(previewReady());

    vm.exporter()->startProcessing();
    ASSERT_TRUE(ui.waitShown("exportProgressBar"));
    EXPECT_EQ(ui.textOf("exportPercent"), "37%");
    EXPECT_FALSE(ui.pageController("previewLoader"));

    ASSERT_TRUE(ui.click("cancelExportButton"));
    ASSERT_TRUE(waitUntil([&] { return !vm.exporter()->isProcessing(); }, test::screenWaitMs));
    EXPECT_TRUE(pageShown("previewLoader"));
    EXPECT_FALSE(vm.exporter()->hasExportResult());
    EXPECT_TRUE(QDir(s.folder / "tmp").isEmpty());
    EXPECT_TRUE(QDir(s.exports).isEmpty());

    // Closing the preview brings the browser back with the same category.
    vm.preview()->closeEventPreview();
    EXPECT_TRUE(ui.waitShown("eventSections", 2000));
    EXPECT_EQ(vm.library()->selectedCategory(), ClipCategory::saved);
}

TEST_F(WindowTest, TheResultPageCapturesAndSavesAStillBesideTheVideo) {
    ASSERT_TRUE(s.imported());
    ASSERT_TRUE(ui.click(card(0)));
    ASSERT_TRUE(previewReady());
    vm.exporter()->startProcessing();
    ASSERT_TRUE(ui.waitShown("exportResult", test::exportWaitMs));
    QObject* page = ui.shown("exportResult")->property("controller").value<QObject*>();
    ASSERT_TRUE(waitUntil([&] { return page->property("isReady").toBool(); }, test::screenWaitMs));
    EXPECT_EQ(ui.textOf("resultMessage"), "视频已成功导出");

    ASSERT_TRUE(ui.click("nextFrameButton"));
    ASSERT_TRUE(ui.click("captureButton"));
    ASSERT_TRUE(waitUntil(
        [&] {
            return page->property("captures").value<QObject*>()->property("count").toInt() == 1 &&
                   !page->property("isCapturing").toBool();
        },
        test::screenWaitMs));
    ASSERT_TRUE(ui.click("saveAllButton"));
    ASSERT_TRUE(
        waitUntil([&] { return !page->property("saveMessage").toString().isEmpty(); }, test::screenWaitMs));
    const QStringList stills = filesUnder(s.exports, "*.png");
    ASSERT_EQ(stills.size(), 1);
    EXPECT_FALSE(QImage(stills.first()).isNull()) << "a whole PNG: a truncated one does not decode";

    ASSERT_TRUE(ui.click("doneButton"));
    EXPECT_TRUE(ui.waitGone("exportResult", 2000));
    EXPECT_TRUE(pageShown("previewLoader"));
}

TEST_F(WindowTest, SplicingTwoSavedEventsPresentsTheMergeEditor) {
    ASSERT_TRUE(s.imported());
    ASSERT_TRUE(ui.click("startMergeButton"));
    EXPECT_EQ(ui.textOf("mergeNextButton"), "下一步（0）");
    EXPECT_FALSE(ui.shown("mergeNextButton")->property("enabled").toBool());
    ASSERT_TRUE(ui.click(card(1)));
    ASSERT_TRUE(ui.click(card(0)));
    EXPECT_EQ(ui.textOf("mergeNextButton"), "下一步（2）");
    // The marks are the pick order.
    const auto orderOf = [&](int row) {
        return card(row)->findChild<QObject*>("selectionMark")->property("order").toInt();
    };
    EXPECT_EQ(orderOf(1), 1);
    EXPECT_EQ(orderOf(0), 2);

    ASSERT_TRUE(ui.click("mergeNextButton"));
    ASSERT_TRUE(pageShown("mergeEditorLoader"));
    vm.merge()->closeMergeEditor();
    EXPECT_TRUE(ui.waitShown("eventSections", 2000));
}

TEST_F(WindowTest, EveryControlHasANameAndTheKeyboardReachesTheCards) {
    ASSERT_TRUE(s.imported());
    ui.key(Qt::Key_Escape); // nothing to leave: stays
    EXPECT_TRUE(ui.shown("eventSections"));

    // Tab walks the controls in reading order and reaches the first card.
    QStringList names;
    QObject* reached = nullptr;
    for (int i = 0; i < 40 && !reached; ++i) {
        ui.key(Qt::Key_Tab);
        QQuickItem* focused = ui.focusedItem();
        if (!focused)
            continue; // another window took the keyboard before the key arrived
        names << focused->objectName();
        if (focused->objectName().startsWith("eventCard_"))
            reached = focused;
    }
    ASSERT_TRUE(reached) << names.join(", ").toStdString();
    for (const char* control : {"importButton", "sidebarToggle", "startDeleteButton"})
        EXPECT_TRUE(names.contains(control)) << control;
    ui.key(Qt::Key_Space);
    EXPECT_TRUE(pageShown("previewLoader"));
    vm.preview()->closeEventPreview();
    EXPECT_TRUE(ui.waitShown("eventSections", 2000));

    ASSERT_TRUE(ui.click("startDeleteButton"));
    ui.key(Qt::Key_Escape);
    EXPECT_FALSE(vm.library()->isDeleteSelectionMode());

    EXPECT_EQ(ui.unnamedButtons(), QStringList());
    // The sidebar button hides and shows the sidebar, saying which it will do.
    QObject* toggle = ui.shown("sidebarToggle");
    EXPECT_EQ(toggle->property("accessibleName").toString(), "收起侧边栏");
    ASSERT_TRUE(ui.click(toggle));
    EXPECT_TRUE(ui.waitGone("sidebar", 2000));
    EXPECT_EQ(toggle->property("accessibleName").toString(), "显示侧边栏");
    ASSERT_TRUE(ui.click(toggle));
    EXPECT_TRUE(ui.waitShown("sidebar", 2000));
}

} // namespace
