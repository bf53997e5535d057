// Renders the real Orvane window in named states into PNG files, at the window sizes a user meets
// (900 × 700, the minimum, and 1920 × 1080), over real sample footage: each scene starts a fresh
// application (view model, update controller, the window the program loads) and drives it there
// as a user would. Needs an X server for the video (xvfb-run); scripts/screenshots.sh runs it.
//
//   orvane-ui-screenshots [--out DIR] [--scheme light|dark] [--suffix TEXT] [--sizes WxH,…] [--only a,b]

#include "ScreenshotScenes.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtQml/qqmlextensionplugin.h>
#include <cstdio>

Q_IMPORT_QML_PLUGIN(Orvane_AppPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_UpdatePlugin)

using namespace orvane;

namespace {

// What ctest reads as "skipped": the video needs an X server (run under xvfb-run).
constexpr int skipped = 77;

QSize parseSize(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('x'));
    return parts.size() == 2 ? QSize(parts[0].toInt(), parts[1].toInt()) : QSize();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "no X server: run under xvfb-run\n");
        return skipped;
    }
    for (int i = 1; i + 1 < argc; ++i)
        if (qstrcmp(argv[i], "--scheme") == 0)
            qputenv("ORVANE_COLOR_SCHEME", argv[i + 1]);
    // Day titles in the words of the users the texts are written for.
    qputenv("LC_TIME", "zh_CN.UTF-8");
    QGuiApplication app(argc, argv);
    QCommandLineParser options;
    options.addOptions(
        {{QStringLiteral("out"), QStringLiteral("Folder for the PNG files."), QStringLiteral("dir"),
          QStringLiteral("screenshots")},
         {QStringLiteral("scheme"), QStringLiteral("light or dark chrome."), QStringLiteral("scheme")},
         {QStringLiteral("suffix"), QStringLiteral("Added to every file name."), QStringLiteral("text")},
         {QStringLiteral("sizes"), QStringLiteral("Window sizes."), QStringLiteral("list"),
          QStringLiteral("900x700,1920x1080")},
         {QStringLiteral("only"), QStringLiteral("Scenes to render."), QStringLiteral("list")}});
    options.process(app);
    const QString out = options.value(QStringLiteral("out"));
    QDir().mkpath(out);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    QTemporaryDir work;
    QElapsedTimer preparing;
    preparing.start();
    const screenshots::Fixtures fixtures = screenshots::makeFixtures(work.path());
    std::printf("sample footage ready (%lld ms)\n", preparing.elapsed());
    const QStringList only = options.isSet(QStringLiteral("only"))
                                 ? options.value(QStringLiteral("only")).split(QLatin1Char(','))
                                 : QStringList();
    int failures = 0;
    for (const QString& sizeText : options.value(QStringLiteral("sizes")).split(QLatin1Char(','))) {
        const QSize size = parseSize(sizeText);
        for (const screenshots::Scene& scene : screenshots::scenes()) {
            if (!only.isEmpty() && !only.contains(scene.name))
                continue;
            QElapsedTimer timer;
            timer.start();
            const QString file = QStringLiteral("%1/%2-%3x%4%5.png")
                                     .arg(out, scene.name)
                                     .arg(size.width())
                                     .arg(size.height())
                                     .arg(options.value(QStringLiteral("suffix")));
            const bool ready = screenshots::render(scene, fixtures, size, file);
            std::printf("%s %s (%lld ms)\n", ready ? "wrote" : "NOT READY", qPrintable(file),
                        timer.elapsed());
            failures += ready ? 0 : 1;
        }
    }
    return failures == 0 ? 0 : 1;
}
