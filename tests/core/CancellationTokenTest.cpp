#include "CancellationToken.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

TEST(CancellationTokenTest, CopiesShareOneFlagAndCheckThrowsOnceCancelled) {
    const CancellationToken owner;
    const CancellationToken worker = owner;
    EXPECT_NO_THROW(worker.check());
    owner.cancel();
    EXPECT_TRUE(worker.isCancelled());
    EXPECT_THROW(worker.check(), OperationCancelled);
    EXPECT_FALSE(CancellationToken().isCancelled()) << "a new token has its own flag";
}

} // namespace
