#include "JsonWriter.h"

#include <charconv>
#include <cmath>

namespace orvane::cli {

namespace {

template <typename F> QString shortest(F number) {
    if (!std::isfinite(number))
        return QStringLiteral("null"); // JSON has no infinities or NaN
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, number);
    return QString::fromLatin1(buffer, int(end - buffer));
}

} // namespace

QString JsonWriter::quoted(const QString& text) {
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += text.mid(i++, 2);
            continue;
        }
        switch (c.unicode()) {
        case '"': out += QStringLiteral("\\\""); break;
        case '\\': out += QStringLiteral("\\\\"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        case '\b': out += QStringLiteral("\\b"); break;
        case '\f': out += QStringLiteral("\\f"); break;
        default:
            // A lone surrogate is a byte of a name that is not UTF-8 (FileName::decode): as an
            // escape it reaches a reader that maps it back, as Python's surrogateescape does.
            if (c.unicode() < 0x20 || c.isSurrogate())
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!stack_.empty()) {
        if (stack_.back().count++ > 0)
            out_ << ',';
        out_ << "\n" << QString(int(stack_.size()) * 2, QLatin1Char(' '));
    }
}

void JsonWriter::key(const QString& name) {
    beforeValue();
    out_ << quoted(name) << ": ";
    afterKey_ = true;
}

void JsonWriter::beginObject() {
    beforeValue();
    out_ << '{';
    stack_.push_back({true, 0});
}

void JsonWriter::beginArray() {
    beforeValue();
    out_ << '[';
    stack_.push_back({false, 0});
}

void JsonWriter::endObject() {
    const bool hadItems = stack_.back().count > 0;
    stack_.pop_back();
    if (hadItems)
        out_ << "\n" << QString(int(stack_.size()) * 2, QLatin1Char(' '));
    out_ << '}';
}

void JsonWriter::endArray() {
    const bool hadItems = stack_.back().count > 0;
    stack_.pop_back();
    if (hadItems)
        out_ << "\n" << QString(int(stack_.size()) * 2, QLatin1Char(' '));
    out_ << ']';
}

void JsonWriter::value(const QString& text) {
    beforeValue();
    out_ << quoted(text);
}
void JsonWriter::value(double number) {
    beforeValue();
    out_ << shortest(number);
}
void JsonWriter::value(float number) {
    beforeValue();
    out_ << shortest(number);
}
void JsonWriter::value(long long number) {
    beforeValue();
    out_ << number;
}
void JsonWriter::value(unsigned long long number) {
    beforeValue();
    out_ << number;
}
void JsonWriter::value(bool flag) {
    beforeValue();
    out_ << (flag ? "true" : "false");
}
void JsonWriter::null() {
    beforeValue();
    out_ << "null";
}
void JsonWriter::finish() {
    out_ << "\n";
    out_.flush();
}

} // namespace orvane::cli
