#pragma once
// "The latest request wins": each new request supersedes the earlier ones, and a result is used
// only while its request is still the latest; and the one way background work starts and comes
// back. Interface thread only, but for the tokens handed to the work, which any thread may poll.

#include "CancellationToken.h"

#include <QFuture>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <type_traits>
#include <utility>

namespace orvane {

// Runs `work` on `pool` and hands its result to `apply` on `context`'s thread, from the event
// loop, if `context` still exists. Every result arrives asynchronously, even one of work that
// finished before this returned.
template <typename Work, typename Apply>
void runInBackground(QThreadPool* pool, QObject* context, Work work, Apply apply) {
    using Result = std::invoke_result_t<Work>;
    QFuture<Result> future = QtConcurrent::run(pool, std::move(work));
    // A continuation attached to work that has already finished would run at once, inside the
    // caller; attaching it from the event loop keeps it asynchronous.
    QMetaObject::invokeMethod(
        context,
        [context, future, apply = std::move(apply)]() mutable {
            future.then(context, [apply = std::move(apply)](QFuture<Result> done) mutable {
                if constexpr (std::is_void_v<Result>) {
                    done.waitForFinished();
                    apply();
                } else {
                    apply(done.takeResult());
                }
            });
        },
        Qt::QueuedConnection);
}

class LatestRequest {
public:
    using Ticket = quint64;

    LatestRequest() = default;
    LatestRequest(const LatestRequest&) = delete;
    LatestRequest& operator=(const LatestRequest&) = delete;
    ~LatestRequest() { token_.cancel(); }

    // A new request: every earlier ticket stops being the latest and its token is cancelled.
    Ticket start() {
        renewToken();
        return ++latest_;
    }
    // No request pending is wanted any more (cancel, close).
    void supersede() {
        renewToken();
        ++latest_;
    }
    // The ticket of the latest request, for work that belongs to it without superseding it.
    Ticket current() const { return latest_; }
    bool isLatest(Ticket ticket) const { return ticket == latest_; }
    // Cancelled once the latest request is superseded: work queued or running for it may stop early.
    CancellationToken token() const { return token_; }

    // Starts a request whose `work` runs on `pool`; `apply` gets the result on `context`'s
    // thread if the request is still the latest and `context` still exists. `work` may take the
    // request's CancellationToken. This object must live as long as `context` (be its member).
    template <typename Work, typename Apply>
    Ticket run(QThreadPool* pool, QObject* context, Work work, Apply apply) {
        const Ticket ticket = start();
        runAs(ticket, pool, context, std::move(work), std::move(apply));
        return ticket;
    }
    // The same for a request started earlier (`ticket` from start()).
    template <typename Work, typename Apply>
    void runAs(Ticket ticket, QThreadPool* pool, QObject* context, Work work, Apply apply) {
        auto job = [token = token_, work = std::move(work)]() mutable {
            if constexpr (std::is_invocable_v<Work, const CancellationToken&>)
                return work(token);
            else
                return work();
        };
        using Result = std::invoke_result_t<decltype(job)>;
        auto guarded = [this, ticket, apply = std::move(apply)](auto&&... result) mutable {
            if (isLatest(ticket))
                apply(std::forward<decltype(result)>(result)...);
        };
        if constexpr (std::is_void_v<Result>)
            runInBackground(pool, context, std::move(job), [g = std::move(guarded)]() mutable { g(); });
        else
            runInBackground(pool, context, std::move(job),
                            [g = std::move(guarded)](Result r) mutable { g(std::move(r)); });
    }

private:
    void renewToken() {
        token_.cancel();
        token_ = CancellationToken();
    }

    Ticket latest_ = 0;
    CancellationToken token_;
};

} // namespace orvane
