// Loads every QML file of Orvane's modules the way a screen would, so a missing runtime module, a
// misspelt property or a binding error fails here rather than in front of a user.

#include "AppUpdateController.h"
#include "ContentViewState.h"
#include "MainViewModel.h"
#include "UiEngine.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace orvane;

namespace {

QStringList warnings;

void collect(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings << message;
}

// What each view needs to be created; views not listed need nothing. The window's views take
// the application's state, the root hands in a real view model and update controller.
QString propertiesFor(const QString& type) {
    static const QHash<QString, QString> properties = {
        {"AboutSheet", "updateController: testUpdater"},
        {"IconButton", "accessibleName: \"x\""},
        {"Main", "viewModel: testViewModel; updateController: testUpdater"},
        {"ContentView", "viewModel: testViewModel; updateController: testUpdater"},
        {"WindowAlerts", "viewModel: testViewModel; updateController: testUpdater; screenState: state"},
        {"LibraryColumns", "viewModel: testViewModel; screenState: state"},
        {"EventBrowser", "library: testViewModel.library; headerControls: state.headerControls; "
                         "cardSelectionMode: state.cardSelectionMode; category: state.categorySelection"},
        {"BrowserHeader", "library: testViewModel.library; controls: state.headerControls"},
        {"MarksFilterButton", "filter: testViewModel.library.marksFilter"},
        {"EventSectionList", "library: testViewModel.library; cardSelectionMode: state.cardSelectionMode"},
        {"JumpToDayButton", "library: testViewModel.library"},
        {"FootageCalendarPopup", "calendar: testViewModel.library.footageCalendar"},
        {"ReasonFilterButton", "library: testViewModel.library"},
        {"ReasonFilterEmptyState", "library: testViewModel.library"},
        {"MergeSelectionControls", "merge: testViewModel.merge; headerControls: state.headerControls; "
                                   "offersStart: true; canContinue: false"},
        {"LibrarySidebar",
         "library: testViewModel.library; exporter: testViewModel.exporter; preview: testViewModel.preview; "
         "messages: testViewModel.messages; language: testViewModel.language"},
        {"EventCard",
         "eventID: \"e\"; timeRangeTitle: \"10:00:00\"; locationLine: \"\"; thumbnailSource: \"\"; "
         "isDeleteSelected: false; isMergeSelected: false; mergeOrder: 0"},
        {"EventPreviewPage", "preview: testViewModel.preview"},
        {"VideoMergeEditorView", "merge: testViewModel.merge"},
        {"PreviewTransport", "page: page; player: testViewModel.preview.activePreview"},
        {"PreviewVideoArea", "page: page; preview: testViewModel.preview"},
        {"SegmentStrip", "page: page; preview: testViewModel.preview"},
        {"DriveStripBar", "page: page"},
        {"RouteMapPanel", "page: page"},
        {"TeslaDashboardView", "presentation: DashboardPresentation {}"},
        {"MergeEditorHeader", "editor: editor; merge: testViewModel.merge"},
        {"MergePreviewPanel", "editor: editor; merge: testViewModel.merge"},
        {"MergeReviewList", "editor: editor; merge: testViewModel.merge"},
        {"MergePlaybackBar", "editor: editor; player: testViewModel.merge.mergePreview"},
        {"MergeRangeControls", "editor: editor"},
        {"UnlockSheet", "unlock: testViewModel.unlock"},
        {"DriveOfferBanner", "offer: testViewModel.drives"},
    };
    return properties.value(type);
}

// Opens the sheets, overlays and dialogs under `root`: they build their content (and load their
// modules) only when opened.
void openEverything(QObject* root) {
    for (QObject* object : root->findChildren<QObject*>())
        if (object->metaObject()->indexOfMethod("open()") >= 0)
            QMetaObject::invokeMethod(object, "open");
}

TEST(QmlModuleLoadTest, EveryFileOfTheModulesLoadsAndOpensWithoutAWarning) {
    QQmlEngine engine;
    ui::configureEngine(engine);
    MainViewModel viewModel;
    AppUpdateController updater(AppUpdateEnvironment{});
    QStringList files;
    QDirIterator it(QStringLiteral(":/qt/qml/Orvane"), {QStringLiteral("*.qml")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    ASSERT_GE(files.size(), 60) << "the modules' files are not in the resources";

    const QtMessageHandler previous = qInstallMessageHandler(collect);
    for (const QString& file : files) {
        const QString type = QFileInfo(file).baseName();
        warnings.clear();
        const QString body = type == QLatin1String("Theme")
                                 ? QStringLiteral("Item { property color c: Theme.window }")
                                 : type + QStringLiteral(" { objectName: \"subject\"; ") +
                                       propertiesFor(type) + QStringLiteral(" }");
        const QString text =
            QStringLiteral(
                "import QtQuick\nimport QtQuick.Window\nimport Orvane.Common\nimport Orvane.Library\n"
                "import Orvane.Preview\nimport Orvane.Merge\nimport Orvane.Export\n"
                "import Orvane.Window\nimport Orvane.Update\n"
                "Window { width: 900; height: 700; required property MainViewModel testViewModel\n"
                "required property AppUpdateController testUpdater\n"
                "ContentViewState { id: state; viewModel: testViewModel }\n"
                "PreviewPageController { id: page; preview: testViewModel.preview }\n"
                "MergeEditorController { id: editor; merge: testViewModel.merge }\n") +
            body + QStringLiteral(" }");
        QQmlComponent component(&engine);
        component.setData(text.toUtf8(),
                          QUrl(QStringLiteral("qrc:/load-test/") + type + QStringLiteral(".qml")));
        // Qt 6.4 crashes when a component that did not compile is given initial properties.
        std::unique_ptr<QObject> window(
            component.isError() ? nullptr
                                : component.createWithInitialProperties(
                                      {{QStringLiteral("testViewModel"), QVariant::fromValue(&viewModel)},
                                       {QStringLiteral("testUpdater"), QVariant::fromValue(&updater)}}));
        EXPECT_TRUE(window) << type.toStdString() << ": " << component.errorString().toStdString();
        if (window) {
            openEverything(window.get());
            QTest::qWait(50);
        }
        window.reset();
        EXPECT_TRUE(warnings.isEmpty())
            << type.toStdString() << ": " << warnings.join(QLatin1Char('\n')).toStdString();
    }
    qInstallMessageHandler(previous);
    // scripts/check-packages.sh compares what this load brought in with the package list.
    if (const QString out = qEnvironmentVariable("ORVANE_LOADED_FILES_OUT"); !out.isEmpty()) {
        QFile maps(QStringLiteral("/proc/self/maps")), copy(out);
        ASSERT_TRUE(maps.open(QIODevice::ReadOnly) && copy.open(QIODevice::WriteOnly));
        copy.write(maps.readAll()); // procfs gives no size, so no QFile::copy
    }
}

} // namespace
