// The command line driven as a careless or hostile user would, and with the disk or the drive
// failing under it: no file destroyed, no hang, every failure said, and a clean stop (children and
// temporary files included) on any termination signal.

#include "CliTestSupport.h"
#include "OwnedFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;

namespace {

using CliHostileTest = CliTest;

// Each data loss, hang, misuse and failure of the disk or the drive, with its exit status (1 failed,
// 2 usage) and what the error says (the user's file and the cause, never a temporary name): no
// file of the user's changes, nothing is left behind, and options a mode would ignore are refused
// before anything is written. (An output that is a source or no regular file, and a FIFO source:
// OutputSafetyTest.)
TEST_F(CliHostileTest, NeverDestroysAFileNorHangs) {
    const QString f = writeCarClip(tmp, "2024-05-01_10-20-30-front.mp4");
    const QString b = writeCarClip(tmp, "2024-05-01_10-21-30-front.mp4");
    tmp.writeFile("TeslaCam/SavedClips/2024-05-01_10-20-30/2024-05-01_10-20-00-front.mp4");
    const QString sealed = writeClip({.path = tmp / "2024-05-02_17-59-00-front.mp4",
                                      .seconds = 0.05,
                                      .damage = sample::Damage::encrypted});
    const QString encrypted = QStringLiteral("控制 › 安全 › 加密行车记录仪录像"); // where it is turned off
    const QString out = tmp / "out.mp4", empty = tmp.makeFolder("empty");
    // Footage on a failing drive, and earlier files of the outputs' names.
    tmp.makeFolder("disk");
    const QString clip = writeCarClip(tmp, "disk/2024-05-01_10-20-30-front.mp4", 4, 320, 240);
    const QString cut =
        writeClip({.path = tmp / "disk/2024-05-01_10-22-30-front.mp4", .damage = sample::Damage::truncated});
    const QString earlier = tmp.writeFile("earlier/result.mp4", "an earlier file");
    const QString earlierImage = tmp.writeFile("earlier/shot.png", "an earlier file");
    const QStringList failingReads = {"LD_PRELOAD=" ORVANE_FAILING_READS_PATH,
                                      "ASAN_OPTIONS=verify_asan_link_order=0", "ORVANE_FAIL_READS_OF=" + clip,
                                      "ORVANE_FAIL_READS_AFTER=" + QString::number(QFile(clip).size() / 2),
                                      cli};
    // A file-size limit (in blocks of 512 bytes) fails writes past it as a full disk would.
    const QString limited = "ulimit -f %1; exec \"$0\" \"$@\"";
    const struct {
        QStringList args;
        int exitCode;
        QStringList said;
        QString program = cli;
    } cases[] = {
        {{"scan", tmp / "does/not/exist"}, 1, {"无法读取目录"}},
        {{"frame", f, "--time", "10", "--out", tmp / "late.png"}, 1, {"超出视频范围"}},
        {{"videos", tmp / "TeslaCam", "--category", "saved", "--index", "9"}, 1, {"没有这个事件"}},
        // Every command that reads footage names encrypted footage (a grid: ExportVideoTest; a join
        // reads its footage through the same copies).
        {{"probe", sealed}, 1, {encrypted}},
        {{"frame", sealed, "--time", "0", "--out", tmp / "late.png"}, 1, {encrypted}},
        {{"export", "single", sealed, "--out", out}, 1, {encrypted}},
        {{"telemetry", tmp / "missing.mp4"}, 1, {"missing.mp4: " + qt_error_string(ENOENT)}},
        // A read error mid-export, nothing readable, a full disk under a video or an image.
        {failingReads + QStringList{"export", "single", clip, "--out", earlier},
         1,
         {"2024-05-01_10-20-30-front.mp4", qt_error_string(EIO)},
         "/usr/bin/env"},
        {{"export", "continuous", cut, "--out", earlier, "--no-time"}, 1, {QFileInfo(cut).fileName()}},
        {{"-c", limited.arg(64), cli, "export", "single", clip, "--out", earlier},
         1,
         {earlier, qt_error_string(EFBIG)},
         "/bin/sh"},
        {{"-c", limited.arg(16), cli, "frame", clip, "--time", "0.5", "--out", earlierImage},
         1,
         {earlierImage},
         "/bin/sh"},
        // Every command's output goes through one flush, checked once: a full or closed output.
        {{"-c", "exec \"$0\" \"$@\" >/dev/full", cli, "scan", empty}, 1, {"标准输出"}, "/bin/sh"},
        {{"-c", "exec \"$0\" \"$@\" >&-", cli, "scan", empty}, 1, {"标准输出"}, "/bin/sh"},
        {{"telemetry", f, "--format", "xml"}, 2, {"xml"}},
        {{"telemetry"}, 2, {"用法"}},
        {{}, 2, {"用法"}},
        {{"frobnicate"}, 2, {"未知的命令"}},
        {{"export", "single", f, "--duration", "0", "--out", out}, 2, {"--duration"}},
        {{"export", "continuous", f, b, "--start", "1", "--out", out}, 2, {"--start"}},
        {{"export", "continuous", f, b, "--range", "2", "1", "--out", out}, 2, {"--range"}},
        {{"export", "single", f, "--map-tiles", "none", "--out", out}, 2, {"--map-tiles"}},
    };
    const QStringList guarded = {f, b, earlier, earlierImage};
    std::vector<QByteArray> before;
    for (const QString& path : guarded)
        before.push_back(digest(path));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Outcome o = run(c.args, c.program, tmp.makeFolder("tmp"));
        EXPECT_TRUE(o.finished) << "hangs";
        EXPECT_EQ(o.exitCode, c.exitCode) << o.err.toStdString();
        const QString err = QString::fromUtf8(o.err);
        for (const QString& text : c.said)
            EXPECT_TRUE(err.contains(text)) << err.toStdString();
        EXPECT_FALSE(err.contains("tesla-export-") || err.contains(".part") || err.contains("源视频不完整"))
            << err.toStdString();
        EXPECT_TRUE(o.out.isEmpty()) << o.out.toStdString();
        for (qsizetype i = 0; i < guarded.size(); ++i)
            EXPECT_EQ(digest(guarded[i]), before[size_t(i)]) << "changed " << guarded[i].toStdString();
        EXPECT_EQ(entries(tmp / "earlier"), (QStringList{"result.mp4", "shot.png"}));
        EXPECT_EQ(entries(tmp / "tmp"), QStringList());
    }
    EXPECT_FALSE(QFileInfo::exists(tmp / "late.png"));
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_TRUE(
        QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression("^\\.")).isEmpty());
}

TEST_F(CliHostileTest, APathPastPathMaxFromADeepWorkingFolderIsNamedByTheLimit) {
    const int back = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(back, 0);
    ASSERT_EQ(::chdir(QFile::encodeName(tmp.path()).constData()), 0);
    const std::string step(200, 'd');
    for (int depth = 0; depth * int(step.size()) <= PATH_MAX; ++depth)
        ASSERT_TRUE(::mkdir(step.c_str(), 0755) == 0 && ::chdir(step.c_str()) == 0);
    std::vector<Outcome> outcomes;
    for (const QStringList& args :
         {QStringList{"scan", "."}, QStringList{"export", "single", "a.mp4", "--out", "b.mp4"}})
        outcomes.push_back(run(args)); // the working folder is inherited
    ASSERT_EQ(::fchdir(back), 0);
    ::close(back);
    runProgram(QStringLiteral("rm"), {QStringLiteral("-rf"), tmp / QString::fromStdString(step)});
    for (const Outcome& r : outcomes) {
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(QStringLiteral("PATH_MAX，4096")))
            << r.err.toStdString();
    }
}

class CliSignalTest : public CliHostileTest, public testing::WithParamInterface<int> {
protected:
    QList<qint64> fakeFFmpegIds() {
        QList<qint64> ids;
        for (const QString& name : QDir(tmp / "pids").entryList(QDir::Files))
            ids << name.toLongLong();
        return ids;
    }
    // A stand-in for ffmpeg laying out a grid: it writes pictures into the encoder's pipe (its
    // last argument) until a file "die" appears, then fails.
    static inline const QByteArray writing =
        "for out; do :; done\nuntil [ -e \"$FAKE_FFMPEG_PIDS/../die\" ]; do head -c 100000 /dev/zero; "
        "done > \"$out\"\necho 'Conversion failed!' >&2; exit 1\n";
    // Starts a grid export to `out` by a copy of the command line whose ffmpeg is such a script
    // recording its process id, and waits until the export makes progress and that ffmpeg runs.
    void startGrid(QProcess& p, const QString& temp, const QString& out, bool sixCameras = false) {
        const QString f = writeCarClip(tmp, "2024-05-01_10-20-30-front.mp4"),
                      b = writeCarClip(tmp, sixCameras ? "2024-05-01_10-20-30-left_pillar.mp4"
                                                       : "2024-05-01_10-20-30-back.mp4");
        const QString copy = tmp.makeFolder("app") + "/orvane-cli";
        ASSERT_TRUE(QFile::copy(cli, copy));
        const QString ffmpeg =
            tmp.writeFile("app/bin/ffmpeg", "#!/bin/sh\necho $$ > \"$FAKE_FFMPEG_PIDS/$$\"\n" + writing);
        QFile::setPermissions(ffmpeg, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), temp);
        env.insert(QStringLiteral("FAKE_FFMPEG_PIDS"), tmp.makeFolder("pids"));
        p.setProcessEnvironment(env);
        p.start(copy, {"export", "grid", f, b, "--out", out});
        ASSERT_TRUE(p.waitForStarted());
        p.setReadChannel(QProcess::StandardError);
        QByteArray seen;
        while (!seen.contains("progress") && p.waitForReadyRead(60000))
            seen += p.readAll();
        ASSERT_TRUE(seen.contains("progress")) << seen.toStdString();
        ASSERT_EQ(p.state(), QProcess::Running);
        ASSERT_GT(p.processId(), 0); // kill(0, …) would hit the test itself
        waitUntil([&] { return !fakeFFmpegIds().isEmpty(); }, 60000);
        ASSERT_EQ(fakeFFmpegIds().size(), 1);
    }
};

bool isGone(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close > 0 && text.mid(close + 2, 1) == "Z"; // a zombie waits only to be reaped
}

bool becomesGone(qint64 pid) {
    return waitUntil([pid] { return isGone(pid); }, 2000);
}

// SIGTERM and SIGHUP stop an export as Ctrl-C does: cancelled, its ffmpeg child stopped with it,
// cleaned up, an earlier file of the output's name kept, the usual status (128 + the signal).
// Under SIGHUP, and without a signal (0) as its ffmpeg dies, it is a six-camera grid. Dying while it
// writes into the pipe, ffmpeg fails the export in our words, not with a shorter video.
// (Cancelling the exporter that runs without ffmpeg is the export tests'.)
TEST_P(CliSignalTest, EndsAnExportAndItsFFmpegCleanly) {
    const int signal = GetParam();
    const QString temp = tmp.makeFolder("tmp");
    const QString out = tmp.writeFile("export/out.mp4", "an earlier export");
    QProcess p;
    startGrid(p, temp, out, signal == SIGHUP || signal == 0);
    if (HasFatalFailure())
        return;
    if (signal)
        ::kill(pid_t(p.processId()), signal);
    else
        tmp.writeFile("die");
    ASSERT_TRUE(p.waitForFinished(60000));
    const QByteArray said = p.readAll();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), signal ? 128 + signal : 1) << said.toStdString();
    EXPECT_FALSE(said.contains("Conversion failed!")) << "ffmpeg's own words";
    EXPECT_EQ(said.contains("视频处理失败"), !signal) << said.toStdString();
    EXPECT_TRUE(becomesGone(fakeFFmpegIds().front())) << "ffmpeg outlived the export";
    EXPECT_EQ(digest(out), QCryptographicHash::hash("an earlier export", QCryptographicHash::Sha256).toHex());
    EXPECT_EQ(entries(tmp / "export").join(' ').toStdString(), "out.mp4");
    EXPECT_TRUE(entries(temp).isEmpty()) << entries(temp).join(' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Signals, CliSignalTest, testing::Values(SIGINT, SIGTERM, SIGHUP, 0));

// Killed outright, the export cannot clean up: its ffmpeg still dies with it, and all it left
// carries its process id, by which the next export removes it (OwnedFilesTest, OutputSafetyTest).
TEST_F(CliSignalTest, AKilledExportsChildDiesAndWhatItLeftIsMarkedAsItsOwn) {
    const QString temp = tmp.makeFolder("tmp");
    QProcess p;
    startGrid(p, temp, tmp / "grid.mp4");
    if (HasFatalFailure())
        return;
    const qint64 killed = p.processId();
    ::kill(pid_t(killed), SIGKILL);
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_TRUE(becomesGone(fakeFFmpegIds().front())) << "ffmpeg outlived a killed export";
    const QStringList left = entries(temp);
    ASSERT_FALSE(left.isEmpty());
    for (const QString& name : left)
        EXPECT_EQ(OwnedFiles::ownerOf(name), killed) << name.toStdString();
}

} // namespace
