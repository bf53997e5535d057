// The language of the texts and of the dates shown, from the system's locale and the user's
// choice.

#include "AppLanguage.h"

#include "ClipDeletionError.h"
#include "LibraryRules.h"
#include "LibraryText.h"
#include "TeslaClipEvent.h"

#include <QScopeGuard>
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

// In English a count agrees with its noun ("1 clip", "2 clips") and texts keep English
// punctuation; each row a text composed the way the program composes it.
TEST(AppLanguage, EnglishCountsAgreeWithTheirNounsAndKeepEnglishPunctuation) {
    AppLanguage::apply(false, QLocale(QStringLiteral("en_US")));
    const auto restore = qScopeGuard([] { AppLanguage::apply(true); });
    TeslaClipEvent event;
    event.startTime = *LocalTime::fromFields(2024, 5, 1, 10, 19, 30);
    event.endTime = event.startTime + 60;
    const struct {
        QString shown, expected;
    } rows[] = {
        {LibraryText::eventCount(1), "1 clip"},
        {LibraryText::eventCount(2), "2 clips"},
        {LibraryText::deletingDetail(1), "Moving the selected clip to the Trash"},
        {LibraryRules::deletedStatus(1, 1), "Moved 1 video of 1 clip to the Trash"},
        {LibraryRules::deletedStatus(2, 5), "Moved 5 videos of 2 clips to the Trash"},
        {ClipDeletionError::partiallyFailed(1, {QStringLiteral("a.mp4")}).description(),
         "Deleted 1 file, but a.mp4 could not be deleted. Import the TeslaCam folder again to refresh the "
         "list."},
        {event.timeRangeTitle(), "10:19:30–10:20:30"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.shown, row.expected);
}
