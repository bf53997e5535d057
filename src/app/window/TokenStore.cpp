#include "TokenStore.h"

#include <QPointer>
#include <qt6keychain/keychain.h>

namespace orvane {

namespace {

const QString keyringService = QStringLiteral("Orvane");
const QString keyringKey = QStringLiteral("dashcam-token");

template <typename Job> Job* makeJob() {
    auto* job = new Job(keyringService);
    job->setAutoDelete(true);
    job->setInsecureFallback(false); // a token in a plain file is what the keyring is for avoiding
    job->setKey(keyringKey);
    return job;
}

class KeyringTokenStore : public TokenStore {
public:
    void read(QObject* context, std::function<void(std::optional<QString>)> done) override {
        auto* job = makeJob<QKeychain::ReadPasswordJob>();
        QObject::connect(job, &QKeychain::Job::finished, context, [job, done = std::move(done)] {
            const bool found = job->error() == QKeychain::NoError && !job->textData().isEmpty();
            done(found ? std::optional(job->textData()) : std::nullopt);
        });
        job->start();
    }
    void write(const QString& token, QObject* context, std::function<void(bool)> done) override {
        auto* job = makeJob<QKeychain::WritePasswordJob>();
        job->setTextData(token);
        QObject::connect(job, &QKeychain::Job::finished, context,
                         [job, done = std::move(done)] { done(job->error() == QKeychain::NoError); });
        job->start();
    }
    void erase() override { makeJob<QKeychain::DeletePasswordJob>()->start(); }
};

} // namespace

std::shared_ptr<TokenStore> keyringTokenStore() {
    return std::make_shared<KeyringTokenStore>();
}

} // namespace orvane
