#pragma once
// "The latest request wins": each new request supersedes the earlier ones, and a result is used
// only while its request is still the latest. Interface thread only (the work itself runs on a
// pool; its result comes back to the interface thread).

#include <QFuture>
#include <QMetaObject>
#include <QObject>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <type_traits>
#include <utility>

namespace orvane {

class LatestRequest {
public:
    using Ticket = quint64;

    // A new request: every earlier ticket stops being the latest.
    Ticket start() { return ++latest_; }
    // No request pending is wanted any more (cancel, close).
    void supersede() { ++latest_; }
    // The ticket of the latest request, for work that belongs to it without superseding it.
    Ticket current() const { return latest_; }
    bool isLatest(Ticket ticket) const { return ticket == latest_; }

    // Starts a request whose `work` runs on `pool`; `apply` gets the result on `context`'s
    // thread, from the event loop, if the request is still the latest and `context` still
    // exists. This object must live as long as `context` (be its member).
    template <typename Work, typename Apply>
    Ticket run(QThreadPool* pool, QObject* context, Work work, Apply apply) {
        const Ticket ticket = start();
        runAs(ticket, pool, context, std::move(work), std::move(apply));
        return ticket;
    }
    // The same for a request started earlier (`ticket` from start()).
    template <typename Work, typename Apply>
    void runAs(Ticket ticket, QThreadPool* pool, QObject* context, Work work, Apply apply);

private:
    Ticket latest_ = 0;
};

template <typename Work, typename Apply>
void LatestRequest::runAs(Ticket ticket, QThreadPool* pool, QObject* context, Work work, Apply apply) {
    using Result = std::invoke_result_t<Work>;
    QFuture<Result> future = QtConcurrent::run(pool, std::move(work));
    // A continuation attached to work that has already finished would run at once, inside the
    // caller; attaching it from the event loop keeps every result asynchronous.
    QMetaObject::invokeMethod(
        context,
        [this, ticket, context, future, apply = std::move(apply)]() mutable {
            future.then(context, [this, ticket, apply = std::move(apply)](Result result) mutable {
                if (isLatest(ticket))
                    apply(std::move(result));
            });
        },
        Qt::QueuedConnection);
}

} // namespace orvane
