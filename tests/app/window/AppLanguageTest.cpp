// The language of the texts and of the dates shown, from the system's locale and the user's
// choice.

#include "AppLanguage.h"

#include <gtest/gtest.h>

using namespace orvane;
using LanguageChoice = AppLanguage::Choice;

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
        const LanguageChoice choice = AppLanguage::fromSetting(QString::fromLatin1(c.setting));
        const bool chinese = AppLanguage::isChinese(choice, system);
        EXPECT_EQ(chinese, c.chinese);
        const QLocale shown = AppLanguage::displayLocale(chinese, system);
        EXPECT_EQ(shown.name(), QString::fromLatin1(c.dateLocale));
    }
    for (const LanguageChoice choice :
         {LanguageChoice::followSystem, LanguageChoice::chinese, LanguageChoice::english})
        EXPECT_EQ(AppLanguage::fromSetting(AppLanguage::settingValue(choice)), choice);
}
