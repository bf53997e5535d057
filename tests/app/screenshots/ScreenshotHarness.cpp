// Renders the Orvane.App views in representative states into PNG files, at the window sizes a
// user meets (900 × 700, the minimum, and 1920 × 1080), over real sample footage. Needs an X
// server for the video (xvfb-run); scripts/screenshots.sh builds and runs it.
//
//   orvane-ui-screenshots [--out DIR] [--scheme light|dark] [--suffix TEXT] [--sizes WxH,…] [--only a,b]

#include "EventThumbnailSource.h"
#include "FrameGrabber.h"
#include "Instant.h"
#include "MetadataParser.h"
#include "PreviewFixtures.h"
#include "SampleDrive.h"
#include "UiEngine.h"
#include "WindowTestSupport.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>
#include <algorithm>
#include <cstdio>
#include <memory>

Q_IMPORT_QML_PLUGIN(Orvane_AppPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_UpdatePlugin)

using namespace orvane;

namespace {

const QStringList allScenes = {
    QStringLiteral("dashboard-drive"),
    QStringLiteral("dashboard-accelerator"),
    QStringLiteral("dashboard-states"),
    QStringLiteral("thumbnails"),
    QStringLiteral("export-bar"),
    QStringLiteral("export-spinner"),
    QStringLiteral("result-captures"),
    QStringLiteral("result-empty"),
    QStringLiteral("about"),
    QStringLiteral("about-update"),
    QStringLiteral("update-overlay"),
    QStringLiteral("alert"),
    QStringLiteral("window-empty"),
    QStringLiteral("window-browser"),
    QStringLiteral("window-sentry-empty"),
    QStringLiteral("window-delete"),
    QStringLiteral("window-export"),
    QStringLiteral("window-result"),
    QStringLiteral("window-about"),
    QStringLiteral("window-update-alert"),
    QStringLiteral("window-error"),
    QStringLiteral("preview-single"),
    QStringLiteral("preview-grid"),
    QStringLiteral("preview-toast"),
    QStringLiteral("merge-range"),
    QStringLiteral("merge-review"),
    QStringLiteral("preview-no-camera"),
    QStringLiteral("preview-segments"),
};
// How long a scene may take to settle (thumbnails decode, the result page captures).
constexpr int sceneTimeoutMs = 60000;
// Lets animations (toast fade, speed roll, gauge fill) finish before the picture is taken.
constexpr int settleMs = 600;

// A small drive of saved events, one event whose folder is gone, an "exported" 720p clip and a
// still frame for the mock video areas.
QVariantMap makeFixtures(const QString& work) {
    const QString root = work + QStringLiteral("/TeslaCam");
    sample::DriveSpec drive;
    drive.root = root;
    drive.layout = sample::CarLayout::fourCamera;
    drive.scale = 0.35;
    drive.minuteSeconds = 2;
    const Instant day = LocalTime::fromFields(2024, 5, 1, 0, 0, 0).value_or(0);
    const QStringList cities = {QStringLiteral("上海"), QStringLiteral("杭州"), QStringLiteral("苏州"),
                                QStringLiteral("南京"), QStringLiteral("宁波"), QStringLiteral("无锡")};
    for (int i = 0; i < 6; ++i) {
        sample::EventSpec event;
        event.category = ClipCategory::saved;
        event.startTime = day + (8 + 2 * i) * 3600 + 17 * 60 + 5 * i;
        event.minutes = 1 + i % 3;
        event.city = cities[i];
        drive.events.push_back(event);
    }
    drive.seed = 7;
    sample::writeDrive(drive);

    QVariantList cards;
    const EventsByCategory library = MetadataParser::scanLibrary({root});
    for (const auto& [category, events] : library)
        for (const TeslaClipEvent& event : events)
            cards << QVariantMap{{QStringLiteral("source"), EventThumbnailSource::url(event)},
                                 {QStringLiteral("title"), event.timeRangeTitle()},
                                 {QStringLiteral("subtitle"), event.locationLine.value_or(QString())}};
    TeslaClipEvent gone;
    gone.folderURL = root + QStringLiteral("/SavedClips/unplugged");
    gone.startTime = day + 23 * 3600;
    // Second, so the placeholder is on screen at every size.
    cards.insert(std::min<qsizetype>(1, cards.size()),
                 QVariantMap{{QStringLiteral("source"), EventThumbnailSource::url(gone)},
                             {QStringLiteral("title"), QStringLiteral("23:00:00")},
                             {QStringLiteral("subtitle"), QStringLiteral("文件已移走")}});

    sample::ClipSpec clip;
    clip.path = work + QStringLiteral("/exports/TeslaCam_2024-05-01_10-19-30_前路.mp4");
    QDir().mkpath(QFileInfo(clip.path).absolutePath());
    clip.width = 1280;
    clip.height = 720;
    clip.seconds = 3;
    clip.startTime = day + 10 * 3600 + 19 * 60 + 30;
    sample::writeClip(clip);

    media::FrameRequest request;
    request.time = 1.0;
    const QString frame = work + QStringLiteral("/frame.png");
    media::FrameGrabber::grab(clip.path, request).image.save(frame);

    return {{QStringLiteral("driveUrl"), QUrl::fromLocalFile(root)},
            {QStringLiteral("exportFolderUrl"), QUrl::fromLocalFile(QFileInfo(clip.path).absolutePath())},
            {QStringLiteral("cards"), cards},
            {QStringLiteral("videoUrl"), QUrl::fromLocalFile(clip.path)},
            {QStringLiteral("videoStartDate"), clip.startTime},
            {QStringLiteral("frameUrl"), QUrl::fromLocalFile(frame)}};
}

QSize parseSize(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('x'));
    return parts.size() == 2 ? QSize(parts[0].toInt(), parts[1].toInt()) : QSize();
}

} // namespace

// What ctest reads as "skipped": the video needs an X server (run under xvfb-run).
constexpr int skipped = 77;

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
    const QStringList scenes = options.isSet(QStringLiteral("only"))
                                   ? options.value(QStringLiteral("only")).split(QLatin1Char(','))
                                   : allScenes;

    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QTemporaryDir work;
    QElapsedTimer preparing;
    preparing.start();
    QVariantMap fixtures = makeFixtures(work.path());
    test::ViewModelFactory viewModels;
    fixtures.insert(QStringLiteral("viewModels"), QVariant::fromValue<QObject*>(&viewModels));
    const screenshots::PreviewFixtures preview = screenshots::makePreviewFixtures(work.path());
    std::printf("sample footage ready (%lld ms)\n", preparing.elapsed());

    QQmlEngine engine;
    ui::configureEngine(engine);
    QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/screenshots/Scenes.qml")));
    std::unique_ptr<QObject> root(component.createWithInitialProperties(
        {{QStringLiteral("fixtures"), fixtures},
         {QStringLiteral("viewModel"), QVariant::fromValue<QObject*>(preview.viewModel.get())},
         {QStringLiteral("previewFixtures"), preview.values}}));
    auto* window = qobject_cast<QQuickWindow*>(root.get());
    if (!window) {
        std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
        return 1;
    }
    window->show();
    int failures = 0;
    for (const QString& sizeText : options.value(QStringLiteral("sizes")).split(QLatin1Char(','))) {
        const QSize size = parseSize(sizeText);
        window->resize(size);
        for (const QString& scene : scenes) {
            window->setProperty("scene", QString());
            QTest::qWait(50);
            window->setProperty("scene", scene);
            QElapsedTimer timer;
            timer.start();
            const bool ready =
                QTest::qWaitFor([&] { return window->property("sceneReady").toBool(); }, sceneTimeoutMs);
            QTest::qWait(settleMs);
            const QString file = QStringLiteral("%1/%2-%3x%4%5.png")
                                     .arg(out, scene)
                                     .arg(size.width())
                                     .arg(size.height())
                                     .arg(options.value(QStringLiteral("suffix")));
            window->grabWindow().save(file);
            std::printf("%s %s (%lld ms)\n", ready ? "wrote" : "NOT READY", qPrintable(file),
                        timer.elapsed());
            if (!ready)
                ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
