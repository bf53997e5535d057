// The footage a newer car encrypted, as its owner meets it in the window: the lock's button asks
// for the token, a refused one says so and asks again, the owner's unlocks the event (kept for the
// session when there is no keyring), its six-camera grid plays, and plain copies can be saved.

#include "ClipSource.h"
#include "EventListModel.h"
#include "KeyService.h"
#include "SampleDrive.h"
#include "SampleKeyService.h"
#include "WindowDriver.h"

#include <QDir>
#include <QDirIterator>
#include <QTest>
#include <gtest/gtest.h>

using namespace orvane;
using test::waitUntil;

namespace {

class UnlockWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::hasScreen())
            GTEST_SKIP() << "needs an X server (xvfb-run)";
        ASSERT_TRUE(s.app.window);
    }
    bool sheetOpen() const { return ui.named("unlockSheet")->property("opened").toBool(); }
    bool submit(const QString& token) {
        ui.named("tokenField")->setProperty("text", token);
        return ui.click("unlockButton");
    }

    test::ScreenFixture s;
    const test::WindowDriver& ui = *s.app.ui;
    MainViewModel& vm = *s.app.vm;
};

TEST_F(UnlockWindowTest, TheOwnersTokenUnlocksAnEncryptedEventAndItsSixCameraGridPlays) {
    sample::SampleKeyService service;
    test::ScopedEnvironment address{keys::serviceUrlVariable, service.url().toString().toUtf8()};
    sample::DriveSpec drive =
        sample::exampleDrive(s.folder / "LockedCam", sample::CarLayout::sixCamera, 0.125, 2);
    drive.events.clear();
    sample::addEncryptedEvent(drive);
    sample::writeDrive(drive);
    ASSERT_TRUE(s.app.imported(drive.root));
    ASSERT_EQ(s.app.saved().size(), 1u);
    EventListModel* cards = vm.library()->eventsInSelectedCategory();
    const auto unlockedCard = [&] {
        return cards->data(cards->index(0), EventListModel::IsUnlockedRole).toBool();
    };
    ASSERT_TRUE(ui.waitShown("lockBadge"));

    ASSERT_TRUE(ui.click(s.app.card(0)));
    ASSERT_TRUE(ui.waitShown("unlockEventButton"));
    EXPECT_TRUE(service.askedIds().isEmpty()) << "no token was known, so nothing was asked";
    // The page has settled (its picture's place laid out) before the user reaches for the button.
    ASSERT_TRUE(waitUntil([&] {
        const QObject* page = ui.pageController("previewLoader");
        return page && !page->property("isVideoLoading").toBool();
    }));
    QTest::qWait(200);
    ASSERT_TRUE(ui.click("unlockEventButton"));
    ASSERT_TRUE(waitUntil([&] { return vm.unlock()->isPresented(); }));
    ASSERT_TRUE(waitUntil([&] { return sheetOpen(); }));

    ASSERT_TRUE(submit(QStringLiteral("an-expired-token")));
    ASSERT_TRUE(waitUntil([&] { return !ui.textOf("unlockError").isEmpty(); }, test::screenWaitMs));
    EXPECT_TRUE(sheetOpen());
    EXPECT_FALSE(vm.preview()->lockedFiles().isEmpty());

    ASSERT_TRUE(submit(sample::SampleKeyService::acceptedToken()));
    // No keyring here: the sheet says the token lasts for the session, and goes with "好".
    ASSERT_TRUE(waitUntil([&] { return !ui.textOf("unlockStorageNotice").isEmpty(); }, test::screenWaitMs));
    ASSERT_TRUE(ui.click("unlockCancelButton"));
    EXPECT_TRUE(waitUntil([&] { return !sheetOpen(); }));
    EXPECT_TRUE(waitUntil([&] { return vm.preview()->lockedFiles().isEmpty() && s.app.previewReady(); },
                          test::screenWaitMs));
    EXPECT_FALSE(test::WindowDriver::isShown(ui.named("unlockEventButton")));

    ASSERT_TRUE(ui.click("cameraTab_all"));
    ASSERT_TRUE(
        waitUntil([&] { return vm.preview()->isGrid() && s.app.previewReady(); }, test::screenWaitMs));
    for (const char* camera : {"gridCell_front", "gridCell_left_pillar", "gridCell_right_repeater"})
        EXPECT_TRUE(waitUntil([&] { return ui.frameIn(camera).has_value(); }, test::screenWaitMs)) << camera;
    PreviewController* grid = vm.preview()->activePreview();
    grid->togglePlayPause();
    EXPECT_TRUE(waitUntil([&] { return grid->currentTime() > 0.5; }, test::screenWaitMs));
    EXPECT_FALSE(ui.shown("gridClipNotice"));
    // The dashboard reads the record the locked files held back.
    const QObject* timeline = ui.pageController("previewLoader")->property("timeline").value<QObject*>();
    EXPECT_TRUE(waitUntil([&] { return timeline->property("hasTelemetry").toBool(); }, test::screenWaitMs));
    // The card says so (and asks for its picture again).
    EXPECT_TRUE(unlockedCard());

    // Plain copies to keep: into the export folder as a plain drive, the first on the result page.
    grid->togglePlayPause();
    ASSERT_TRUE(ui.click("decryptedCopiesButton"));
    ASSERT_TRUE(ui.waitShown("exportResult", test::screenWaitMs));
    const QStringList notes = ui.shown("exportResult")->property("notes").toStringList();
    ASSERT_FALSE(notes.isEmpty());
    QStringList copies;
    for (QDirIterator it(s.exports + "/TeslaCam/SavedClips", {"*.mp4"}, QDir::Files,
                         QDirIterator::Subdirectories);
         it.hasNext();)
        copies << it.next();
    EXPECT_EQ(copies.size(), 12) << notes.join('\n').toStdString();
    EXPECT_TRUE(notes[0].contains("12")) << notes[0].toStdString();
    for (const QString& copy : copies)
        EXPECT_EQ(media::ClipSource::inspect(copy), media::ClipKind::mp4) << copy.toStdString();
}

} // namespace
