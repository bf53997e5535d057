#pragma once

#include "ExportErrors.h"

#include <atomic>
#include <memory>

namespace orvane {

// A shared flag: the owner cancels, long operations poll. Copies share the flag.
class CancellationToken {
public:
    CancellationToken() : flag_(std::make_shared<std::atomic<bool>>(false)) {}
    void cancel() const { flag_->store(true, std::memory_order_relaxed); }
    bool isCancelled() const { return flag_->load(std::memory_order_relaxed); }
    // Throws OperationCancelled when cancelled.
    void check() const {
        if (isCancelled())
            throw OperationCancelled();
    }

private:
    std::shared_ptr<std::atomic<bool>> flag_;
};

} // namespace orvane
