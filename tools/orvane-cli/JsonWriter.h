#pragma once

#include <QString>
#include <QTextStream>

#include <optional>
#include <vector>

namespace orvane::cli {

// A small streaming JSON writer that keeps keys in the order written (QJsonObject sorts
// them) and prints numbers in their shortest exact form.
class JsonWriter {
public:
    explicit JsonWriter(QTextStream& out) : out_(out) {}

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(const QString& name);

    void value(const QString& text);
    void value(const char* text) { value(QString::fromUtf8(text)); }
    void value(double number);
    void value(float number);
    void value(long long number);
    void value(unsigned long long number);
    void value(int number) { value(static_cast<long long>(number)); }
    void value(bool flag);
    void null();

    template <typename T> void value(const std::optional<T>& v) {
        if (v)
            value(*v);
        else
            null();
    }
    template <typename T> void field(const QString& name, const T& v) {
        key(name);
        value(v);
    }

    // Finishes the document with a newline.
    void finish();

    static QString quoted(const QString& text);

private:
    void beforeValue();
    QTextStream& out_;
    struct Level {
        bool isObject;
        int count;
    };
    std::vector<Level> stack_;
    bool afterKey_ = false;
};

} // namespace orvane::cli
