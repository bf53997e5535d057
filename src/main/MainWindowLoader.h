#pragma once
// Loads the main window over the application's state, as the program and its benchmark open it.
// Interface thread.

class QQmlApplicationEngine;
class QQuickWindow;

namespace orvane {
class AppUpdateController;
class MainViewModel;
} // namespace orvane

namespace orvane::ui {

// Prepares `engine` and loads the window (not yet shown); null when it could not be loaded.
QQuickWindow* loadMainWindow(QQmlApplicationEngine& engine, MainViewModel& viewModel,
                             AppUpdateController& updateController);

} // namespace orvane::ui
