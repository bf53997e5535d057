// A drive plugged in while the window runs: a small tmpfs drive, bind-mounted into place so that
// its footage is there the moment it appears, is offered, opened, and then pulled out while an
// export reads from it. Needs root (CI runs as root) and a system that allows the mounts.

#include "SampleDrive.h"
#include "WindowDriver.h"

#include <QDir>
#include <QElapsedTimer>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace orvane;
using test::waitUntil;

namespace {

// How soon a drive plugged in is offered.
constexpr qint64 offerWithinMs = 3000;

class DriveArrivalTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::hasScreen())
            GTEST_SKIP() << "needs an X server (xvfb-run)";
        if (::geteuid() != 0)
            GTEST_SKIP() << "mounting a drive needs root";
        if (::mount("none", QFile::encodeName(stage).constData(), "tmpfs", 0, "size=64m") != 0)
            GTEST_SKIP() << "the system refused a tmpfs mount: " << std::strerror(errno);
        sample::writeDrive(sample::exampleDrive(stage + "/TeslaCam", sample::CarLayout::fourCamera, 0.25, 2));
        app = std::make_unique<test::AppWindow>(exports, test::quietUpdates());
        ASSERT_TRUE(app->window);
    }
    void TearDown() override {
        app.reset();
        for (const QString& point : {drive, stage})
            ::umount2(QFile::encodeName(point).constData(), MNT_DETACH);
    }

    bool plugIn() const {
        return ::mount(QFile::encodeName(stage).constData(), QFile::encodeName(drive).constData(), nullptr,
                       MS_BIND, nullptr) == 0;
    }
    // As a drive pulled out: gone from the table at once, even with its files open.
    bool pullOut() const { return ::umount2(QFile::encodeName(drive).constData(), MNT_DETACH) == 0; }

    test::ScopedTimeZone zone{"Asia/Shanghai"};
    test::TempFolder folder;
    test::ScopedEnvironment dataHome{"XDG_DATA_HOME", QFile::encodeName(folder / "home/.local/share")};
    test::ScopedEnvironment temp{"TMPDIR", QFile::encodeName(folder.makeFolder("tmp"))};
    QString stage = folder.makeFolder("stage");
    QString drive = folder.makeFolder("media/TESLA USB");
    QString exports = folder.makeFolder("exports");
    std::unique_ptr<test::AppWindow> app;
};

TEST_F(DriveArrivalTest, APluggedDriveIsOfferedOpenedAndSaidGoneWithItsExportStopped) {
    test::WindowDriver& ui = *app->ui;
    MainViewModel& vm = *app->vm;
    EXPECT_FALSE(ui.shown("driveOffer"));

    QElapsedTimer sincePlugged;
    sincePlugged.start();
    ASSERT_TRUE(plugIn()) << std::strerror(errno);
    ASSERT_TRUE(ui.waitShown("driveOffer"));
    EXPECT_LT(sincePlugged.elapsed(), offerWithinMs);
    EXPECT_EQ(ui.textOf("driveOfferName"), "TESLA USB");
    EXPECT_EQ(ui.unnamedButtons(), QStringList());

    ASSERT_TRUE(ui.click("openNewDriveButton"));
    ASSERT_TRUE(ui.waitShown("eventSections"));
    EXPECT_EQ(vm.library()->importedFolders(), QStringList{drive + "/TeslaCam"});
    EXPECT_FALSE(ui.shown("driveOffer"));

    *app->holdExports = true;
    ASSERT_TRUE(ui.click(app->card(0)));
    ASSERT_TRUE(app->previewReady());
    vm.exporter()->startProcessing();
    ASSERT_TRUE(ui.waitShown("exportProgressBar"));

    ASSERT_TRUE(pullOut()) << std::strerror(errno);
    ASSERT_TRUE(waitUntil([&] { return !vm.exporter()->isProcessing(); }, test::screenWaitMs));
    EXPECT_FALSE(vm.library()->hasImported());
    EXPECT_TRUE(vm.library()->eventsByCategory().empty());
    EXPECT_TRUE(ui.waitShown("firstRun"));
    ASSERT_TRUE(ui.waitShown("errorAlert"));
    const QString said = ui.shown("errorAlert")->property("message").toString();
    EXPECT_TRUE(said.contains("TESLA USB")) << said.toStdString();
    EXPECT_EQ(said, vm.messages()->errorMessage());
    EXPECT_TRUE(QDir(exports).entryList(QDir::Files).isEmpty());
}

} // namespace
