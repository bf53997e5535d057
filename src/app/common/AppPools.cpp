#include "AppPools.h"

#include <QThreadPool>

namespace orvane::AppPools {

namespace {
constexpr int fileThreads = 2;
constexpr int exportThreads = 2;

// Never destroyed: work still reading a slow drive at exit must not hold up quitting (the view
// model waits a bounded time for what matters, an export's clean-up).
QThreadPool* makePool(int threads) {
    auto* pool = new QThreadPool;
    pool->setMaxThreadCount(threads);
    return pool;
}
} // namespace

QThreadPool* files() {
    static QThreadPool* const pool = makePool(fileThreads);
    return pool;
}

QThreadPool* exports() {
    static QThreadPool* const pool = makePool(exportThreads);
    return pool;
}

} // namespace orvane::AppPools
