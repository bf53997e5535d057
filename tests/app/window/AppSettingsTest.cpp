// What the user chose is there at the next start, and a missing, unreadable or damaged settings
// file, or values that make no sense, leave the defaults without a fuss.

#include "AppSettings.h"

#include "AppLanguage.h"
#include "PreviewController.h"
#include "TileLoader.h"
#include "ViewModelHarness.h"

#include <gtest/gtest.h>

using namespace orvane;
using test::Harness;

TEST(AppSettings, WhatTheUserChoseIsThereAtTheNextStart) {
    Harness h;
    const QString file = h.folder / "config/Orvane.conf";
    const QString exports = h.folder.makeFolder("exports");
    // A tile server written into the file by hand survives the program's own writes.
    const QString tiles = "http://127.0.0.1:9/{z}/{x}/{y}.png";
    test::ScopedEnvironment noVariable("ORVANE_MAP_TILES", std::nullopt);
    {
        QSettings store(file, QSettings::IniFormat);
        store.setValue("map/tiles", tiles);
        AppSettings settings(store, *h.vm);
        settings.restore();
        auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
        exporter.setExportQuality("balanced");
        exporter.setShowDashboard(true);
        exporter.setShowMap(true);
        exporter.setCustomOutputDirectoryPath(exports);
        preview.switchCameraFilter("back");
        preview.setSpeedUnit("mph");
        preview.setMapShown(false);
        h.vm->language()->setChoice("en");
        preview.videoPreview()->setPlaybackRate(2);
        ASSERT_TRUE(h.imported());
        // An event opening on the camera that saw it (the front) is no choice of the user's.
        ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved, 0)));
        ASSERT_EQ(preview.cameraFilter(), "front");
        settings.saveWindowGeometry(QRect(40, 60, 1200, 800));
    }
    MainViewModel next(h.services);
    QSettings store(file, QSettings::IniFormat);
    AppSettings settings(store, next);
    settings.restore();
    EXPECT_EQ(next.exporter()->exportQuality(), "balanced");
    EXPECT_TRUE(next.exporter()->showDashboard());
    EXPECT_TRUE(next.exporter()->showMap());
    EXPECT_EQ(next.exporter()->outputFolder(), exports);
    EXPECT_EQ(next.preview()->cameraFilter(), "back");
    EXPECT_EQ(next.preview()->speedUnit(), "mph");
    EXPECT_FALSE(next.preview()->mapShown());
    EXPECT_EQ(next.preview()->mapTiles()->address(), tiles);
    EXPECT_EQ(next.exporter()->settings().mapTiles, tiles) << "the exports' map takes the same tiles";
    EXPECT_EQ(next.language()->choice(), "en");
    EXPECT_FALSE(AppSettings::chineseChosen(store));
    EXPECT_EQ(next.preview()->videoPreview()->playbackRate(), 2);
    EXPECT_EQ(next.preview()->multiCameraPreview()->playbackRate(), 2);
    EXPECT_EQ(settings.drivesToReopen(), QStringList{h.root});
    EXPECT_EQ(settings.windowGeometry(), QRect(40, 60, 1200, 800));
    // A drive that is gone is simply not reopened.
    QDir(h.root).removeRecursively();
    EXPECT_TRUE(settings.drivesToReopen().isEmpty());
}

TEST(AppSettings, ABrokenFileOrNonsenseLeavesTheDefaults) {
    const struct {
        const char* name;
        QByteArray content; // written as the file; empty: no file
        bool folderInItsPlace;
    } cases[] = {
        {"missing", {}, false},
        {"damaged", QByteArray("\xff\xfe[export\n\0\0quality=\x01=\n", 24), false},
        {"a folder where the file should be", {}, true},
        {"nonsense values",
         "[export]\nquality=ultra\ndestination=cloud\nfolder=relative/path\ndashboard=maybe\n"
         "[preview]\ncamera=periscope\nrate=3\nspeedUnit=knots\nmap=maybe\n[window]\ngeometry=@Rect(0 0 -5 "
         "10)\nlanguage=klingon\n",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        const QString file = h.folder / "Orvane.conf";
        if (c.folderInItsPlace)
            h.folder.makeFolder("Orvane.conf");
        else if (!c.content.isEmpty())
            h.folder.writeFile("Orvane.conf", c.content);
        QSettings store(file, QSettings::IniFormat);
        AppSettings settings(store, *h.vm);
        settings.restore();
        EXPECT_EQ(h.vm->exporter()->exportQuality(), "original");
        EXPECT_FALSE(h.vm->exporter()->showDashboard());
        EXPECT_EQ(h.vm->exporter()->settings().outputDestination, OutputDestination::defaultDestination());
        EXPECT_EQ(h.vm->preview()->cameraFilter(), "front");
        EXPECT_EQ(h.vm->preview()->videoPreview()->playbackRate(), 1);
        EXPECT_EQ(h.vm->preview()->speedUnit(), "kmh");
        EXPECT_TRUE(h.vm->preview()->mapShown());
        EXPECT_EQ(h.vm->language()->choice(), "system");
        EXPECT_TRUE(settings.drivesToReopen().isEmpty());
        EXPECT_FALSE(settings.windowGeometry());
        // Written again, the file keeps only what the program keeps.
        h.vm->exporter()->setExportQuality("balanced");
        for (const QString& key : store.allKeys())
            EXPECT_TRUE(key.contains('/') && !key.startsWith("General")) << key.toStdString();
    }
}
