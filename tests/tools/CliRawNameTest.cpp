// A drive written by another system: a folder and a clip whose names are not UTF-8 are scanned,
// listed, probed, captured and exported under their own bytes; a path past PATH_MAX reached
// from a deep working folder is named by the limit.

#include "CliTestSupport.h"

#include <QFile>
#include <climits>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;

namespace {

// The names are made by the shell: QProcess would pass them as UTF-8.
Outcome inShell(const QString& script, const TempFolder& tmp) {
    return run({QStringLiteral("-c"),
                QStringLiteral("N=\"$1/cl$(printf '\\351') USB\"; X=$(printf '\\351'); ") + script, cli,
                tmp.path()},
               QStringLiteral("/bin/sh"));
}

// Removes what Qt cannot see (names that are not UTF-8) before the temporary folder goes.
struct RemovedByBytes {
    QString folder;
    ~RemovedByBytes() { runProgram(QStringLiteral("rm"), {QStringLiteral("-rf"), folder}); }
};

TEST(CliRawName, FootageUnderNamesThatAreNotUtf8IsFoundReadAndExported) {
    ScopedTimeZone zone{"Asia/Shanghai"};
    TempFolder tmp;
    const RemovedByBytes cleanup{tmp.path()};
    sample::writeDrive(sample::exampleDrive(tmp / "TeslaCam", sample::CarLayout::fourCamera, 0.05, 0.5));
    const QString loose = writeCarClip(tmp, "2024-05-01_10-00-00-front.mp4", 0.5);
    const QByteArray folder = QFile::encodeName(tmp.path()) + "/cl\xe9 USB";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    ASSERT_EQ(::rename(QFile::encodeName(tmp / "TeslaCam").constData(), (folder + "/TeslaCam").constData()),
              0);
    ASSERT_EQ(::rename(QFile::encodeName(loose).constData(), (folder + "/x\xe9y.mp4").constData()), 0);
    const QByteArray shown = QFile::encodeName(tmp.path()) + "/cl\\udce9 USB/"; // a JSON escape per byte
    const QString saved = QStringLiteral("\"$N\"/TeslaCam/SavedClips/*/2024-05-01_10-");
    const struct {
        QString script;
        QByteArray printed;
        const char* written; // under the folder
    } cases[] = {
        {"\"$0\" scan \"$N/TeslaCam\"", shown + "TeslaCam/RecentClips\"", nullptr},
        {"\"$0\" videos \"$N/TeslaCam\" --category saved --index 0 --camera front",
         shown + "TeslaCam/SavedClips/", nullptr},
        {"\"$0\" probe \"$N/x${X}y.mp4\"", "\"frameRate\": 36", nullptr},
        {"\"$0\" frame \"$N/x${X}y.mp4\" --time 0.2 --out \"$N/f$X.png\"", shown + "f\\udce9.png\"",
         "f\xe9.png"},
        {"\"$0\" export single " + saved + "20-30-front.mp4 --out \"$N/s$X.mp4\"", shown + "s\\udce9.mp4\"",
         "s\xe9.mp4"},
        {"\"$0\" export continuous " + saved + "*-front.mp4 --out \"$N/c$X.mp4\"", "\"truncated\": false",
         "c\xe9.mp4"},
        {"\"$0\" export grid " + saved + "20-30-*.mp4 --out \"$N/g$X.mp4\"", "\"truncated\": false",
         "g\xe9.mp4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script.toStdString());
        const Outcome r = inShell(c.script, tmp);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(c.printed)) << r.out.toStdString();
        struct stat st {};
        if (c.written) {
            EXPECT_TRUE(::stat((folder + '/' + c.written).constData(), &st) == 0 && st.st_size > 0);
        }
    }
}

TEST(CliRawName, APathPastPathMaxFromADeepWorkingFolderIsNamedByTheLimit) {
    TempFolder tmp;
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

} // namespace
