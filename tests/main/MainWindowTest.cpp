// The application's window as the program opens it: the real Main.qml over a real view model,
// placed by MainWindowConfigurator (default and minimum size, centred), showing the first-run
// placeholder before any import.

#include "AppUpdateController.h"
#include "MainWindowConfigurator.h"
#include "TestSupport.h"
#include "UiEngine.h"
#include "WindowDriver.h"
#include "WindowTestSupport.h"

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
        QSize window;
        QRect available;
        QPoint expected;
    };
    const Case cases[] = {
        {{900, 700}, {0, 0, 1920, 1080}, {510, 190}},
        {{900, 700}, {0, 32, 1920, 1048}, {510, 206}},    // a top panel
        {{900, 700}, {1920, 0, 1280, 1024}, {2110, 162}}, // the second screen
        {{900, 700}, {0, 0, 901, 701}, {0, 0}},           // odd spare pixels round down
        {{900, 700}, {10, 20, 800, 600}, {10, 20}},       // larger than the area
    };
    for (const Case& c : cases)
        EXPECT_EQ(centredPosition(c.window, c.available), c.expected)
            << c.available.x() << "," << c.available.width();
}

TEST(MainWindow, OpensAtItsDefaultSizeCentredWithTheFirstRunPlaceholder) {
    test::TempFolder folder;
    const test::ScopedEnvironment dataHome{"XDG_DATA_HOME", QFile::encodeName(folder / "share")};
    test::WindowServices services;
    MainViewModel viewModel(services.make());
    AppUpdateController updater(AppUpdateEnvironment{});
    QQmlApplicationEngine engine;
    ui::configureEngine(engine);
    engine.setInitialProperties(
        {{QStringLiteral("viewModel"), QVariant::fromValue<QObject*>(&viewModel)},
         {QStringLiteral("updateController"), QVariant::fromValue<QObject*>(&updater)}});
    engine.load(QUrl(QStringLiteral("qrc:/qt/qml/Orvane/App/window/Main.qml")));
    ASSERT_EQ(engine.rootObjects().size(), 1);
    auto* window = qobject_cast<QQuickWindow*>(engine.rootObjects().first());
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->isVisible()) << "shown only once placed";

    ui::MainWindowConfigurator::present(*window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_EQ(window->title(), "Orvane");
    EXPECT_EQ(window->minimumSize(), QSize(900, 700));
    EXPECT_EQ(window->size(), QSize(900, 700));
    EXPECT_EQ(window->position(), centredPosition(QSize(900, 700), window->screen()->availableGeometry()));

    const test::WindowDriver ui(window);
    QObject* title = ui.shown(QStringLiteral("emptyStateTitle"));
    ASSERT_TRUE(title);
    EXPECT_EQ(title->property("text").toString(), "请先在左侧选择 TeslaCam 文件夹");
    EXPECT_FALSE(ui.shown(QStringLiteral("eventSections")));
}

} // namespace
