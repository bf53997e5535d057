// The application's window as the program opens it: loaded by ui::loadMainWindow over a real
// view model and placed by MainWindowConfigurator (default and minimum size, centred).

#include "AppUpdateController.h"
#include "MainViewModel.h"
#include "MainWindowConfigurator.h"
#include "MainWindowLoader.h"
#include "TestSupport.h"

#include <QFile>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

using namespace orvane;
using ui::MainWindowConfigurator::centredPosition;

namespace {

TEST(MainWindowConfigurator, CentresInTheFreeAreaAndKeepsTheTitleBarOnScreen) {
    struct Case {
        QRect available;
        QPoint expected;
    };
    const Case cases[] = {
        {{0, 0, 1920, 1080}, {510, 190}},     {{0, 32, 1920, 1048}, {510, 206}}, // a top panel
        {{1920, 0, 1280, 1024}, {2110, 162}},                                    // the second screen
        {{0, 0, 901, 701}, {0, 0}},     // odd spare pixels round down
        {{10, 20, 800, 600}, {10, 20}}, // larger than the area
    };
    for (const Case& c : cases)
        EXPECT_EQ(centredPosition(QSize(900, 700), c.available), c.expected)
            << c.available.x() << "," << c.available.width();
}

TEST(MainWindow, TheLoaderBuildsItHiddenAndThePresenterShowsItCentred) {
    test::TempFolder folder;
    const test::ScopedEnvironment dataHome{"XDG_DATA_HOME", QFile::encodeName(folder / "share")};
    MainViewModel viewModel;
    AppUpdateController updater(AppUpdateEnvironment{});
    QQmlApplicationEngine engine;
    QQuickWindow* window = ui::loadMainWindow(engine, viewModel, updater);
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->isVisible()) << "shown only once placed";

    ui::MainWindowConfigurator::present(*window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_EQ(window->title(), "Orvane");
    EXPECT_EQ(window->minimumSize(), QSize(900, 700));
    EXPECT_EQ(window->size(), QSize(900, 700));
    EXPECT_EQ(window->position(), centredPosition(QSize(900, 700), window->screen()->availableGeometry()));
}

} // namespace
