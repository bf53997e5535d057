// Unlocking without the network: which token is tried when, when the sheet opens or stays, what it
// says, and what is kept where (the keyring only when asked, the session otherwise).

#include "UnlockViewModel.h"

#include "TestSupport.h"
#include "TokenStore.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace orvane;
using keys::KeyServiceError;
using test::waitUntil;

namespace {

struct MemoryStore : TokenStore {
    bool keyringWorks = true;
    std::optional<QString> kept;
    void read(QObject*, std::function<void(std::optional<QString>)> done) override { done(kept); }
    void write(const QString& token, QObject*, std::function<void(bool)> done) override {
        if (keyringWorks)
            kept = token;
        done(keyringWorks);
    }
    void erase() override { kept.reset(); }
};

const QString good = QStringLiteral("owner-token");
const QStringList files = {"/d/a-front.mp4", "/d/a-back.mp4", "/d/a-left.mp4", "/d/a-right.mp4",
                           "/d/a-p.mp4"};

// The service: the good token unlocks all but `refused` files; others are refused, or `down`.
keys::KeyFetchResult answer(const QStringList& asked, const QString& token, int refused, bool down) {
    keys::KeyFetchResult r;
    if (down) {
        r.serviceError = KeyServiceError::unreachable(QStringLiteral("Connection refused"));
        return r;
    }
    if (token != good) {
        r.serviceError = KeyServiceError::tokenRefused();
        return r;
    }
    for (int i = 0; i < asked.size(); ++i)
        if (i < refused)
            r.failures.push_back(
                {asked[i], KeyServiceError::keyRefused(asked[i], QStringLiteral("not_owner"))});
        else
            r.unlocked << asked[i];
    return r;
}

TEST(UnlockViewModel, TriesTheRightTokenOpensTheSheetWhenItMustAndKeepsTheTokenWhereAsked) {
    enum class Act { quietly, typed, typedRemembered };
    const struct {
        const char* name;
        std::optional<QString> inKeyring;
        bool keyringWorks;
        Act act;
        QString typed;
        int refused;
        bool down;
        // expected
        QStringList tokensSent;
        bool presented;
        QString errorHas;
        bool storageNotice;
        std::optional<QString> keyringAfter;
        int unlocked;
    } cases[] = {
        {"nothing known: nothing asked", {}, true, Act::quietly, {}, 0, false, {}, false, {}, false, {}, 0},
        {"the keyring's token", good, true, Act::quietly, {}, 0, false, {good}, false, {}, false, good, 5},
        {"a refused kept token asks again and is forgotten",
         "old",
         true,
         Act::quietly,
         {},
         0,
         false,
         {"old"},
         true,
         "令牌",
         false,
         {},
         0},
        {"quietly, a service down waits for the button",
         good,
         true,
         Act::quietly,
         {},
         0,
         true,
         {good},
         false,
         {},
         false,
         good,
         0},
        {"typed and down: said",
         {},
         true,
         Act::typed,
         good,
         0,
         true,
         {good},
         true,
         "Connection refused",
         false,
         {},
         0},
        {"typed, not remembered",
         {},
         true,
         Act::typed,
         " " + good + "\n",
         0,
         false,
         {good},
         false,
         {},
         false,
         {},
         5},
        {"remembered in the keyring",
         {},
         true,
         Act::typedRemembered,
         good,
         0,
         false,
         {good},
         false,
         {},
         false,
         good,
         5},
        {"no keyring: the session's, and said",
         {},
         false,
         Act::typedRemembered,
         good,
         0,
         false,
         {good},
         true,
         {},
         true,
         {},
         5},
        {"keys refused for some: named, the others play",
         {},
         true,
         Act::typed,
         good,
         4,
         false,
         {good},
         true,
         "a-left.mp4",
         false,
         {},
         1},
        {"an empty token is not sent", {}, true, Act::typed, "  ", 0, false, {}, true, "令牌", false, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto store = std::make_shared<MemoryStore>();
        store->kept = c.inKeyring;
        store->keyringWorks = c.keyringWorks;
        QStringList sent;
        UnlockServices services{
            [&](const QStringList& asked, const QString& token, const CancellationToken&) {
                sent << token;
                return answer(asked, token, c.refused, c.down);
            },
            store};
        UnlockViewModel unlock(services);
        QSignalSpy unlocked(&unlock, &UnlockViewModel::unlocked);
        if (c.act == Act::quietly)
            unlock.unlockQuietly(files);
        else {
            unlock.present(files);
            unlock.unlock(c.typed, c.act == Act::typedRemembered);
        }
        ASSERT_TRUE(waitUntil([&] { return !unlock.isWorking(); }));
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        EXPECT_EQ(sent, c.tokensSent);
        EXPECT_EQ(unlock.isPresented(), c.presented);
        if (c.errorHas.isEmpty())
            EXPECT_TRUE(unlock.errorMessage().isEmpty()) << unlock.errorMessage().toStdString();
        else
            EXPECT_TRUE(unlock.errorMessage().contains(c.errorHas)) << unlock.errorMessage().toStdString();
        EXPECT_EQ(!unlock.storageNotice().isEmpty(), c.storageNotice);
        EXPECT_EQ(store->kept, c.keyringAfter);
        EXPECT_EQ(unlocked.isEmpty() ? 0 : unlocked.front().front().toStringList().size(), c.unlocked);
    }
}

// A token that worked is tried again for the next event without asking; a refused one is not.
TEST(UnlockViewModel, TheSessionsTokenServesTheNextEventUntilRefused) {
    QStringList sent;
    bool refuse = false;
    UnlockServices services{[&](const QStringList& asked, const QString& token, const CancellationToken&) {
                                sent << token;
                                return answer(asked, refuse ? QString() : token, 0, false);
                            },
                            std::make_shared<MemoryStore>()};
    UnlockViewModel unlock(services);
    const auto settle = [&] { return waitUntil([&] { return !unlock.isWorking(); }); };
    unlock.present(files);
    unlock.unlock(good, false);
    ASSERT_TRUE(settle());
    unlock.unlockQuietly({"/d/b-front.mp4"});
    ASSERT_TRUE(settle());
    refuse = true;
    unlock.unlockQuietly({"/d/c-front.mp4"});
    ASSERT_TRUE(settle());
    EXPECT_TRUE(unlock.isPresented());
    unlock.dismiss();
    unlock.unlockQuietly({"/d/d-front.mp4"});
    ASSERT_TRUE(settle());
    EXPECT_EQ(sent, QStringList({good, good, good})) << "the refused token is not sent again";
}

} // namespace
