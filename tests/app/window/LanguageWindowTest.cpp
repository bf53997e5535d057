// The window in each language on a machine whose own locale is neither: every text and every
// date a user reads is in the chosen language, and the language picker says when it applies.

#include "AppLanguage.h"
#include "WindowDriver.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace orvane;
using test::waitUntil;
using test::WindowDriver;

namespace {

struct Language {
    const char* name;
    bool chinese;
    const char* emptyTitle;
    const char* importButton;
    const char* outputStatus; // the status line starts with it
    const char* eventCount;
    const char* dayTitle;    // a pattern
    const char* detailTitle; // a pattern
    const char* back;
    const char* exportButton;
    const char* ownChoice;
    const char* otherChoice;
    const char* restartNote;
};

const Language languages[] = {
    {"English", false, "Choose a TeslaCam folder on the left", "Choose TeslaCam Folder",
     "Output folder: ", "2 clips", R"(^[A-Z][a-z]+day, [A-Z][a-z]+ \d{1,2}, \d{4}$)",
     R"(^[A-Z][a-z]{2} \d{1,2}, \d{4} \d\d:\d\d)", "Back", "Export", "en", "zh",
     "Takes effect when Orvane restarts"},
    {"Chinese", true, "请先在左侧选择 TeslaCam 文件夹", "选择 TeslaCam 文件夹",
     "输出目录: ", "共 2 个视频片段", R"(^\d{4}年\d{1,2}月\d{1,2}日 ?星期.$)",
     R"(^\d{4}年\d{1,2}月\d{1,2}日 \d\d:\d\d)", "返回", "导出", "zh", "en", "重新启动 Orvane 后生效"},
};

// Installed before the window loads, as the program does at start; Chinese again afterwards.
struct ChosenLanguage {
    explicit ChosenLanguage(bool chinese) {
        AppLanguage::apply(chinese, QLocale(QLocale::German, QLocale::Germany));
    }
    ~ChosenLanguage() { AppLanguage::apply(true); }
};

class LanguageWindowTest : public ::testing::TestWithParam<Language> {
protected:
    void SetUp() override {
        if (!test::hasScreen())
            GTEST_SKIP() << "needs an X server (xvfb-run)";
        ASSERT_TRUE(s.app.window);
    }

    const Language& l = GetParam();
    ChosenLanguage chosen{l.chinese};
    test::ScreenFixture s;
    WindowDriver& ui = *s.app.ui;
};

bool matches(const QString& text, const char* pattern) {
    return QRegularExpression(QString::fromUtf8(pattern)).match(text).hasMatch();
}

} // namespace

TEST_P(LanguageWindowTest, BrowserPreviewAndSidebarSpeakTheLanguageWithItsDates) {
    EXPECT_EQ(ui.textOf("emptyStateTitle"), QString::fromUtf8(l.emptyTitle));
    EXPECT_EQ(ui.textOf("importButton"), QString::fromUtf8(l.importButton));
    EXPECT_TRUE(ui.textOf("statusLine").startsWith(QString::fromUtf8(l.outputStatus)))
        << ui.textOf("statusLine").toStdString();

    ASSERT_TRUE(s.imported());
    ASSERT_TRUE(ui.waitShown("eventSections"));
    EXPECT_EQ(ui.textOf("eventCount"), QString::fromUtf8(l.eventCount));
    const QList<QObject*> days = ui.allShown("dayCount");
    ASSERT_EQ(days.size(), 2);
    for (QObject* day : days) {
        const QString title = day->parent()->property("title").toString();
        EXPECT_TRUE(matches(title, l.dayTitle)) << title.toStdString();
    }

    ASSERT_TRUE(ui.click(ui.find([](QObject* o) {
                               return o->objectName().startsWith("eventCard_") && WindowDriver::isShown(o);
                           }).value(0)));
    ASSERT_TRUE(
        waitUntil([&] { return ui.shown("detailTitle") && !ui.shown("eventSections"); }, test::screenWaitMs));
    const QString detail = ui.textOf("detailTitle");
    EXPECT_TRUE(matches(detail, l.detailTitle)) << detail.toStdString();
    EXPECT_EQ(ui.textOf("backButton"), QString::fromUtf8(l.back));
    EXPECT_EQ(ui.textOf("exportButton"), QString::fromUtf8(l.exportButton));
    ASSERT_TRUE(ui.click("backButton"));
    ASSERT_TRUE(ui.waitShown("eventSections"));

    ASSERT_TRUE(ui.click(QStringLiteral("segment_") + QString::fromLatin1(l.ownChoice)));
    EXPECT_TRUE(ui.waitGone("languageRestartNote", 2000));
    ASSERT_TRUE(ui.click(QStringLiteral("segment_") + QString::fromLatin1(l.otherChoice)));
    ASSERT_TRUE(ui.waitShown("languageRestartNote", 2000));
    EXPECT_EQ(ui.textOf("languageRestartNote"), QString::fromUtf8(l.restartNote));
    EXPECT_EQ(ui.unnamedButtons(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageWindowTest, ::testing::ValuesIn(languages),
                         [](const auto& info) { return std::string(info.param.name); });
