#pragma once

// Cooperative cancellation of long work (exports, copies, scans).
// The owner cancels from any thread; the work polls from its own.

#include <atomic>
#include <memory>
#include <stdexcept>

namespace orvane {

// The user stopped the operation; never shown as a failure.
class OperationCancelled : public std::runtime_error {
public:
    OperationCancelled() : std::runtime_error("cancelled") {}
};

// A shared flag: the owner cancels, long operations poll. Copies share the flag.
class CancellationToken {
public:
    CancellationToken() : flag_(std::make_shared<std::atomic<bool>>(false)) {}
    void cancel() const { flag_->store(true, std::memory_order_relaxed); }
    bool isCancelled() const {
        return flag_->load(std::memory_order_relaxed) || (parent_ && parent_->isCancelled());
    }
    // A token cancelled with this one, and on its own without cancelling this one (part of a
    // job stopped when the rest fails).
    CancellationToken child() const {
        CancellationToken c;
        c.parent_ = std::make_shared<const CancellationToken>(*this);
        return c;
    }
    // Throws OperationCancelled when cancelled.
    void check() const {
        if (isCancelled())
            throw OperationCancelled();
    }

private:
    std::shared_ptr<std::atomic<bool>> flag_;
    std::shared_ptr<const CancellationToken> parent_;
};

} // namespace orvane
