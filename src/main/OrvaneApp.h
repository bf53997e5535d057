#pragma once
// The application object: owns the main view model and the update controller for the whole
// process, reads the folders named on the command line, and turns a termination signal into a
// clean quit (the running export is cancelled and its temporary files removed first).
// Interface thread only; one may exist at a time.

#include "AppSettings.h"
#include "AppUpdateController.h"
#include "MainViewModel.h"
#include "TerminationSignals.h"

#include <QObject>
#include <QStringList>

namespace orvane {

class OrvaneApp : public QObject {
    Q_OBJECT

public:
    explicit OrvaneApp(QObject* parent = nullptr);

    MainViewModel& viewModel() { return viewModel_; }
    AppUpdateController& updateController() { return updateController_; }
    // The settings of the program's own file; restore() is the program's to call.
    AppSettings& settings() { return settings_; }

    // The folders to import at start: the positional arguments (paths or file:// addresses),
    // absolute against `workingDirectory`, in order, without repeats.
    static QStringList folderArguments(const QStringList& arguments, const QString& workingDirectory);

    // Cancels a running export, waits (bounded) for its clean-up, then leaves the event loop.
    void quit(int exitCode = 0);

    // Removes what killed copies left in the temporary folder, off the interface thread.
    static void sweepLeftoversInBackground();

private:
    MainViewModel viewModel_;
    AppUpdateController updateController_;
    std::unique_ptr<QSettings> store_ = AppSettings::standardStore();
    AppSettings settings_{*store_, viewModel_};
    TerminationSignals signals_;
};

} // namespace orvane
