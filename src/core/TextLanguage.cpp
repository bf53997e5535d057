#include "TextLanguage.h"

#include <QCoreApplication>
#include <QTranslator>
#include <memory>

namespace orvane::TextLanguage {

namespace {

// Where the build puts the compiled English translation among the program's resources.
const QString englishTranslation = QStringLiteral(":/i18n/orvane_en.qm");

QTranslator*& installedTranslator() {
    static QTranslator* translator = nullptr;
    return translator;
}

} // namespace

bool isChinese(const QLocale& system) {
    return system.language() == QLocale::Chinese;
}

void apply(bool chinese) {
    QTranslator*& translator = installedTranslator();
    if (translator) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
        translator = nullptr;
    }
    if (chinese)
        return;
    auto english = std::make_unique<QTranslator>();
    // The texts' source language is Chinese: without the translation they stay Chinese.
    if (english->load(englishTranslation) && QCoreApplication::installTranslator(english.get()))
        translator = english.release();
}

bool chineseApplied() {
    return installedTranslator() == nullptr;
}

} // namespace orvane::TextLanguage
