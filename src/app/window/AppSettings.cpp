#include "AppSettings.h"

#include "AppLanguage.h"
#include "DirectoryListing.h"
#include "ExportViewModel.h"
#include "LibraryViewModel.h"
#include "MainViewModel.h"
#include "PreviewViewModel.h"
#include "TileLoader.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace orvane {

namespace {

const QString qualityKey = QStringLiteral("export/quality");
const QString dashboardKey = QStringLiteral("export/dashboard");
const QString reportHidesPlaceKey = QStringLiteral("export/reportHidesPlace");
const QString exportMapKey = QStringLiteral("export/map");
const QString destinationKey = QStringLiteral("export/destination");
const QString folderKey = QStringLiteral("export/folder");
const QString cameraKey = QStringLiteral("preview/camera");
const QString rateKey = QStringLiteral("preview/rate");
const QString speedUnitKey = QStringLiteral("preview/speedUnit");
const QString mapShownKey = QStringLiteral("preview/map");
// A tile address template ({z}/{x}/{y}) or "none"; written by hand, never by the program.
const QString mapTilesKey = QStringLiteral("map/tiles");
const QString languageKey = QStringLiteral("window/language");
const QString drivesKey = QStringLiteral("library/drives");
const QString geometryKey = QStringLiteral("window/geometry");
const QString photosLibrary = QStringLiteral("photosLibrary");
const QString folder = QStringLiteral("folder");
// Every key this file holds; others (a damaged file's junk) are dropped when it is written.
const QStringList knownKeys = {qualityKey,  dashboardKey, reportHidesPlaceKey, destinationKey, folderKey,
                               cameraKey,   rateKey,      speedUnitKey,        languageKey,    drivesKey,
                               geometryKey, mapShownKey,  mapTilesKey,         exportMapKey};
// The rates the preview offers.
constexpr float rates[] = {1.0f, 2.0f, 4.0f};

} // namespace

std::unique_ptr<QSettings> AppSettings::standardStore() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Orvane"), QStringLiteral("Orvane"));
}

bool AppSettings::chineseChosen(const QSettings& store) {
    const QVariant kept = store.status() == QSettings::NoError ? store.value(languageKey) : QVariant();
    return AppLanguage::isChinese(AppLanguage::fromSetting(kept.toString()), QLocale::system());
}

AppSettings::AppSettings(QSettings& store, MainViewModel& viewModel, QObject* parent)
    : QObject(parent), store_(store), viewModel_(viewModel) {}

void AppSettings::restore() {
    // A damaged file reads as an empty one: every setting keeps its default.
    if (store_.status() == QSettings::NoError) {
        restoreExport();
        restorePreview();
        viewModel_.language()->setChoice(store_.value(languageKey).toString());
    }
    connectSaving();
}

void AppSettings::restoreExport() {
    ExportViewModel& exporter = *viewModel_.exporter();
    exporter.setExportQuality(store_.value(qualityKey).toString());
    // Only what we write counts: any other text would read as true.
    exporter.setShowDashboard(store_.value(dashboardKey).toString() == QLatin1String("true"));
    exporter.setReportHidesPlace(store_.value(reportHidesPlaceKey).toString() == QLatin1String("true"));
    exporter.setShowMap(store_.value(exportMapKey).toString() == QLatin1String("true"));
    const QString destination = store_.value(destinationKey).toString();
    const QString chosen = store_.value(folderKey).toString();
    if (destination == photosLibrary)
        exporter.usePhotosLibraryOutput();
    else if (destination == folder && QFileInfo(chosen).isAbsolute())
        exporter.setCustomOutputDirectoryPath(chosen);
}

void AppSettings::restorePreview() {
    PreviewViewModel& preview = *viewModel_.preview();
    if (const auto camera = Camera::fromRawValue(store_.value(cameraKey).toString()))
        preview.setCameraFilter(*camera);
    preview.setSpeedUnit(store_.value(speedUnitKey).toString());
    preview.setMapShown(store_.value(mapShownKey).toString() != QLatin1String("false"));
    const QString tiles = store_.value(mapTilesKey).toString();
    preview.mapTiles()->setAddress(TileLoader::chosenAddress(tiles));
    viewModel_.exporter()->setMapTiles(tiles);
    bool ok = false;
    const float rate = store_.value(rateKey).toFloat(&ok);
    if (ok && std::find(std::begin(rates), std::end(rates), rate) != std::end(rates))
        for (PreviewController* player :
             std::initializer_list<PreviewController*>{preview.videoPreview(), preview.multiCameraPreview()})
            player->setPlaybackRate(rate);
}

void AppSettings::connectSaving() {
    ExportViewModel* exporter = viewModel_.exporter();
    PreviewViewModel* preview = viewModel_.preview();
    connect(exporter, &ExportViewModel::exportQualityChanged, this,
            [this, exporter] { save(qualityKey, exporter->exportQuality()); });
    connect(exporter, &ExportViewModel::showDashboardChanged, this,
            [this, exporter] { save(dashboardKey, exporter->showDashboard()); });
    connect(exporter, &ExportViewModel::reportHidesPlaceChanged, this,
            [this, exporter] { save(reportHidesPlaceKey, exporter->reportHidesPlace()); });
    connect(exporter, &ExportViewModel::showMapChanged, this,
            [this, exporter] { save(exportMapKey, exporter->showMap()); });
    connect(exporter, &ExportViewModel::outputDestinationChanged, this, [this, exporter] {
        const OutputDestination& d = exporter->settings().outputDestination;
        save(destinationKey, d.isFolder() ? folder : photosLibrary);
        if (d.isFolder())
            save(folderKey, d.folder);
    });
    // What the user chose, not the camera an event opened on.
    connect(preview, &PreviewViewModel::cameraChosen, this,
            [this, preview] { save(cameraKey, preview->cameraFilter()); });
    connect(preview, &PreviewViewModel::speedUnitChanged, this,
            [this, preview] { save(speedUnitKey, preview->speedUnit()); });
    connect(preview, &PreviewViewModel::mapShownChanged, this,
            [this, preview] { save(mapShownKey, preview->mapShown()); });
    for (PreviewController* player :
         std::initializer_list<PreviewController*>{preview->videoPreview(), preview->multiCameraPreview()})
        connect(player, &PreviewController::playbackRateChanged, this,
                [this, player] { save(rateKey, player->playbackRate()); });
    connect(viewModel_.language(), &LanguageSetting::choiceChanged, this,
            [this] { save(languageKey, viewModel_.language()->choice()); });
    connect(viewModel_.library(), &LibraryViewModel::libraryReplaced, this,
            [this] { save(drivesKey, viewModel_.library()->importedFolders()); });
}

void AppSettings::save(const QString& key, const QVariant& value) {
    for (const QString& kept : store_.allKeys())
        if (!knownKeys.contains(kept))
            store_.remove(kept);
    store_.setValue(key, value);
    store_.sync();
}

QStringList AppSettings::drivesToReopen() const {
    QStringList drives;
    for (const QString& path : store_.value(drivesKey).toStringList())
        if (DirectoryListing::isDirectory(path))
            drives << path;
    return drives;
}

std::optional<QRect> AppSettings::windowGeometry() const {
    const QRect geometry = store_.value(geometryKey).toRect();
    return geometry.isValid() ? std::optional(geometry) : std::nullopt;
}

void AppSettings::saveWindowGeometry(const QRect& geometry) {
    save(geometryKey, geometry);
}

} // namespace orvane
