#pragma once
// The language of the texts every program shows (the window and the command line): Chinese, their
// source language, for a Chinese system; English, from the translation in the resources, otherwise.
// Main thread, before the first text is made.

#include <QLocale>

namespace orvane::TextLanguage {

// Chinese for a Chinese locale of any script or country, English for every other.
bool isChinese(const QLocale& system = QLocale::system());
// Installs the English translation (removes it for Chinese).
void apply(bool chinese);
// Whether the texts are Chinese now.
bool chineseApplied();

} // namespace orvane::TextLanguage
