#pragma once
// Helpers shared by the MainViewModel implementation files; not for other code.

#include "MainViewModel.h"

#include <QtConcurrent>

#include <exception>
#include <optional>

namespace orvane {

// Groups the changes of one operation: derived values and models are brought up to date once,
// when the outermost batch ends.
class MainViewModel::Batch {
public:
    explicit Batch(MainViewModel& vm) : vm_(vm) { ++vm_.batchDepth_; }
    ~Batch() {
        if (--vm_.batchDepth_ == 0 && vm_.derivedDirty_)
            vm_.refreshDerived();
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

private:
    MainViewModel& vm_;
};

template <typename T> void MainViewModel::update(T& field, T value, void (MainViewModel::*changed)()) {
    if (field == value)
        return;
    field = std::move(value);
    (this->*changed)();
    touch();
}

// The result of blocking work, or the text of its failure.
template <typename T> struct Attempt {
    std::optional<T> value;
    QString error;
};

template <typename Function> auto attempt(Function function) -> Attempt<decltype(function())> {
    try {
        return {function(), {}};
    } catch (const UserFacingError& e) {
        return {std::nullopt, e.description()};
    } catch (const std::exception& e) {
        return {std::nullopt, QString::fromLocal8Bit(e.what())};
    }
}

// Runs `work` on `pool` and hands its result to `apply` on the interface thread, unless the
// view model is gone by then. `apply` always runs from the event loop: a continuation attached
// to work that has already finished would otherwise run at once, inside the caller.
template <typename Work, typename Apply>
void MainViewModel::runInBackground(QThreadPool* pool, Work work, Apply apply) {
    auto future = QtConcurrent::run(pool, std::move(work));
    QMetaObject::invokeMethod(
        this, [this, future, apply = std::move(apply)]() mutable { future.then(this, std::move(apply)); },
        Qt::QueuedConnection);
}

inline QString uuidText(const std::optional<QUuid>& id) {
    return id ? id->toString(QUuid::WithoutBraces) : QString();
}

} // namespace orvane
