// Loads every QML file of Orvane.Ui the way a screen would, so a missing runtime module, a
// misspelt property or a binding error fails here rather than in front of a user.

#include "AppUpdateController.h"
#include "ContentViewState.h"
#include "MainViewModel.h"
#include "UiEngine.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QTest>
#include <QVideoSink>

#include <gtest/gtest.h>

#include <memory>

namespace {

QStringList warnings;

void collect(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings << message;
}

// What each view needs to be created; views not listed need nothing.
QString propertiesFor(const QString& type) {
    if (type == QLatin1String("AboutSheet"))
        return QStringLiteral("updateController: StubUpdateController { availableUpdate: ({ version: \"1.0\", "
                              "displayReleaseNotes: \"x\" }) }");
    if (type == QLatin1String("IconButton"))
        return QStringLiteral("accessibleName: \"x\"");
    // The window's views take the application's state; the root hands in a real view model.
    if (type == QLatin1String("Main") || type == QLatin1String("ContentView"))
        return QStringLiteral("viewModel: testViewModel; updateController: StubUpdateController {}");
    if (type == QLatin1String("WindowAlerts"))
        return QStringLiteral("viewModel: testViewModel; updateController: StubUpdateController {}\n"
                              "screenState: ContentViewState { viewModel: testViewModel }");
    if (type == QLatin1String("LibraryColumns") || type == QLatin1String("EventBrowser") ||
        type == QLatin1String("BrowserHeader") || type == QLatin1String("EventSectionList"))
        return QStringLiteral("viewModel: testViewModel; screenState: ContentViewState { viewModel: testViewModel }");
    if (type == QLatin1String("LibrarySidebar"))
        return QStringLiteral("viewModel: testViewModel");
    if (type == QLatin1String("EventCard"))
        return QStringLiteral("eventID: \"e\"; timeRangeTitle: \"10:00:00\"; locationLine: \"\"; thumbnailSource: \"\"; "
                              "isDeleteSelected: false; isMergeSelected: false; mergeOrder: 0");
    // The preview page's and the merge editor's pieces work on their page's controller.
    static const QStringList previewPieces = {"PreviewTransport", "PreviewVideoArea", "SegmentStrip"};
    if (previewPieces.contains(type))
        return QStringLiteral("page: PreviewPageController {}");
    if (type.startsWith(QLatin1String("Merge")))
        return QStringLiteral("editor: MergeEditorController {}");
    return {};
}

TEST(QmlModuleLoadTest, EveryFileOfTheModuleLoads) {
    QQmlEngine engine;
    orvane::ui::configureEngine(engine);
    orvane::MainViewModel viewModel;
    QStringList files;
    QDirIterator it(QStringLiteral(":/qt/qml/Orvane/Ui"), {QStringLiteral("*.qml")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    ASSERT_GE(files.size(), 20) << "the module's files are not in the resources";

    const QtMessageHandler previous = qInstallMessageHandler(collect);
    for (const QString& file : files) {
        const QString type = QFileInfo(file).baseName();
        warnings.clear();
        const QString body = type == QLatin1String("Theme")
                                 ? QStringLiteral("Item { property color c: Theme.window }")
                                 : type + QStringLiteral(" { objectName: \"subject\"; ") + propertiesFor(type) +
                                       QStringLiteral(" }");
        const QString text = QStringLiteral("import QtQuick\nimport QtQuick.Window\nimport Orvane.App\nimport Orvane.Ui\n"
                                            "import \"qrc:/orvane-test/qml\"\n"
                                            "Window { width: 900; height: 700; required property QtObject testViewModel; ") +
                             body + QStringLiteral(" }");
        QQmlComponent component(&engine);
        component.setData(text.toUtf8(), QUrl(QStringLiteral("qrc:/orvane-test/") + type + QStringLiteral("Load.qml")));
        // Qt 6.4 crashes when a component that did not compile is given initial properties.
        std::unique_ptr<QObject> window(component.isError() ? nullptr : component.createWithInitialProperties(
            {{QStringLiteral("testViewModel"), QVariant::fromValue<QObject*>(&viewModel)}}));
        EXPECT_TRUE(window) << type.toStdString() << ": " << component.errorString().toStdString();
        if (window) {
            // Sheets and overlays build their content when opened.
            if (QObject* subject = window->findChild<QObject*>(QStringLiteral("subject"));
                subject && subject->metaObject()->indexOfMethod("open()") >= 0)
                QMetaObject::invokeMethod(subject, "open");
            QTest::qWait(50);
        }
        window.reset();
        EXPECT_TRUE(warnings.isEmpty()) << type.toStdString() << ": " << warnings.join(QLatin1Char('\n')).toStdString();
    }
    qInstallMessageHandler(previous);
}

// VideoSinkBinder takes a sink back when the sink's parent announces its destruction, which is
// only early enough if the VideoOutput owns its sink as a child.
TEST(QmlModuleLoadTest, AVideoOutputOwnsItsSink) {
    QQmlEngine engine;
    orvane::ui::configureEngine(engine);
    QQmlComponent component(&engine);
    component.setData("import QtQuick\nimport QtMultimedia\nVideoOutput {}", QUrl(QStringLiteral("qrc:/sink.qml")));
    std::unique_ptr<QObject> output(component.create());
    ASSERT_TRUE(output) << component.errorString().toStdString();
    auto* sink = output->property("videoSink").value<QVideoSink*>();
    ASSERT_NE(sink, nullptr);
    EXPECT_EQ(sink->parent(), output.get());
}

// The About sheet against the real update controller: version, a manual check that fails, its
// alert and dismissal, and the up-to-date alert.
TEST(QmlModuleLoadTest, AboutSheetDrivesTheUpdateController) {
    QQmlEngine engine;
    orvane::ui::configureEngine(engine);
    orvane::AppUpdateEnvironment environment;
    environment.runningVersion = QStringLiteral("1.2.3"); // no manifest addresses: every check fails
    orvane::AppUpdateController controller(environment);
    QQmlComponent component(&engine);
    component.setData("import QtQuick\nimport QtQuick.Window\nimport Orvane.Ui\n"
                      "Window { required property QtObject controller; property alias sheet: sheet\n"
                      "         AboutSheet { id: sheet; updateController: controller } }",
                      QUrl(QStringLiteral("qrc:/about.qml")));
    std::unique_ptr<QObject> window(
        component.createWithInitialProperties({{QStringLiteral("controller"), QVariant::fromValue<QObject*>(&controller)}}));
    ASSERT_TRUE(window) << component.errorString().toStdString();
    auto* sheet = window->property("sheet").value<QObject*>();
    QMetaObject::invokeMethod(sheet, "open");
    const auto child = [&](const char* name) { return sheet->findChild<QObject*>(QLatin1String(name)); };
    ASSERT_TRUE(child("aboutVersion"));
    EXPECT_EQ(child("aboutVersion")->property("text").toString(), QStringLiteral("版本 1.2.3"));

    QMetaObject::invokeMethod(child("checkForUpdatesButton"), "clicked");
    QObject* failed = child("checkFailedAlert");
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed->property("visible").toBool(); }, 5000));
    EXPECT_EQ(failed->property("message").toString(), controller.manualCheckErrorMessageText());
    EXPECT_FALSE(controller.manualCheckErrorMessageText().isEmpty());
    QMetaObject::invokeMethod(failed, "buttonClicked", Q_ARG(int, 0));
    EXPECT_TRUE(controller.manualCheckErrorMessageText().isEmpty());

    controller.setShowUpToDateAlert(true);
    QObject* upToDate = child("upToDateAlert");
    EXPECT_TRUE(upToDate->property("visible").toBool());
    EXPECT_EQ(upToDate->property("message").toString(), QStringLiteral("当前版本 1.2.3 已是最新。"));
    QMetaObject::invokeMethod(upToDate, "buttonClicked", Q_ARG(int, 0));
    EXPECT_FALSE(controller.showUpToDateAlert());
}

} // namespace
