#include "AppUpdateError.h"
#include "AppUpdateManifest.h"
#include "AppVersion.h"
#include "UpdateTestSupport.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

struct VersionCase {
    const char* a;
    const char* b;
    int expected;
};

class CompareVersionsTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(CompareVersionsTest, ComparesPieceByPieceAsNumbers) {
    const VersionCase c = GetParam();
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    EXPECT_EQ(AppVersion::compareVersions(QString::fromUtf8(c.a), QString::fromUtf8(c.b)), c.expected);
    EXPECT_EQ(AppVersion::compareVersions(QString::fromUtf8(c.b), QString::fromUtf8(c.a)), -c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, CompareVersionsTest,
                         ::testing::Values(VersionCase{"1.2.0", "1.2", 0}, VersionCase{"1.10", "1.9", 1},
                                           VersionCase{"2.0", "1.99.99", 1}, VersionCase{"1.2.3.1", "1.2.3", 1},
                                           VersionCase{"1.0.1", "1.1", -1}, VersionCase{"0-beta", "0", 0},
                                           VersionCase{"1.0-beta", "1.0", 0}, VersionCase{"1..2", "1.2", 0},
                                           VersionCase{"01.002", "1.2", 0}, VersionCase{"", "0.0", 0},
                                           VersionCase{"１.0", "0", 0},
                                           VersionCase{"100000000000000000000.1", "99999999999999999999.9", 1}),
                         [](const ::testing::TestParamInfo<VersionCase>& info) { return std::to_string(info.index); });

TEST(AppVersionTest, IsTheBuiltVersion) { EXPECT_EQ(AppVersion::shortVersion(), QStringLiteral(ORVANE_TEST_VERSION)); }

TEST(AppUpdateManifestTest, DecodesTheThreeKeysAndTheOptionalChecksum) {
    const AppUpdateManifest manifest = AppUpdateManifest::fromJson(
        R"({"version":"1.4.0","downloadURL":"https://downloads.orvane.example/Orvane-1.4.0.tar.gz",)"
        R"("releaseNotes":"  Faster export.\n","sha256":"ABCDEF0123456789abcdef0123456789ABCDEF0123456789abcdef0123456789"})");
    EXPECT_EQ(manifest.version, QStringLiteral("1.4.0"));
    EXPECT_EQ(manifest.downloadURL, QUrl(QStringLiteral("https://downloads.orvane.example/Orvane-1.4.0.tar.gz")));
    EXPECT_EQ(manifest.displayReleaseNotes(), QStringLiteral("Faster export."));
    EXPECT_EQ(manifest.sha256, QStringLiteral("abcdef0123456789abcdef0123456789abcdef0123456789abcdef0123456789"));
    EXPECT_EQ(AppUpdateManifest::fromJson(manifest.toJson()), manifest);
}

TEST(AppUpdateManifestTest, MissingOrBlankNotesShowTheStandardLine) {
    const QString standard = QStringLiteral("建议更新到最新版本以获得更好的体验。");
    for (const QByteArray& notes : {QByteArray(), QByteArray(R"(,"releaseNotes":null)"), QByteArray(R"(,"releaseNotes":"")"),
                                   QByteArray(R"(,"releaseNotes":"  \n\t ")")}) {
        SCOPED_TRACE(notes.toStdString());
        const AppUpdateManifest manifest =
            AppUpdateManifest::fromJson(R"({"version":"2","downloadURL":"https://a.example/x.tar.gz")" + notes + "}");
        EXPECT_EQ(manifest.displayReleaseNotes(), standard);
    }
}

TEST(AppUpdateManifestTest, RefusesWhatCannotBeUsed) {
    const QByteArray bodies[] = {
        "",
        "not json",
        "[]",
        R"({"downloadURL":"https://a.example/x.tar.gz"})",
        R"({"version":"2"})",
        R"({"version":2,"downloadURL":"https://a.example/x.tar.gz"})",
        R"({"version":"2","downloadURL":"not a url"})",
        // Plain http only to this machine; other schemes never.
        R"({"version":"2","downloadURL":"http://a.example/x.tar.gz"})",
        R"({"version":"2","downloadURL":"file:///etc/passwd"})",
        R"({"version":"2","downloadURL":"https://a.example/x.tar.gz","releaseNotes":7})",
        R"({"version":"2","downloadURL":"https://a.example/x.tar.gz","sha256":"abc"})",
    };
    for (const QByteArray& body : bodies) {
        SCOPED_TRACE(body.toStdString());
        EXPECT_EQ(test::updateErrorOf([&] { AppUpdateManifest::fromJson(body); }), AppUpdateError::Kind::invalidManifest);
    }
}

TEST(AppUpdateManifestTest, PlainHttpOnlyToThisMachine) {
    for (const char* address : {"http://127.0.0.1:8080/x", "http://localhost/x", "http://[::1]/x", "https://a.example/x"})
        EXPECT_TRUE(isAllowedUpdateAddress(QUrl(QString::fromUtf8(address)))) << address;
    for (const char* address : {"http://a.example/x", "http://10.0.0.1/x", "ftp://a.example/x", "https:///x"})
        EXPECT_FALSE(isAllowedUpdateAddress(QUrl(QString::fromUtf8(address)))) << address;
}

} // namespace
} // namespace orvane
