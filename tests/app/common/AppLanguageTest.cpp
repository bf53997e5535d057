// The language of the texts and of the dates shown, from the system's locale and the user's
// choice, and the English translation the program carries.

#include "AppLanguage.h"

#include "LibraryRules.h"
#include "WindowText.h"

#include <QDate>
#include <gtest/gtest.h>

using namespace orvane;
using Choice = AppLanguage::Choice;

TEST(AppLanguage, ChineseLocalesGetChineseAndEveryOtherEnglishUnlessChosen) {
    const struct {
        const char* system;
        const char* setting;
        bool chinese;
        const char* dateLocale;
    } cases[] = {
        {"zh_CN", "system", true, "zh_CN"},
        {"zh_TW", "system", true, "zh_TW"},
        {"zh_HK", "", true, "zh_HK"},
        {"en_US", "system", false, "en_US"},
        {"en_GB", "nonsense", false, "en_GB"},
        {"C", "system", false, "en_US"},
        {"C", "zh", true, "zh_CN"},
        {"zh_CN", "en", false, "en_US"},
        {"en_GB", "en", false, "en_GB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.system) + " " + c.setting);
        const QLocale system(QString::fromLatin1(c.system));
        const Choice choice = AppLanguage::fromSetting(QString::fromLatin1(c.setting));
        const bool chinese = AppLanguage::isChinese(choice, system);
        EXPECT_EQ(chinese, c.chinese);
        const QLocale shown = AppLanguage::displayLocale(chinese, system);
        EXPECT_EQ(shown.name(), QString::fromLatin1(c.dateLocale));
    }
    for (const Choice choice : {Choice::followSystem, Choice::chinese, Choice::english})
        EXPECT_EQ(AppLanguage::fromSetting(AppLanguage::settingValue(choice)), choice);
}

// The translation is compiled in and installed, texts kept as constants follow it, the default
// locale follows it too, and Chinese comes back without a trace of English.
TEST(AppLanguage, EnglishIsInstalledAndRemovedAtRunTime) {
    const QLocale system(QLocale::German, QLocale::Germany);
    for (const bool chinese : {false, true, false, true}) {
        SCOPED_TRACE(chinese ? "Chinese" : "English");
        AppLanguage::apply(chinese, system);
        EXPECT_EQ(AppLanguage::chineseApplied(), chinese);
        EXPECT_EQ(QString(LibraryRules::startMessage),
                  chinese ? QStringLiteral("选择 TeslaCam 文件夹开始")
                          : QStringLiteral("Choose a TeslaCam folder to begin"));
        EXPECT_EQ(WindowText::eventCount(3),
                  chinese ? QStringLiteral("共 3 个视频片段") : QStringLiteral("3 clips"));
        EXPECT_EQ(QLocale().toString(QDate(2024, 5, 1), QLocale::LongFormat),
                  chinese ? QStringLiteral("2024年5月1日星期三") : QStringLiteral("Wednesday, May 1, 2024"));
        LanguageSetting setting;
        setting.setChoice(QStringLiteral("en"));
        EXPECT_EQ(setting.needsRestart(), chinese);
        setting.setChoice(QStringLiteral("zh"));
        EXPECT_EQ(setting.needsRestart(), !chinese);
    }
}
