#include "OrvaneApp.h"

#include "FileName.h"
#include "OwnedFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QThreadPool>
#include <QUrl>

namespace orvane {

OrvaneApp::OrvaneApp(QObject* parent)
    : QObject(parent), signals_(this, [this](int signal) { quit(TerminationSignals::exitCodeFor(signal)); }) {
    // Closing the window ends the event loop; an export still running is cancelled the same way.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            [this] { viewModel_.shutdown(); });
}

QStringList OrvaneApp::folderArguments(const QStringList& arguments, const QString& workingDirectory) {
    const QDir base(workingDirectory);
    QStringList folders;
    for (const QString& argument : arguments) {
        if (argument.isEmpty())
            continue;
        const QUrl url(argument);
        const QString path = url.isLocalFile() ? FileName::fromUrl(url) : argument;
        const QString absolute = QDir::cleanPath(base.absoluteFilePath(path));
        if (!folders.contains(absolute))
            folders << absolute;
    }
    return folders;
}

void OrvaneApp::quit(int exitCode) {
    viewModel_.shutdown();
    QCoreApplication::exit(exitCode);
}

void OrvaneApp::sweepLeftoversInBackground() {
    // A slow or full temporary folder must not hold up the window.
    QThreadPool::globalInstance()->start([] { OwnedFiles::sweepTemporaryFolder(); });
}

} // namespace orvane
