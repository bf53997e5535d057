#include "MainWindowLoader.h"

#include "AppUpdateController.h"
#include "MainViewModel.h"
#include "UiEngine.h"

#include <QQmlApplicationEngine>
#include <QQuickWindow>

namespace orvane::ui {

namespace {
const QUrl mainWindowUrl(QStringLiteral("qrc:/qt/qml/Orvane/Window/Main.qml"));
}

QQuickWindow* loadMainWindow(QQmlApplicationEngine& engine, MainViewModel& viewModel,
                             AppUpdateController& updateController) {
    configureEngine(engine);
    engine.setInitialProperties(
        {{QStringLiteral("viewModel"), QVariant::fromValue(&viewModel)},
         {QStringLiteral("updateController"), QVariant::fromValue(&updateController)}});
    engine.load(mainWindowUrl);
    return engine.rootObjects().isEmpty() ? nullptr
                                          : qobject_cast<QQuickWindow*>(engine.rootObjects().first());
}

} // namespace orvane::ui
