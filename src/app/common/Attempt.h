#pragma once
// The result of blocking work run off the interface thread, or the text of its failure, so the
// failure can travel back with the result. Any thread.

#include "UserFacingError.h"

#include <QString>
#include <exception>
#include <optional>

namespace orvane {

template <typename T> struct Attempt {
    std::optional<T> value;
    QString error;
};

// Runs `function`, turning what it throws into the failure's text.
template <typename Function> auto attempt(Function function) -> Attempt<decltype(function())> {
    try {
        return {function(), {}};
    } catch (const UserFacingError& e) {
        return {std::nullopt, e.description()};
    } catch (const std::exception& e) {
        return {std::nullopt, QString::fromLocal8Bit(e.what())};
    }
}

} // namespace orvane
