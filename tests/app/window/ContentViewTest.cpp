// The main window as a user meets it: the program's window over a real view model of a small
// sample drive, driven by clicks and keys. The pages in front of the browser are reached through
// the view model where their own controls would be needed.

#include "WindowDriver.h"

#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QGuiApplication>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
};

TEST_F(WindowTest, ImportFromTheChooserShowsTheCards) {
    EXPECT_TRUE(ui.shown("firstRun"));
    ASSERT_TRUE(ui.click("importButton"));
    choose("importFolderDialog", s.drive);

    ASSERT_TRUE(ui.waitShown("eventSections"));
    EXPECT_FALSE(ui.shown("firstRun"));
    // Saved first: two events (their count and days the language test reads).
    ASSERT_TRUE(waitUntil([&] { return s.app.cards().size() == 2; }, test::screenWaitMs));
}

TEST_F(WindowTest, DeleteModeMarksConfirmsAndMovesTheEventToTheTrash) {
    ASSERT_TRUE(s.imported());
    ASSERT_EQ(s.app.cards().size(), 2);
    const TeslaClipEvent& doomed = vm.library()->eventsInSelectedCategory()->events().front();
    const QString doomedID = doomed.id.toString(QUuid::WithoutBraces);
    const QStringList doomedFiles = filesUnder(doomed.folderURL, "*.mp4");

    ASSERT_TRUE(ui.click("startDeleteButton"));
    EXPECT_FALSE(ui.shown("deleteSelectedButton")->property("enabled").toBool());
    // A card toggles its mark instead of opening; select-all marks and clears every card.
    ASSERT_TRUE(ui.click(s.app.card(0)));
    EXPECT_FALSE(vm.preview()->selectedEvent().has_value());
    EXPECT_EQ(ui.textOf("deleteSelectedButton"), "删除（1）");
    ASSERT_TRUE(ui.click("selectAllButton"));
    EXPECT_EQ(ui.textOf("selectAllButton"), "取消全选");
    ASSERT_TRUE(ui.click("selectAllButton"));
    EXPECT_EQ(ui.textOf("deleteSelectedButton"), "删除（0）");
    ASSERT_TRUE(ui.click(s.app.card(0)));

    ASSERT_TRUE(ui.click("deleteSelectedButton"));
    ASSERT_TRUE(ui.waitShown("deleteConfirmation", 2000));
    EXPECT_EQ(ui.shown("deleteConfirmation")->property("message").toString(),
              "将删除选中的 1 个片段及其所有机位源视频，文件会移到废纸篓。其他片段不会受到影响。");
    ASSERT_TRUE(ui.click(ui.button("移到废纸篓")));
    ASSERT_TRUE(waitUntil([&] { return !vm.library()->isDeletingEvents() && s.app.cards().size() == 1; },
                          test::screenWaitMs));
    EXPECT_FALSE(ui.shown("eventCard_" + doomedID));
    EXPECT_TRUE(ui.shown("startDeleteButton")) << "selection mode ends";
    ASSERT_FALSE(doomedFiles.isEmpty());
    for (const QString& file : doomedFiles)
        EXPECT_FALSE(QFile::exists(file)) << file.toStdString();
    EXPECT_EQ(filesUnder(s.folder / "home/.local/share/Trash/files", "*.mp4").size(), doomedFiles.size());
}

// A drive written by another system, dropped as a file manager drops it (the bytes of its
// folder's name, not UTF-8, percent-encoded): its events show with their pictures and a minute
// plays. A folder that is no drive gets its alert, which clears on "好".
TEST_F(WindowTest, ADroppedFolderNamedInAnotherEncodingPlaysAndAnUnrelatedOneIsRefused) {
    const test::RemovedByBytes cleanup{s.folder.path()};
    const QByteArray outer = QFile::encodeName(s.folder.path()) + "/cl\xe9 USB";
    ASSERT_EQ(::mkdir(outer.constData(), 0755), 0);
    ASSERT_EQ(::rename(QFile::encodeName(s.drive).constData(), (outer + "/TeslaCam").constData()), 0);
    const auto drop = [&](const QUrl& folder) {
        QMetaObject::invokeMethod(ui.named("folderDropArea"), "foldersDropped",
                                  Q_ARG(QVariant, QVariant::fromValue(QList<QUrl>{folder})));
    };
    drop(QUrl::fromEncoded("file://" + (outer + "/TeslaCam").toPercentEncoding("/")));
    ASSERT_TRUE(ui.waitShown("eventSections"));
    EXPECT_TRUE(vm.messages()->errorMessage().isEmpty()) << vm.messages()->errorMessage().toStdString();
    ASSERT_EQ(s.app.saved().size(), 2u);
    EXPECT_TRUE(ui.waitThumbnailsReady(2));
    vm.preview()->selectEvent(s.app.saved().back());
    EXPECT_TRUE(waitUntil([&] { return ui.frameIn("singleVideo").has_value(); }, test::screenWaitMs))
        << "no picture of the minute";
    vm.preview()->closeEventPreview();

    drop(QUrl::fromLocalFile(s.exports));
    ASSERT_TRUE(ui.waitShown("errorAlert"));
    EXPECT_EQ(ui.shown("errorAlert")->property("message").toString(),
              "未识别为 TeslaCam 文件夹，请选择包含 RecentClips、SentryClips、SavedClips 的根目录。");
    EXPECT_FALSE(ui.button("打开系统设置"));
    ASSERT_TRUE(ui.click(ui.button("好")));
    EXPECT_TRUE(vm.messages()->errorMessage().isEmpty());
    EXPECT_TRUE(ui.waitGone("errorAlert", 2000));
    EXPECT_EQ(s.app.cards().size(), 2) << "the library stays";
}

TEST_F(WindowTest, TheExportOverlayShowsItsBarAndCancelReturnsToThePreview) {
    *s.app.holdExports = true;
    ASSERT_TRUE(s.imported());
    ASSERT_TRUE(ui.click(s.app.card(0)));
    ASSERT_TRUE(pageShown("previewLoader"));
    ASSERT_TRUE(s.app.previewReady());

    vm.exporter()->startProcessing();
    ASSERT_TRUE(ui.waitShown("exportProgressBar"));
    EXPECT_EQ(ui.textOf("exportPercent"), "37%");
    EXPECT_FALSE(ui.pageController("previewLoader"));

    ASSERT_TRUE(ui.click("cancelExportButton"));
    ASSERT_TRUE(waitUntil([&] { return !vm.exporter()->isProcessing(); }, test::screenWaitMs));
    EXPECT_TRUE(pageShown("previewLoader"));
}

// After an export the result page shows the file's whole path and copies it, and captures a
// still beside the video; "完成" returns to the preview showing the frame it stood at, not black.
TEST_F(WindowTest, TheResultPageCopiesThePathSavesAStillAndReturnsToThePreviewsFrame) {
    s.app.window->resize(900, 700);
    ASSERT_TRUE(s.imported());
    vm.preview()->selectEvent(s.app.saved().back()); // one minute
    ASSERT_TRUE(s.app.previewReady());
    constexpr int frame = 30;
    vm.preview()->videoPreview()->seek((frame + 0.5) / 36, false);
    ASSERT_TRUE(waitUntil([&] { return ui.frameIn("singleVideo") == frame; }, test::screenWaitMs));

    QObject* page = s.app.exportedResult();
    ASSERT_TRUE(page);
    EXPECT_EQ(ui.textOf("resultMessage"), "视频已成功导出");
    const QString path = vm.exporter()->exportResultPath().value_or("");
    EXPECT_EQ(ui.textOf("resultPath"), path);
    ASSERT_TRUE(ui.click("copyPathButton"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), path);
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
    EXPECT_EQ(QDir(s.exports).entryList({"*.png"}).size(), 1);

    ASSERT_TRUE(ui.click("doneButton"));
    ASSERT_TRUE(ui.waitShown("singleVideo", test::screenWaitMs));
    std::optional<int> shown;
    EXPECT_TRUE(
        waitUntil([&] { return (shown = ui.frameIn("singleVideo")).has_value(); }, test::screenWaitMs))
        << "the preview came back black";
    EXPECT_EQ(shown.value_or(-1), frame);
}

// The calendar from the keyboard: the arrows walk back from the latest day to the older day's
// month and day, Enter closes it, and the older day's first card has the keyboard.
TEST_F(WindowTest, TheCalendarTakesTheKeyboardToTheChosenDaysFirstCard) {
    ASSERT_TRUE(s.imported());
    const std::vector<TeslaClipEvent> saved = s.app.saved(); // oldest first
    const auto dayOf = [](const TeslaClipEvent& e) {
        return QDateTime::fromSecsSinceEpoch(qint64(e.startTime)).date();
    };
    const qint64 daysBack = dayOf(saved.front()).daysTo(dayOf(saved.back()));
    ASSERT_GT(daysBack, 0);

    ASSERT_TRUE(ui.click("jumpToDayButton"));
    ASSERT_TRUE(ui.waitShown("footageCalendar", 2000));
    for (qint64 i = 0; i < daysBack; ++i)
        ui.key(Qt::Key_Left);
    ui.key(Qt::Key_Return);
    ASSERT_TRUE(ui.waitGone("footageCalendar", 2000));
    EXPECT_TRUE(waitUntil(
        [&] {
            QQuickItem* focused = ui.focusedItem();
            return focused &&
                   focused->objectName() == "eventCard_" + saved.front().id.toString(QUuid::WithoutBraces);
        },
        2000));
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
    for (const char* control : {"importButton", "sidebarToggle", "reasonFilterButton", "marksFilterButton",
                                "jumpToDayButton", "startDeleteButton"})
        EXPECT_TRUE(names.contains(control)) << control;
    ui.key(Qt::Key_Space);
    EXPECT_TRUE(pageShown("previewLoader"));
    // Closing the preview brings the browser back with the same category.
    vm.preview()->closeEventPreview();
    EXPECT_TRUE(ui.waitShown("eventSections", 2000));
    EXPECT_EQ(vm.library()->selectedCategory(), ClipCategory::saved);

    ASSERT_TRUE(ui.click("startDeleteButton"));
    ui.key(Qt::Key_Escape);
    EXPECT_FALSE(vm.library()->isDeleteSelectionMode());

    // The sidebar button hides and shows the sidebar, saying which it will do.
    QObject* toggle = ui.shown("sidebarToggle");
    EXPECT_EQ(toggle->property("accessibleName").toString(), "收起侧边栏");
    ASSERT_TRUE(ui.click(toggle));
    EXPECT_TRUE(ui.waitGone("sidebar", 2000));
    EXPECT_EQ(toggle->property("accessibleName").toString(), "显示侧边栏");
    ASSERT_TRUE(ui.click(toggle));
    EXPECT_TRUE(ui.waitShown("sidebar", 2000));

    // The calendar names its days and buttons for a screen reader and closes with Escape.
    ASSERT_TRUE(ui.click("jumpToDayButton"));
    ASSERT_TRUE(ui.waitShown("footageCalendar", 2000));
    EXPECT_EQ(ui.unnamedButtons(), QStringList());
    ui.key(Qt::Key_Escape);
    EXPECT_TRUE(ui.waitGone("footageCalendar", 2000));
}

} // namespace
