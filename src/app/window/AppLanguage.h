#pragma once
// The language of the program's texts and of the dates and times it shows, Chinese or English: the
// system's, or the user's choice. Interface thread, before the first text is made.

#include "ChoiceListModel.h"

#include <QLocale>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace orvane {

namespace AppLanguage {

// What the user chose; kept in the settings as "system", "zh" or "en".
enum class Choice { followSystem, chinese, english };

// An unknown or missing value follows the system.
Choice fromSetting(const QString& value);
QString settingValue(Choice choice);
// Texts are Chinese for a Chinese locale of any script or country, English for every other.
bool isChinese(Choice choice, const QLocale& system);
// The locale dates and times are shown in: the system's own when it speaks the chosen language,
// else mainland Chinese or American English.
QLocale displayLocale(bool chinese, const QLocale& system);
// Installs the English translation (removes it for Chinese) and makes displayLocale the default
// locale, which every date and time shown is written in.
void apply(bool chinese, const QLocale& system = QLocale::system());
// Whether the texts are Chinese now.
bool chineseApplied();

} // namespace AppLanguage

// The language picker of the window: the choice kept in the settings, which takes effect at the
// next start. Interface thread only.
class LanguageSetting : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The main view model owns the language setting")
    // "system", "zh" or "en".
    Q_PROPERTY(QString choice READ choice WRITE setChoice NOTIFY choiceChanged)
    // Follow the system, 中文, English.
    Q_PROPERTY(orvane::ChoiceListModel* options READ options CONSTANT)
    // Whether the choice asks for another language than the one the texts are in now.
    Q_PROPERTY(bool needsRestart READ needsRestart NOTIFY choiceChanged)

public:
    explicit LanguageSetting(QObject* parent = nullptr);

    QString choice() const { return AppLanguage::settingValue(choice_); }
    void setChoice(const QString& value);
    ChoiceListModel* options() const { return options_; }
    bool needsRestart() const;

signals:
    void choiceChanged();

private:
    static std::vector<Choice> choices();

    AppLanguage::Choice choice_ = AppLanguage::Choice::followSystem;
    ChoiceListModel* options_;
};

} // namespace orvane
