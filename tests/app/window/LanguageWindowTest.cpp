// The window in English on a machine whose own locale is neither English nor Chinese: every text
// and every date a user reads is English, and the language picker says when a change applies.
// Chinese, the texts' own language, is what the other window tests read.

#include "AppLanguage.h"
#include "WindowDriver.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace orvane;
using test::waitUntil;

namespace {

// Installed before the window loads, as the program does at start; Chinese again afterwards.
struct English {
    English() { AppLanguage::apply(false, QLocale(QLocale::German, QLocale::Germany)); }
    ~English() { AppLanguage::apply(true); }
};

bool matches(const QString& text, const char* pattern) {
    return QRegularExpression(QString::fromUtf8(pattern)).match(text).hasMatch();
}

} // namespace

TEST(LanguageWindow, BrowserPreviewAndSidebarSpeakEnglishWithItsDates) {
    if (!test::hasScreen())
        GTEST_SKIP() << "needs an X server (xvfb-run)";
    const English english;
    test::ScreenFixture s;
    ASSERT_TRUE(s.app.window);
    test::WindowDriver& ui = *s.app.ui;
    EXPECT_EQ(ui.textOf("emptyStateTitle"), "Choose a TeslaCam folder on the left");
    EXPECT_EQ(ui.textOf("importButton"), "Choose TeslaCam Folder");
    EXPECT_TRUE(ui.textOf("statusLine").startsWith("Output folder: "))
        << ui.textOf("statusLine").toStdString();

    ASSERT_TRUE(s.imported());
    EXPECT_EQ(ui.textOf("eventCount"), "2 clips");
    const QList<QObject*> days = ui.allShown("dayCount");
    ASSERT_EQ(days.size(), 2);
    for (QObject* day : days) {
        const QString title = day->parent()->property("title").toString();
        EXPECT_TRUE(matches(title, R"(^[A-Z][a-z]+day, [A-Z][a-z]+ \d{1,2}, \d{4}$)")) << title.toStdString();
    }

    ASSERT_TRUE(ui.click(s.app.card(0)));
    ASSERT_TRUE(
        waitUntil([&] { return ui.shown("detailTitle") && !ui.shown("eventSections"); }, test::screenWaitMs));
    const QString detail = ui.textOf("detailTitle");
    EXPECT_TRUE(matches(detail, R"(^[A-Z][a-z]{2} \d{1,2}, \d{4} \d\d:\d\d)")) << detail.toStdString();
    EXPECT_EQ(ui.textOf("backButton"), "Back");
    EXPECT_EQ(ui.textOf("exportButton"), "Export");
    ASSERT_TRUE(ui.click("backButton"));
    ASSERT_TRUE(ui.waitShown("eventSections"));

    ASSERT_TRUE(ui.click("segment_en"));
    EXPECT_TRUE(ui.waitGone("languageRestartNote", 2000));
    ASSERT_TRUE(ui.click("segment_zh"));
    ASSERT_TRUE(ui.waitShown("languageRestartNote", 2000));
    EXPECT_EQ(ui.textOf("languageRestartNote"), "Takes effect when Orvane restarts");
    EXPECT_EQ(ui.unnamedButtons(), QStringList());
}
