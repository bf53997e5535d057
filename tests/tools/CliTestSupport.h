#pragma once
// What the command-line tests share: running the program without ever hanging, and camera files
// named as the car names them. Test thread only.

#include "SampleClips.h"
#include "TestSupport.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace orvane::test {

inline const QString cli = QStringLiteral(ORVANE_CLI_PATH);
// The command line speaks the system's language; these tests read its Chinese, the source texts.
inline const bool cliSpeaksChinese = qputenv("LC_ALL", "zh_CN.UTF-8");

struct Outcome {
    bool finished = false; // false: it hung, and was killed
    int exitCode = -1;     // -1 when killed by a signal
    QByteArray out, err;
};

// Runs `program` (the command line unless said otherwise); 20 s is long enough for any command
// the tests give it.
inline Outcome run(const QStringList& args, const QString& program = cli, const QString& tmpdir = {}) {
    QProcess p;
    if (!tmpdir.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), tmpdir);
        p.setProcessEnvironment(env);
    }
    p.start(program, args);
    Outcome o;
    o.finished = p.waitForStarted() && p.waitForFinished(20000);
    if (!o.finished) {
        p.kill();
        p.waitForFinished();
    }
    o.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    o.out = p.readAllStandardOutput();
    o.err = p.readAllStandardError();
    return o;
}

// Each test's folder, with the car's clock in Shanghai.
class CliTest : public testing::Test {
protected:
    ScopedTimeZone zone{"Asia/Shanghai"};
    TempFolder tmp;
};

// A loose front-camera file in `tmp` named as the car names it, so its recording time is known.
inline QString writeCarClip(const TempFolder& tmp, const QString& name, double seconds = 1, int width = 160,
                            int height = 120) {
    return writeClip({.path = tmp / name, .width = width, .height = height, .seconds = seconds});
}

} // namespace orvane::test
