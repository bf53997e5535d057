#include "ExportErrors.h"
#include "FFmpegCommands.h"
#include "FFmpegLocator.h"
#include "FFmpegProcess.h"
#include "PieceTiming.h"
#include "TestSupport.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace orvane;

namespace {

QString argAfter(const QStringList& args, const QString& flag, int nth = 0) {
    for (int i = 0; i + 1 < args.size(); ++i)
        if (args[i] == flag && nth-- == 0)
            return args[i + 1];
    return {};
}

// The copied cuts, the joins and the grid (black cells included) run end to end in the export
// tests, never with a negative start; the re-encoding cut runs only when ffmpeg refuses a copy.
TEST(FFmpegCommandsTest, ArgumentsClampTimesAndFallBackToReencoding) {
    const auto grid = FFmpegCommands::gridPieceArguments({{CameraAngle::front, "/t/f.mp4"}}, -2, 12.3456,
                                                         "/w/part_0000.mp4");
    EXPECT_EQ(argAfter(grid, "-ss"), "0.000");
    EXPECT_EQ(argAfter(grid, "-t"), "12.346");
    EXPECT_EQ(argAfter(FFmpegCommands::trimCopyArguments("/in.mp4", "/out.mp4", -1, 0), "-ss"), "0.000");
    const auto reencode = FFmpegCommands::trimReencodeArguments("/in.mp4", "/out.mp4", 3, 4);
    EXPECT_EQ(argAfter(reencode, "-c:v"), "libx264");
    EXPECT_LT(reencode.indexOf("-ss"), reencode.indexOf("-i")) << "seeks the input, not the output";
    EXPECT_EQ(argAfter(reencode, "-t"), "4.000");
}

// Whole lines, the clamp below 1 and the end are also read from a script by the process test.
TEST(FFmpegCommandsTest, ProgressTimesAndLines) {
    EXPECT_DOUBLE_EQ(*FFmpegCommands::parseTime("01:02:03.500000"), 3723.5);
    EXPECT_FALSE(FFmpegCommands::parseTime("a:b:c"));

    FFmpegCommands::ProgressParser parser(10);
    EXPECT_TRUE(parser.feed("frame=1\nout_time=00:00:0").empty()); // split mid-line
    EXPECT_EQ(parser.feed("5.000000\nout_time=N/A\n"), std::vector<double>({0.5}));
    EXPECT_EQ(parser.feed("  out_time=00:01:00.0  \r\nprogress=continue\nprogress=end\n"),
              std::vector<double>({0.99, 1.0}));
}

TEST(FFmpegLocatorTest, TakesTheFirstExecutableCandidate) {
    test::TempFolder folder;
    const QString notExecutable = folder.writeFile("bin/ffmpeg", "#!/bin/sh\n");
    EXPECT_THROW(FFmpegLocator::executablePath({folder / "missing", notExecutable}), FFmpegLocatorError);
    QFile::setPermissions(notExecutable, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(FFmpegLocator::executablePath({folder / "missing", notExecutable}), notExecutable);
}

// A stand-in ffmpeg: a shell script with a given body.
QString fakeFFmpeg(const test::TempFolder& folder, const QByteArray& body) {
    const QString path = folder.writeFile("ffmpeg", "#!/bin/sh\n" + body + "\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

TEST(FFmpegProcessTest, FailuresCarryStandardErrorOrUnknown) {
    test::TempFolder folder;
    struct Case {
        QByteArray body;
        QString message;
    } cases[] = {{"echo '  Invalid data found  ' >&2; exit 1", "Invalid data found"},
                 {"exit 3", FFmpegSegmentMergerError::unknownFailure},
                 {"kill -9 $$", FFmpegSegmentMergerError::unknownFailure}};
    for (const auto& c : cases) {
        const QString ffmpeg = fakeFFmpeg(folder, c.body);
        try {
            FFmpegProcess::run(ffmpeg, {}, 0, {}, {});
            FAIL() << c.body.constData();
        } catch (const FFmpegSegmentMergerError& e) {
            EXPECT_EQ(e.message(), c.message);
        }
    }
    EXPECT_THROW(FFmpegProcess::run(folder / "nothing-here", {}, 0, {}, {}), FFmpegSegmentMergerError);
}

TEST(FFmpegProcessTest, ReportsProgressAndStopsWhenCancelled) {
    test::TempFolder folder;
    std::vector<double> seen;
    FFmpegProcess::run(
        fakeFFmpeg(folder, "printf 'out_time=00:00:01.000000\\nout_time=00:00:03.0\\nprogress=end\\n'"), {},
        2.0, [&](double p) { seen.push_back(p); }, {});
    EXPECT_EQ(seen, std::vector<double>({0.5, 0.99, 1.0}));

    CancellationToken cancel;
    const QString marker = folder / "finished";
    const QString slow = fakeFFmpeg(folder, "echo out_time=00:00:00.1; sleep 5; touch " + marker.toUtf8());
    EXPECT_THROW(FFmpegProcess::run(
                     slow, {}, 1.0, [&](double) { cancel.cancel(); }, cancel),
                 OperationCancelled);
    EXPECT_FALSE(QFile::exists(marker));
}

media::VideoPacketList packets(std::initializer_list<std::pair<double, uint64_t>> list, double duration = 0) {
    media::VideoPacketList l;
    for (auto [t, h] : list)
        l.packets.push_back({t, false, h, 100});
    l.firstTime = l.packets.empty() ? 0 : l.packets.front().time;
    l.duration = duration;
    return l;
}

TEST(PieceTimingTest, MeasuresWhereCutsReallyBegin) {
    // Source frames at 10.0 + k/4 s (stream clock), hashes 100 + k.
    const auto source = packets({{10.0, 100}, {10.25, 101}, {10.5, 102}, {10.75, 103}, {11.0, 104}});
    // A stream copy asked for 0.6 s begins at the key frame 0.5 s in.
    EXPECT_DOUBLE_EQ(PieceTiming::firstFrameInSource(source, packets({{0, 102}, {0.25, 103}}), 0.6), 0.5);
    // A re-encoded cut has new bytes: the first frame at or after the start.
    EXPECT_DOUBLE_EQ(PieceTiming::firstFrameInSource(source, packets({{0, 999}}), 0.6), 0.75);
    EXPECT_DOUBLE_EQ(PieceTiming::firstFrameInSource(source, packets({{0, 999}}), 0.7496), 0.75);
    EXPECT_DOUBLE_EQ(PieceTiming::firstFrameAtOrAfter(source, 5), 5);

    const auto joined = packets({{0, 102}, {0.25, 103}, {0.5, 100}, {0.75, 101}});
    size_t from = 0;
    EXPECT_DOUBLE_EQ(*PieceTiming::offsetInJoined(joined, packets({{0, 102}, {0.25, 103}}), from), 0);
    EXPECT_EQ(from, 2u);
    EXPECT_DOUBLE_EQ(*PieceTiming::offsetInJoined(joined, packets({{0, 100}}), from), 0.5);
    EXPECT_FALSE(PieceTiming::offsetInJoined(joined, packets({{0, 102}}), from)); // re-encoded join
}

} // namespace
