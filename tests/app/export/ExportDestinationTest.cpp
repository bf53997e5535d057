// Where an export goes on a fresh account and on a destination that takes no file: the desktop's
// download folder is made when missing, and a destination that cannot be written fails before
// minutes of composing or joining, naming why.

#include "GPUVideoExporter.h"
#include "ViewModelHarness.h"

#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace orvane;
using test::Harness;
using test::waitUntil;

TEST(ExportDestination, AFreshAccountsMissingDownloadFolderIsMade) {
    Harness h;
    const QString home = h.folder.makeFolder("home");
    h.folder.writeFile("config/user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"$HOME/下载\"\n");
    test::ScopedEnvironment homeVariable("HOME", QFile::encodeName(home));
    test::ScopedEnvironment config("XDG_CONFIG_HOME", QFile::encodeName(h.folder / "config"));
    ASSERT_EQ(OutputDestination::defaultDestination().folder, home + "/下载");
    ASSERT_FALSE(QFileInfo::exists(home + "/下载"));
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    exporter.resetOutputDestinationToDefault();
    ASSERT_TRUE(h.imported());
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved)));
    exporter.startProcessing();
    ASSERT_TRUE(waitUntil([&] { return !exporter.isProcessing(); }));
    EXPECT_EQ(messages.errorMessage(), "");
    EXPECT_TRUE(exporter.exportResultPath().value_or("").startsWith(home + "/下载/"));
}

// A joined or composed export checks its destination before the ffmpeg work: no progress, no
// workspace in the temporary folder, the system's reason in the message.
TEST(ExportDestination, AnUnwritableDestinationFailsBeforeAnyWork) {
    Harness h;
    test::ScopedEnvironment temp("TMPDIR", QFile::encodeName(h.folder.makeFolder("tmp")));
    ASSERT_TRUE(h.imported());
    const std::vector<TeslaVideoFile> files =
        MetadataParser::loadVideos(h.event(ClipCategory::saved), CameraAngle::all);
    // Permissions do not bind root; sysfs takes no new files from anyone.
    const QString out = QStringLiteral("/sys/grid.mp4");
    int progress = 0;
    ExportCallbacks callbacks;
    callbacks.onProgress = [&](double) { ++progress; };
    WatermarkSettings settings;
    const auto failure = [&](auto run) {
        try {
            run();
        } catch (const UserFacingError& e) {
            return e.description();
        }
        return QString();
    };
    const QString grid = failure([&] {
        GPUVideoExporter::exportGrid({{files, 0, 0}}, out, settings, callbacks);
    });
    const QString join = failure([&] {
        GPUVideoExporter::exportContinuous({{files.front(), 0, 0}, {files.back(), 0, 0}}, out, settings,
                                           callbacks);
    });
    for (const QString& message : {grid, join}) {
        EXPECT_FALSE(message.isEmpty());
        EXPECT_TRUE(message.contains("/sys")) << message.toStdString();
    }
    EXPECT_EQ(progress, 0);
    EXPECT_TRUE(QDir(h.folder / "tmp").isEmpty());
}
