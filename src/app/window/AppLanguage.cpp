#include "AppLanguage.h"

#include "TextLanguage.h"

#include <QCoreApplication>
#include <QVariantMap>

namespace orvane {

namespace {

struct ChoiceName {
    AppLanguage::Choice choice;
    const char* value;
};
constexpr ChoiceName choiceNames[] = {
    {AppLanguage::Choice::followSystem, "system"},
    {AppLanguage::Choice::chinese, "zh"},
    {AppLanguage::Choice::english, "en"},
};

} // namespace

AppLanguage::Choice AppLanguage::fromSetting(const QString& value) {
    for (const ChoiceName& name : choiceNames)
        if (value == QLatin1String(name.value))
            return name.choice;
    return Choice::followSystem;
}

QString AppLanguage::settingValue(Choice choice) {
    for (const ChoiceName& name : choiceNames)
        if (name.choice == choice)
            return QString::fromLatin1(name.value);
    return {};
}

bool AppLanguage::isChinese(Choice choice, const QLocale& system) {
    if (choice != Choice::followSystem)
        return choice == Choice::chinese;
    return TextLanguage::isChinese(system);
}

QLocale AppLanguage::displayLocale(bool chinese, const QLocale& system) {
    const QLocale::Language language = chinese ? QLocale::Chinese : QLocale::English;
    if (system.language() == language)
        return system;
    return chinese ? QLocale(QLocale::Chinese, QLocale::China)
                   : QLocale(QLocale::English, QLocale::UnitedStates);
}

void AppLanguage::apply(bool chinese, const QLocale& system) {
    TextLanguage::apply(chinese);
    QLocale::setDefault(displayLocale(chinese, system));
}

bool AppLanguage::chineseApplied() {
    return TextLanguage::chineseApplied();
}

LanguageSetting::LanguageSetting(QObject* parent)
    : QObject(parent), options_(new ChoiceListModel(choices(), this)) {}

void LanguageSetting::setChoice(const QString& value) {
    const AppLanguage::Choice choice = AppLanguage::fromSetting(value);
    if (choice == choice_)
        return;
    choice_ = choice;
    emit choiceChanged();
}

std::vector<Choice> LanguageSetting::choices() {
    const QString titles[] = {QCoreApplication::translate("LanguageSetting", "跟随系统"),
                              QStringLiteral("中文"), QStringLiteral("English")};
    std::vector<Choice> options;
    for (size_t i = 0; i < std::size(choiceNames); ++i)
        options.push_back({QString::fromLatin1(choiceNames[i].value), titles[i], {}});
    return options;
}

bool LanguageSetting::needsRestart() const {
    return AppLanguage::isChinese(choice_, QLocale::system()) != AppLanguage::chineseApplied();
}

} // namespace orvane
