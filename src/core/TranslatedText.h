#pragma once
// A user-visible text kept as a named constant, read in the program's language each time it is
// used: a QString constant would be fixed before the translation is installed. Any thread.

#include <QCoreApplication>
#include <QString>

namespace orvane {

struct TranslatedText {
    // Both as marked with QT_TRANSLATE_NOOP, so the translation tools find the text.
    const char* context;
    const char* source;

    QString text() const { return QCoreApplication::translate(context, source); }
    operator QString() const { return text(); }
};

} // namespace orvane
