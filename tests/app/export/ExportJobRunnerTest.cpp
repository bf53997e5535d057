// The export task's outcomes with a scripted exporter: the file delivered to the folder or the
// library, or none; a failure's words (an error after a cancel is a cancellation); the source's
// local copy and the staged file removed in each.

#include "ExportJobRunner.h"

#include "PhotosLibraryExporter.h"
#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace orvane;

namespace {

TEST(ExportJobRunnerTest, DeliversOrLeavesNoFileAndRemovesItsTemporaryFilesInEveryOutcome) {
    using Kind = ProcessingStatus::Kind;
    const auto full = GPUVideoExporterError::exportFailed(QStringLiteral("磁盘已满"));
    const auto refused = PhotosLibraryExporterError::importFailed(QStringLiteral("磁盘已满"));
    const auto denied = PhotosLibraryExporterError::accessDenied(PhotosLibraryExporterError::Status::denied);
    const auto error = [](const auto& e) { return std::make_exception_ptr(e); };
    const struct {
        bool toLibrary;
        std::exception_ptr exportFailure, importFailure;
        ProcessingStatus outcome;
        bool offersPrivacySettings = false;
        bool cancelAfterExport = false; // the user cancels as the exporter finishes
    } cases[] = {
        {false, {}, {}, {Kind::completed, {}}},
        {true, {}, {}, {Kind::completed, {}}},
        {false, error(OperationCancelled()), {}, {Kind::cancelled, {}}},
        {true, error(full), {}, {Kind::cancelled, {}}},
        {false, error(full), {}, ProcessingStatus::failed(full.description())},
        {true, error(denied), {}, ProcessingStatus::failed(denied.description()), true},
        {true, {}, error(refused), ProcessingStatus::failed(refused.description())},
        // Too late for the folder (its file is there, so it is no cancellation); in time for the library.
        {false, {}, {}, {Kind::completed, {}}, false, true},
        {true, {}, {}, {Kind::cancelled, {}}, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.outcome.rawValue().toStdString() + (c.toLibrary ? " to the library" : " to a folder"));
        test::TempFolder t;
        const QString folder = t.makeFolder("out"), temp = t.makeFolder("tmp");
        test::ScopedEnvironment home("HOME", QFile::encodeName(t.makeFolder("home")));
        test::ScopedEnvironment config("XDG_CONFIG_HOME", QFile::encodeName(t / "config"));
        ExportJobRequest r;
        r.plan.segments = {{TeslaVideoFile{}, 0, 0}};
        r.destination =
            c.toLibrary ? OutputDestination::photosLibrary() : OutputDestination::inFolder(folder);
        r.outputPath = (c.toLibrary ? temp + "/staging" : folder) + "/clip.mp4";
        ExportEngine engine;
        engine.localInput = [&](const TeslaVideoFile&, bool, const CancellationToken&) {
            const QString copy = t.writeFile("tmp/copy.mp4", "footage");
            return PreparedInput{copy, copy};
        };
        engine.exportSync = [&](const TeslaVideoFile&, const QString& input, const QString& output,
                                const WatermarkSettings&, double, double, const ExportCallbacks& callbacks) {
            EXPECT_TRUE(QFile::exists(input)) << "the local copy is read";
            if (c.outcome.kind == Kind::cancelled && !c.cancelAfterExport)
                callbacks.cancel.cancel();
            if (c.exportFailure)
                std::rethrow_exception(c.exportFailure);
            QFile file(output);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write("exported") == 8);
            if (c.cancelAfterExport)
                callbacks.cancel.cancel();
            ExportResult result;
            result.path = output;
            result.timeline = ExportTimeline::continuous(0);
            return result;
        };
        engine.importVideoToLibrary = [&](const QString& path) {
            if (c.importFailure)
                std::rethrow_exception(c.importFailure);
            return PhotosLibraryExporter::importVideo(path);
        };
        std::vector<ExportUpdate> updates;
        const ExportJobOutcome outcome =
            ExportJobRunner::run(r, engine, {}, [&](const ExportUpdate& u) { updates.push_back(u); });
        EXPECT_EQ(outcome.status, c.outcome) << outcome.status.message.toStdString();
        EXPECT_EQ(updates.back().status, c.outcome);
        EXPECT_EQ(outcome.showPhotosPrivacySettings, c.offersPrivacySettings);
        const QString library = PhotosLibraryExporter::libraryFolder();
        const bool completed = c.outcome.kind == Kind::completed;
        EXPECT_EQ(test::entries(folder).size() + test::entries(library).size(), completed ? 1 : 0);
        if (completed) {
            EXPECT_TRUE(outcome.deliveredPath.startsWith((c.toLibrary ? library : folder) + u'/'));
            EXPECT_EQ(QFileInfo(outcome.deliveredPath).size(), 8);
            EXPECT_EQ(updates.back().progress, 1.0);
        }
        EXPECT_TRUE(test::entries(temp).isEmpty()) << test::entries(temp).join(' ').toStdString();
    }
}

// The time left follows the pace since the first report, and says nothing while that pace
// would mislead: inside and on the edges of the first 2 s and the first 1 %, and at the end.
TEST(ExportJobRunnerTest, TimeLeftFollowsThePaceOnceItMeansSomething) {
    const struct {
        double elapsed, from, progress;
        std::optional<double> left;
    } cases[] = {{1.99, 0, 0.5, std::nullopt},   {2, 0, 0.5, 2},        {10, 0.1, 0.35, 26},
                 {30, 0.5, 0.509, std::nullopt}, {30, 0.5, 0.51, 1470}, {30, 0, 1, std::nullopt}};
    for (const auto& c : cases) {
        const auto left = ExportJobRunner::secondsLeft(c.elapsed, c.from, c.progress);
        ASSERT_EQ(left.has_value(), c.left.has_value()) << c.elapsed << " " << c.progress;
        if (left) {
            EXPECT_NEAR(*left, *c.left, 1e-6) << c.elapsed << " " << c.progress;
        }
    }
    EXPECT_EQ(ExportJobRunner::timeLeftText(89.2), QString::fromUtf8("剩余约 01:30"));
    EXPECT_TRUE(ExportJobRunner::timeLeftText(std::nullopt).isEmpty());
}

} // namespace
