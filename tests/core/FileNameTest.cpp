// Names as the file system holds them: bytes that are not UTF-8 survive the trip through QString,
// reach the file again, and read as "\xE9"; a working folder past PATH_MAX is named as such.

#include "FileName.h"

#include "RegularFile.h"
#include "TestSupport.h"
#include "UserFacingError.h"

#include <QFile>
#include <climits>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvane;

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
    test::TempFolder tmp;
    const QByteArray bytes = QFile::encodeName(tmp.path()) + "/x\xe9y.mp4";
    const int fd = ::open(bytes.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_FALSE(QFile::exists(QFile::decodeName(bytes))) << "Qt's own decoding reaches the file";
    EXPECT_TRUE(RegularFile::openForReading(FileName::decode(bytes)).isOpen());
    EXPECT_TRUE(RegularFile::identify(FileName::decode(bytes)));
    ::unlink(bytes.constData()); // QTemporaryDir cannot see it
}

TEST(FileNameTest, AWorkingFolderPastPathMaxIsNamedByItsLimit) {
    test::TempFolder tmp;
    const int back = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(back, 0);
    ASSERT_EQ(::chdir(QFile::encodeName(tmp.path()).constData()), 0);
    const QString here = FileName::absolute(QStringLiteral("a/../b"));
    EXPECT_EQ(here, tmp.path() + QStringLiteral("/b"));
    const std::string step(200, 'd');
    for (int depth = 0; depth * int(step.size()) <= PATH_MAX; ++depth)
        ASSERT_TRUE(::mkdir(step.c_str(), 0755) == 0 && ::chdir(step.c_str()) == 0);
    QStringList messages;
    for (const QString& relative : {QStringLiteral("."), QStringLiteral("clip.mp4")})
        try {
            FileName::absolute(relative);
            ADD_FAILURE() << "no error for " << relative.toStdString();
        } catch (const FileSystemError& e) {
            messages << e.description();
        }
    ASSERT_EQ(::fchdir(back), 0);
    ::close(back);
    test::runProgram(QStringLiteral("rm"), {QStringLiteral("-rf"), tmp / QString::fromStdString(step)});
    for (const QString& message : messages)
        EXPECT_TRUE(message.contains(QStringLiteral("PATH_MAX，4096"))) << message.toStdString();
}

} // namespace
