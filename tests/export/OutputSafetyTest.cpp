// Exports and image saves driven carelessly or hostilely: nothing of the user's is destroyed, nothing blocks.

#include "ExportTestSupport.h"
#include "FrameCapture.h"
#include "GPUVideoExporter.h"
#include "OwnedFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;

namespace {

QStringList hiddenEntries(const QString& folder) {
    return entries(folder).filter(QRegularExpression("^\\."));
}

QImage redImage() {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::red);
    return image;
}

uint32_t kindOf(const QString& path) {
    struct stat st {};
    return lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

class OutputSafetyTest : public ExportTest {};

// The same path, a path through "..", a symbolic and a hard link: each names the source.
TEST_F(OutputSafetyTest, AnOutputThatIsAnInputIsRefusedBeforeAnyWork) {
    const QString copy = folder / "prepared-copy.mp4";
    ASSERT_TRUE(QFile::copy(front.url, copy));
    const QString name = QFileInfo(front.url).fileName();
    const QString aliases[] = {front.url, clips->makeFolder("sub") + "/../" + name, folder / "link.mp4",
                               folder / "hard.mp4"};
    QFile::link(front.url, aliases[2]);
    ASSERT_EQ(::link(QFile::encodeName(front.url).constData(), QFile::encodeName(aliases[3]).constData()), 0);
    const QByteArray frontBytes = digest(front.url), backBytes = digest(back.url);
    for (const QString& out : aliases)
        for (const auto way : {std::optional(Way::single), {Way::continuous}, {Way::grid}, {}}) {
            SCOPED_TRACE(std::string(way ? nameOf(*way) : "single from a copy") + " to " + out.toStdString());
            try {
                if (way)
                    exportAs(*way, *way == Way::single ? std::vector{front} : std::vector{back, front}, out);
                else // the window reads a copy of a file on a USB drive; the drive's file is the source
                    GPUVideoExporter::exportSync(front, copy, out, balanced, 0, 0, {});
                ADD_FAILURE() << "not refused";
            } catch (const FileSystemError& e) {
                EXPECT_TRUE(e.description().contains(QStringLiteral("源视频")))
                    << e.description().toStdString();
            }
            EXPECT_EQ(digest(front.url), frontBytes);
            EXPECT_EQ(digest(back.url), backBytes);
            EXPECT_TRUE(entries(temp).isEmpty()) << "work started";
            EXPECT_TRUE(hiddenEntries(folder.path()).isEmpty());
            EXPECT_TRUE(hiddenEntries(clips->path()).isEmpty());
        }
}

// A destination without room for the estimate is refused before the first frame, with what is
// needed and what is left; the earlier file stays and nothing else is written. With room it exports.
TEST_F(OutputSafetyTest, ADestinationWithoutRoomIsRefusedWithTheFigures) {
    const QString out = folder.writeFile("out/result.mp4", "earlier export");
    const QString earlier = digest(out);
    for (const Way way : {Way::single, Way::continuous, Way::grid}) {
        SCOPED_TRACE(nameOf(way));
        for (const qint64 free : {qint64(400'000), qint64(1) << 40}) {
            ExportCallbacks callbacks;
            int frames = 0;
            callbacks.freeSpace = [&](const QString& where) {
                EXPECT_EQ(where, folder / "out");
                return free;
            };
            callbacks.onFrame = [&](int64_t, Instant) { ++frames; };
            const auto run = [&] {
                return way == Way::single
                           ? GPUVideoExporter::exportSync(front, front.url, out, balanced, 0, 0, callbacks)
                       : way == Way::grid
                           ? GPUVideoExporter::exportGrid({{{front, back}, 0, 2}}, out, balanced, callbacks)
                           : GPUVideoExporter::exportContinuous({{front, 0, 2}}, out, balanced, callbacks);
            };
            if (free > 400'000) {
                EXPECT_EQ(run().path, out);
                EXPECT_TRUE(QFile::remove(ExportManifest::pathFor(out))); // never replaced: the next needs it
                ASSERT_TRUE(QFile::remove(out));
                folder.writeFile("out/result.mp4", "earlier export");
                continue;
            }
            try {
                run();
                ADD_FAILURE();
            } catch (const GPUVideoExporterError& e) {
                EXPECT_TRUE(e.description().contains(QString::fromUtf8("目标位置空间不足：需要约 ")))
                    << e.description().toStdString();
                EXPECT_TRUE(
                    e.description().endsWith(QLocale().formattedDataSize(free, 1, QLocale::DataSizeSIFormat)))
                    << e.description().toStdString();
            }
            EXPECT_EQ(frames, 0);
            EXPECT_EQ(entries(folder / "out"), QStringList{"result.mp4"});
            EXPECT_EQ(digest(out), earlier);
            EXPECT_TRUE(entries(temp).isEmpty());
        }
    }
}

TEST_F(OutputSafetyTest, ImageSavesCheckTheFormatFirstAndReplaceOnlyWhenComplete) {
    const QString notes = folder.writeFile("notes.txt", "mine");
    const QString videoNamedPng = folder / "v.png";
    ASSERT_TRUE(QFile::copy(front.url, videoNamedPng));
    const std::pair<QString, QStringList> refused[] = {
        {front.url, {}}, {notes, {}}, {folder / "frame", {}}, {videoNamedPng, {videoNamedPng}}};
    for (const auto& [path, sources] : refused) {
        const QByteArray before = digest(path);
        EXPECT_THROW(FrameCapture::saveImage(redImage(), path, sources), FileSystemError)
            << path.toStdString();
        EXPECT_EQ(digest(path), before) << path.toStdString();
    }
    EXPECT_FALSE(QFile::exists(folder / "frame"));
    const QString shot = folder.writeFile("shot.png", "an earlier capture");
    FrameCapture::saveImage(redImage(), shot, {front.url});
    EXPECT_EQ(QImage(shot).size(), QSize(64, 48));
    EXPECT_TRUE(hiddenEntries(folder.path()).isEmpty());
}

// A device, FIFO, socket or folder in the output's place stays what it is, and never blocks.
TEST_F(OutputSafetyTest, OutputsThatAreNotRegularFilesAreRefused) {
    const QString outputs = folder.makeFolder("out");
    QStringList special = {makeFifo(outputs + "/fifo.mp4"), outputs + "/socket.mp4",
                           folder.makeFolder("out/folder.mp4"), outputs + "/link-to-fifo.mp4"};
    ASSERT_TRUE(makeSocket(special[1]));
    QFile::link(special[0], special[3]);
    if (mknod(QFile::encodeName(outputs + "/null.mp4").constData(), S_IFCHR | 0600, makedev(1, 3)) == 0)
        special << outputs + "/null.mp4"; // needs root
    for (const QString& path : special) {
        const uint32_t kind = kindOf(path);
        const QString png = QString(path).replace(".mp4", ".png");
        QFile::rename(path, png);
        bool imageRefused = false;
        const bool prompt = returnsPromptly(
            [&] {
                try {
                    FrameCapture::saveImage(redImage(), png, {});
                } catch (const FileSystemError&) {
                    imageRefused = true;
                }
            },
            png);
        EXPECT_TRUE(prompt && imageRefused) << png.toStdString();
        QFile::rename(png, path);
        EXPECT_THROW(exportAs(Way::single, {front}, path), FileSystemError) << path.toStdString();
        EXPECT_EQ(kindOf(path), kind) << path.toStdString() << " was replaced";
    }
    EXPECT_TRUE(hiddenEntries(outputs).isEmpty());
    EXPECT_TRUE(entries(temp).isEmpty());
}

// A killed export's leftovers go with the next export; everything an export makes carries its owner.
TEST_F(OutputSafetyTest, AnExportRemovesLeftoversOfKilledExportsAndMarksItsOwn) {
    const QString outputs = folder.makeFolder("out");
    const QString ended = QString::number(endedProcessId());
    const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QStringList leftovers = {
        folder.writeFile("out/.result." + ended + "-0123abcd.part.mp4", "half"),
        folder.writeFile("tmp/tesla-merge-" + ended + "-" + uuid + "/part_0000.mp4", "x"),
        folder.writeFile("tmp/tesla-export-" + ended + "-" + uuid + ".mp4", "copy")};
    QStringList seen;
    ExportCallbacks callbacks;
    callbacks.onProgress = [&](double) { seen << entries(outputs) << entries(temp); };
    GPUVideoExporter::exportContinuous({{front, 0, 1}}, outputs + "/result.mp4", balancedWithoutTime,
                                       callbacks);
    for (const QString& path : leftovers)
        EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
    seen.removeDuplicates();
    seen.removeAll("result.mp4");
    seen.removeAll("result.orvane.json");
    int ownFiles = 0;
    for (const QString& name : seen) {
        EXPECT_EQ(OwnedFiles::ownerOf(name), qint64(getpid())) << name.toStdString();
        ++ownFiles;
    }
    EXPECT_GE(ownFiles, 2) << "the workspace and the joined file at least";
}

// A damaged clip is worth saving: what can be read is exported, and the result says it is short.
TEST_F(OutputSafetyTest, ASourceCutShortIsExportedAndFlagged) {
    TeslaVideoFile cut = front;
    cut.url = folder / "2024-05-01_10-20-31-front.mp4";
    ASSERT_TRUE(runProgram(
        "ffmpeg", {"-v", "error", "-i", front.url, "-c", "copy", "-movflags", "+faststart", cut.url}));
    ASSERT_TRUE(QFile::resize(cut.url, QFile(cut.url).size() * 6 / 10));
    for (const auto& [source, way] :
         {std::pair{front, Way::single}, {cut, Way::single}, {cut, Way::continuous}}) {
        const bool truncated = source.url == cut.url;
        SCOPED_TRACE(std::string(nameOf(way)) + (truncated ? " cut" : " whole"));
        const ExportResult result = exportAs(way, {source}, folder / "out.mp4", 0);
        QFile::remove(ExportManifest::pathFor(result.path)); // never replaced: the next case needs the name
        EXPECT_EQ(result.truncated, truncated);
        EXPECT_GT(QFileInfo(result.path).size(), 0);
        if (truncated) {
            EXPECT_GT(result.exportedLength, 0.1);
            EXPECT_LT(result.exportedLength, 1.8);
            EXPECT_TRUE(result.truncationWarning().contains(QString::number(result.exportedLength, 'f', 1)));
        } else {
            EXPECT_NEAR(result.exportedLength, 2.0, 1e-6);
            EXPECT_TRUE(result.truncationWarning().isEmpty());
        }
    }
}

// A FIFO named like a clip never blocks an export, whichever way it is read.
TEST_F(OutputSafetyTest, FifoSourcesAreRefusedAtOnce) {
    TeslaVideoFile fifo = front;
    fifo.url = makeFifo(folder / "2024-05-01_10-20-30-front.mp4");
    for (const Way way : {Way::single, Way::continuous, Way::grid}) {
        bool failed = false;
        EXPECT_TRUE(returnsPromptly(
            [&] {
                try {
                    exportAs(way, {fifo}, folder / "o.mp4");
                } catch (const UserFacingError&) {
                    failed = true;
                }
            },
            fifo.url))
            << nameOf(way) << " blocked on the FIFO";
        EXPECT_TRUE(failed) << nameOf(way);
        EXPECT_FALSE(QFile::exists(folder / "o.mp4"));
    }
}

} // namespace
