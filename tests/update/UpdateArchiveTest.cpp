#include "AppUpdateError.h"
#include "TestSupport.h"
#include "UpdateArchive.h"
#include "UpdateTestSupport.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace orvane {
namespace {

using test::TarMember;

TarMember file(const char* name, const QByteArray& content = "x") { return {name, '0', content, {}}; }
TarMember folder(const char* name) { return {name, '5', {}, {}}; }
TarMember link(const char* name, const char* target) { return {name, '2', {}, target}; }
TarMember hardLink(const char* name, const char* target) { return {name, '1', {}, target}; }

class UpdateArchiveTest : public ::testing::Test {
protected:
    // Unpacks `archive` into a fresh folder; true when it was accepted.
    bool unpacks(const QByteArray& archive) {
        const QString path = temp.writeFile(QStringLiteral("download.tar.gz"), archive);
        const auto error = test::updateErrorOf([&] { UpdateArchive::unpack(path, destination); });
        EXPECT_TRUE(!error || *error == AppUpdateError::Kind::mountFailed);
        return !error;
    }

    test::TempFolder temp;
    const QString destination = temp.makeFolder(QStringLiteral("parent/mount"));
};

struct RefusedCase {
    const char* why;
    QList<TarMember> members;
};

class RefusedArchiveTest : public UpdateArchiveTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedArchiveTest, NothingIsUnpacked) {
    SCOPED_TRACE(GetParam().why);
    QList<TarMember> members = GetParam().members;
    // Names that would land next to the unpack folder or at an absolute place in the test's folder.
    for (TarMember& member : members) {
        member.name.replace("@ABS@", temp.path().toUtf8());
        member.linkTarget.replace("@ABS@", temp.path().toUtf8());
    }
    EXPECT_FALSE(unpacks(test::gzippedTar(members)));
    EXPECT_TRUE(test::folderEntries(destination).isEmpty());
    EXPECT_EQ(test::folderEntries(temp / QStringLiteral("parent")), QStringList{QStringLiteral("mount")});
    EXPECT_FALSE(QFileInfo::exists(temp / QStringLiteral("evil")));
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedArchiveTest,
    ::testing::Values(
        RefusedCase{"no Orvane folder", {folder("Other/"), file("Other/bin/Orvane")}},
        RefusedCase{"a second top-level entry", {file("Orvane/bin/Orvane"), file("README")}},
        RefusedCase{"dot-dot at the top", {file("Orvane/bin/Orvane"), file("../evil")}},
        RefusedCase{"dot-dot inside", {file("Orvane/bin/Orvane"), file("Orvane/../../evil")}},
        RefusedCase{"absolute name", {file("Orvane/bin/Orvane"), file("@ABS@/evil")}},
        RefusedCase{"link out of the bundle", {file("Orvane/bin/Orvane"), link("Orvane/lib", "../../evil")}},
        RefusedCase{"absolute link", {file("Orvane/bin/Orvane"), link("Orvane/lib", "@ABS@/evil")}},
        RefusedCase{"link out through another link",
                    {folder("Orvane/x/"), link("Orvane/x/up", ".."), link("Orvane/x/out", "up/../../evil")}},
        RefusedCase{"link loop", {link("Orvane/a", "b"), link("Orvane/b", "a")}},
        RefusedCase{"hard link out", {file("Orvane/bin/Orvane"), hardLink("Orvane/h", "../evil")}},
        RefusedCase{"hard link to a link", {link("Orvane/deep/l", "../bin"), hardLink("Orvane/h", "Orvane/deep/l")}},
        RefusedCase{"character device", {file("Orvane/bin/Orvane"), {"Orvane/null", '3', {}, {}}}},
        RefusedCase{"block device", {file("Orvane/bin/Orvane"), {"Orvane/disk", '4', {}, {}}}},
        RefusedCase{"FIFO", {file("Orvane/bin/Orvane"), {"Orvane/pipe", '6', {}, {}}}}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return std::to_string(info.index); });

TEST_F(UpdateArchiveTest, RefusesTruncatedAndForeignFiles) {
    const QByteArray good = test::gzippedTar({file("Orvane/bin/Orvane", QByteArray(20000, 'a'))});
    EXPECT_FALSE(unpacks(good.left(good.size() / 2)));
    EXPECT_FALSE(unpacks("this is not an archive"));
    EXPECT_FALSE(unpacks(test::gzip(QByteArray("plain text, not tar. ").repeated(100))));
    EXPECT_TRUE(test::folderEntries(destination).isEmpty());
}

TEST_F(UpdateArchiveTest, UnpacksOddNamesAndLinksThatStayInside) {
    const QByteArray oddName = "Orvane/share/it's \"a\" name\\ with\nnew line, 中文";
    EXPECT_TRUE(unpacks(test::gzippedTar({folder("Orvane/"), file("./Orvane/bin/Orvane", "run"), file(oddName.constData(), "odd"),
                                          link("Orvane/lib", "share"), link("Orvane/share/self", "../bin/Orvane"),
                                          hardLink("Orvane/bin/again", "Orvane/bin/Orvane")})));
    QFile odd(destination + u'/' + QString::fromUtf8(oddName));
    ASSERT_TRUE(odd.open(QIODevice::ReadOnly));
    EXPECT_EQ(odd.readAll(), "odd");
    EXPECT_EQ(test::folderEntries(destination), QStringList{QStringLiteral("Orvane")});
    EXPECT_TRUE(QFileInfo(destination + QStringLiteral("/Orvane/share/self")).isFile());
}

} // namespace
} // namespace orvane
