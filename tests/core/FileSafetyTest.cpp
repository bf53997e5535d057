// Names as the file system holds them (bytes that are not UTF-8 survive the trip through QString,
// reach the file again, and read as "\xE9"), temporary names a killed process can be told by, and
// the sweep of what it left. (Paths that are no regular file are refused through each reader and
// writer: media, scanner, telemetry, export, CLI.)

#include "FileName.h"
#include "OwnedFiles.h"
#include "RegularFile.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;

namespace {

TEST(FileNameTest, EveryByteSequenceComesBackAndReadsPlainly) {
    const struct {
        QByteArray bytes;
        const char* shown; // UTF-8
    } cases[] = {
        {"/plain/a.mp4", "/plain/a.mp4"},
        {"caf\xc3\xa9 \xe8\xa1\x8c \xf0\x9f\x9a\x97", "caf\xc3\xa9 \xe8\xa1\x8c \xf0\x9f\x9a\x97"},
        {"cl\xe9 USB", "cl\\xE9 USB"},
        {"\xff\xfe", "\\xFF\\xFE"},
        {"cut \xe8\xa1", "cut \\xE8\\xA1"},           // a sequence cut short
        {"\xc0\xaf", "\\xC0\\xAF"},                   // an overlong '/'
        {"\xed\xb3\xa9", "\\xED\\xB3\\xA9"},          // an encoded surrogate (U+DCE9 itself)
        {"\xf4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"}, // past U+10FFFF
        {"\xf0\x9f\x9a\x97\xe9\xc3\xa9", "\xf0\x9f\x9a\x97\\xE9\xc3\xa9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        const QString name = FileName::decode(c.bytes);
        EXPECT_EQ(FileName::encode(name), c.bytes);
        EXPECT_EQ(FileName::display(name), QString::fromUtf8(c.shown));
        EXPECT_EQ(FileName::hasRawBytes(name), QByteArray(c.shown) != c.bytes);
        EXPECT_EQ(FileName::fromUrl(FileName::toUrl(QStringLiteral("/d/") + name)),
                  QStringLiteral("/d/") + name);
    }
    // What a file manager hands over for a dropped folder.
    EXPECT_EQ(FileName::fromUrl(QUrl::fromEncoded("file:///m/cl%E9%20USB")),
              FileName::decode("/m/cl\xe9 USB"));
    const char* argv[] = {"orvane-cli", "scan", "cl\xe9"};
    EXPECT_EQ(FileName::arguments(3, argv),
              (QStringList{QStringLiteral("scan"), FileName::decode("cl\xe9")}));
}

TEST(FileNameTest, ANameThatIsNotUtf8IsReachedWhereQtLosesIt) {
    TempFolder tmp;
    const QByteArray bytes = QFile::encodeName(tmp.path()) + "/x\xe9y.mp4";
    const int fd = ::open(bytes.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_TRUE(RegularFile::openForReading(FileName::decode(bytes)).isOpen());
    EXPECT_TRUE(RegularFile::identify(FileName::decode(bytes)));
    ::unlink(bytes.constData()); // QTemporaryDir cannot see it
}

// A working folder past PATH_MAX is named by the limit: the command line's test, from a deep folder.
TEST(FileNameTest, ARelativePathIsResolvedAgainstTheWorkingFolder) {
    const QString here = QDir::currentPath();
    EXPECT_EQ(FileName::absolute(QStringLiteral("a/../b")), here + QStringLiteral("/b"));
    EXPECT_EQ(FileName::absolute(QStringLiteral("/x/./y/")), QStringLiteral("/x/y"));
}

QByteArray utf8Name(const QString& path) {
    return QFile::encodeName(QFileInfo(path).fileName());
}

// A legal final name of any length, in any script, gets a hidden temporary name the file
// system accepts, marked with this process.
TEST(OwnedFilesTest, PartNamesFitTheNameLimitAndCarryTheOwner) {
    test::TempFolder tmp;
    const QStringList names = {
        QStringLiteral("a.mp4"),
        QString(251, QLatin1Char('a')) + QStringLiteral(".mp4"), // 255 bytes
        QString(83, QChar(0x884C)) + QStringLiteral(".mp4"),     // 253 bytes of 3-byte letters
        QString(62, QChar(0xD83D)).replace(QChar(0xD83D), QStringLiteral("\U0001F697")) +
            QStringLiteral(".png"), // 4-byte letters, never split
        QString(255, QLatin1Char('c')),
        QStringLiteral("x.y.tar.gz")};
    for (const QString& name : names) {
        const QString finalPath = tmp / name;
        ASSERT_LE(utf8Name(finalPath).size(), 255);
        const QString part = OwnedFiles::partPathFor(finalPath);
        const QString partName = QFileInfo(part).fileName();
        EXPECT_LE(utf8Name(part).size(), 255) << name.toStdString();
        EXPECT_EQ(QFileInfo(part).absolutePath(), tmp.path());
        EXPECT_TRUE(partName.startsWith(QLatin1Char('.')));
        EXPECT_EQ(QString::fromUtf8(QFile::encodeName(partName)), partName) << "a whole letter is never cut";
        const QString suffix = QFileInfo(name).suffix();
        EXPECT_TRUE(partName.endsWith(suffix.isEmpty() ? QStringLiteral(".part")
                                                       : QStringLiteral(".part.") + suffix));
        EXPECT_EQ(OwnedFiles::ownerOf(partName), qint64(getpid())) << partName.toStdString();
        EXPECT_NE(OwnedFiles::partPathFor(finalPath), part);
        EXPECT_NO_THROW(OwnedFile::create(part)) << "the file system takes the name";
        EXPECT_FALSE(QFile::exists(part)) << "removed with its owner object";
    }
    const QString temporary = OwnedFiles::temporaryPath(OwnedFiles::gridPrefix, QStringLiteral(".mp4"));
    EXPECT_EQ(QFileInfo(temporary).absolutePath(), QDir::tempPath());
    EXPECT_EQ(OwnedFiles::ownerOf(QFileInfo(temporary).fileName()), qint64(getpid()));
}

TEST(OwnedFilesTest, AnOwnedFileIsNewAndStaysOnlyWhenKept) {
    test::TempFolder tmp;
    const QString existing = tmp.writeFile("taken.part", "someone's");
    EXPECT_THROW(OwnedFile::create(existing), FileSystemError);
    QFile::link(tmp / "elsewhere", tmp / "planted.part");
    EXPECT_THROW(OwnedFile::create(tmp / "planted.part"), FileSystemError);
    EXPECT_FALSE(QFile::exists(tmp / "elsewhere")) << "a planted link is never followed";
    QFile kept(tmp / "kept.part");
    {
        OwnedFile file = OwnedFile::create(kept.fileName());
        file.writeAll("abc");
        file.sync();
        file.keep();
    }
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "abc");
    QFile earlier(existing);
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), "someone's");
}

// What a killed export leaves behind goes; what a running process writes, or what is not
// ours, stays.
TEST(OwnedFilesTest, SweepRemovesOnlyLeftoversOfEndedProcesses) {
    test::TempFolder tmp;
    const QString ended = QString::number(endedProcessId());
    const QString running = QString::number(getppid());
    const QString self = QString::number(getpid());
    const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    struct Entry {
        QString name;
        bool folder;
        bool removed;
    } entries[] = {
        {".clip." + ended + "-0123abcd.part.mp4", false, true},
        {".clip." + ended + "-0123abcd.part", false, true},
        {"tesla-export-" + ended + "-" + uuid + ".mp4", false, true},
        {"tesla-grid-" + ended + "-" + uuid, true, true},
        {OwnedFiles::mergedPrefix + ended + "-" + uuid + ".mp4", false, true},
        {OwnedFiles::captureFolderPrefix + ended + "-" + uuid, true, true},
        {OwnedFiles::stagingFolderPrefix + ended + "-" + uuid, true, true},
        {".clip." + running + "-0123abcd.part.mp4", false, false}, // a running process's
        {".clip." + self + "-0123abcd.part.mp4", false, false},    // our own
        {"clip." + ended + "-0123abcd.part.mp4", false, false},    // not hidden: not one of ours
        {".clip.part.mp4", false, false},
        {".clip." + ended + "-0123abcd.part.mp4.txt", false, false},
        {"tesla-export-" + uuid + ".mp4", false, false},
        {"tesla-export-" + ended + "-" + uuid + ".mp4.keep", false, false},
        {"my-tesla-export-" + ended + "-" + uuid + ".mp4", false, false},
        {".clip." + ended + "-0123abcd.part.mp4-folder", true, false},
        {"notes.txt", false, false},
    };
    for (const Entry& e : entries) {
        if (e.folder)
            tmp.writeFile(e.name + "/part_0000.mp4", "piece");
        else
            tmp.writeFile(e.name, "x");
    }
    // A name like a leftover that is a link or a FIFO is not a file we wrote.
    const QString linkName = ".link." + ended + "-0123abcd.part.mp4";
    QFile::link(tmp / "notes.txt", tmp / linkName);
    const QString fifoName = ".fifo." + ended + "-0123abcd.part.mp4";
    makeFifo(tmp / fifoName);
    // A process in another PID namespace (or on another machine sharing the folder) holds its
    // lock: its id means nothing here, the lock does.
    OwnedFile locked = OwnedFile::create(tmp / (".locked." + ended + "-0123abcd.part.mp4"));

    EXPECT_EQ(OwnedFiles::sweep(tmp.path()), 7);
    for (const Entry& e : entries)
        EXPECT_EQ(QFileInfo::exists(tmp / e.name), !e.removed) << e.name.toStdString();
    EXPECT_TRUE(QFileInfo(tmp / linkName).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(tmp / fifoName));
    EXPECT_TRUE(QFileInfo::exists(locked.path()));
    EXPECT_TRUE(QFileInfo::exists(tmp / "notes.txt"));
    EXPECT_EQ(OwnedFiles::sweep(tmp / "missing"), 0);
}

} // namespace
