// The command line when the disk or the drive fails under it: a read error, an unreadable
// minute and a file-size limit (on a video or an image) each fail (exit 1) with the user's file
// named and the cause given, and leave nothing behind but what was there before.

#include "CliTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

TEST(CliFaultTest, FailuresNameTheCauseAndTheUsersFileAndLeaveNothing) {
    TempFolder tmp;
    const QString clip = writeCarClip(tmp, "2024-05-01_10-20-30-front.mp4", 4, 320, 240);
    const QString next = writeCarClip(tmp, "2024-05-01_10-21-30-front.mp4", 1);
    const QString cut =
        writeClip({.path = tmp / "2024-05-01_10-22-30-front.mp4", .damage = sample::Damage::truncated});
    const QStringList failingReads = {"LD_PRELOAD=" ORVANE_FAILING_READS_PATH,
                                      "ASAN_OPTIONS=verify_asan_link_order=0", "ORVANE_FAIL_READS_OF=" + clip,
                                      "ORVANE_FAIL_READS_AFTER=" + QString::number(QFile(clip).size() / 2),
                                      cli};
    // A file-size limit (in blocks of 512 bytes) fails writes past it as a full disk would.
    const QString limited = "ulimit -f %1; exec \"$0\" \"$@\"";
    const QString out = tmp / "out/result.mp4", image = tmp / "image/shot.png";
    const struct {
        const char* name;
        QString program;
        QStringList args;
        QStringList said;
    } cases[] = {
        {"a read error mid-export",
         "/usr/bin/env",
         failingReads + QStringList{"export", "single", clip, "--out", out},
         {"2024-05-01_10-20-30-front.mp4", qt_error_string(EIO)}},
        {"an unreadable minute", cli, {"export", "continuous", next, cut, "--out", out, "--no-time"}, {cut}},
        {"a file-size limit",
         "/bin/sh",
         {"-c", limited.arg(64), cli, "export", "single", clip, "--out", out},
         {out, qt_error_string(EFBIG)}},
        {"a file-size limit on an image",
         "/bin/sh",
         {"-c", limited.arg(16), cli, "frame", clip, "--time", "0.5", "--out", image},
         {image}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString earlier = c.args[c.args.indexOf("--out") + 1];
        tmp.writeFile(earlier.mid(tmp.path().size() + 1), "an earlier file");
        const Outcome o = run(c.args, c.program, tmp.makeFolder("tmp"));
        EXPECT_EQ(o.exitCode, 1) << o.err.toStdString();
        const QString err = QString::fromUtf8(o.err);
        for (const QString& text : c.said)
            EXPECT_TRUE(err.contains(text)) << err.toStdString();
        EXPECT_FALSE(err.contains("tesla-export-") || err.contains(".part") || err.contains("源视频不完整"))
            << err.toStdString();
        EXPECT_EQ(digest(earlier), digest(tmp.writeFile("expected", "an earlier file")));
        EXPECT_EQ(entries(QFileInfo(earlier).path()), QStringList{QFileInfo(earlier).fileName()});
        EXPECT_EQ(QDir(tmp / "tmp").entryList(QDir::Files | QDir::Hidden), QStringList());
    }
}

// A run of the media data zeroed part-way through a group of pictures: each frame after it is
// refused, or saved flagged as patched up with a warning; never saved as sound.
TEST(CliFaultTest, AFramePatchedUpByTheDecoderIsFlaggedAndWarnedAbout) {
    constexpr int fps = 36, frames = 2 * fps, zeroedBytes = 96;
    TempFolder tmp;
    const QString clip = writeCarClip(tmp, "2024-05-01_10-20-30-front.mp4", 2, 320, 240);
    QFile file(clip);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const qsizetype data = bytes.indexOf("mdat") + 8, end = bytes.lastIndexOf("moov") - 4;
    ASSERT_GT(end, data);
    const qsizetype at = data + (end - data) / 2; // in the second group of pictures
    bytes.replace(at, zeroedBytes, QByteArray(zeroedBytes, '\0'));
    ASSERT_TRUE(file.seek(0) && file.write(bytes) == bytes.size());
    file.close();
    int flagged = 0;
    for (int frame = 0; frame < frames; frame += 3) {
        SCOPED_TRACE(frame);
        const Outcome o =
            run({"frame", clip, "--time", QString::number((frame + 0.5) / fps), "--out", tmp / "shot.png"});
        ASSERT_TRUE(o.finished);
        const QString err = QString::fromUtf8(o.err);
        if (o.exitCode != 0) {
            EXPECT_EQ(o.exitCode, 1);
            EXPECT_FALSE(err.trimmed().isEmpty());
            continue;
        }
        const QJsonObject result = QJsonDocument::fromJson(o.out).object();
        ASSERT_TRUE(result.contains("concealed")) << o.out.toStdString();
        const bool concealed = result.value("concealed").toBool();
        EXPECT_EQ(err.contains("警告"), concealed) << err.toStdString();
        flagged += concealed;
    }
    EXPECT_GT(flagged, 0) << "the damage patched up no picture";
}

} // namespace
