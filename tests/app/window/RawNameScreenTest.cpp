// A drive written by another system, dropped on the window: its folder's name is not UTF-8. The
// events show with their pictures, a minute plays, exports, and the event goes to the Trash.

#include "FileName.h"
#include "WindowDriver.h"

#include <QDirIterator>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace orvane;
using test::waitUntil;

namespace {
// Removes what Qt cannot see (names that are not UTF-8) before the temporary folder goes.
struct RemovedByBytes {
    QString folder;
    ~RemovedByBytes() { test::runProgram(QStringLiteral("rm"), {QStringLiteral("-rf"), folder}); }
};

} // namespace

TEST(RawNameScreen, AFolderNamedInAnotherEncodingScansPlaysExportsAndIsTrashed) {
    if (!test::hasScreen())
        GTEST_SKIP() << "needs an X server (xvfb-run)";
    test::ScreenFixture s;
    const RemovedByBytes cleanup{s.folder.path()};
    test::WindowDriver& ui = *s.app.ui;
    MainViewModel& vm = *s.app.vm;
    const QByteArray outer = QFile::encodeName(s.folder.path()) + "/cl\xe9 USB";
    ASSERT_EQ(::mkdir(outer.constData(), 0755), 0);
    ASSERT_EQ(::rename(QFile::encodeName(s.drive).constData(), (outer + "/TeslaCam").constData()), 0);

    // As a file manager drops it: the bytes percent-encoded in a file: URL.
    QMetaObject::invokeMethod(
        ui.named("folderDropArea"), "foldersDropped",
        Q_ARG(QVariant, QVariant::fromValue(QList<QUrl>{
                            QUrl::fromEncoded("file://" + (outer + "/TeslaCam").toPercentEncoding("/"))})));
    ASSERT_TRUE(ui.waitShown("eventSections"));
    EXPECT_TRUE(vm.messages()->errorMessage().isEmpty()) << vm.messages()->errorMessage().toStdString();
    ASSERT_EQ(s.app.saved().size(), 2u);
    EXPECT_TRUE(ui.waitThumbnailsReady(2));

    const TeslaClipEvent event = s.app.saved().back();
    PreviewViewModel& preview = *vm.preview();
    preview.selectEvent(event);
    EXPECT_TRUE(waitUntil(
        [&] {
            auto* video = qobject_cast<QQuickItem*>(ui.shown("singleVideo"));
            return video && test::framePattern(ui.picture(video)).has_value();
        },
        test::screenWaitMs))
        << "no picture of the minute";
    ExportViewModel& exporter = *vm.exporter();
    exporter.startProcessing();
    ASSERT_TRUE(waitUntil([&] { return !exporter.isProcessing(); }, test::exportWaitMs));
    EXPECT_TRUE(vm.messages()->errorMessage().isEmpty()) << vm.messages()->errorMessage().toStdString();
    EXPECT_TRUE(QFileInfo(exporter.exportResultPath().value_or("")).size() > 0);

    preview.closeEventPreview();
    LibraryViewModel& library = *vm.library();
    library.startDeleteSelection();
    library.toggleDeleteEvent(event.id.toString());
    library.deleteSelectedEvents();
    ASSERT_TRUE(waitUntil([&] { return !library.isDeletingEvents(); }, test::screenWaitMs));
    EXPECT_TRUE(vm.messages()->errorMessage().isEmpty()) << vm.messages()->errorMessage().toStdString();
    struct stat st {};
    EXPECT_NE(::stat(FileName::encode(event.folderURL + "/2024-05-02_07-45-11-front.mp4").constData(), &st),
              0);
    QDirIterator trashed(s.folder / "home/.local/share/Trash/files", {"*-front.mp4"}, QDir::Files);
    EXPECT_TRUE(trashed.hasNext()) << "nothing in the Trash";
}
