#pragma once
// Where the owner's dashcam token is remembered between sessions: the desktop's keyring (Secret
// Service or KWallet, through QtKeychain), never a file of ours. Interface thread; answers arrive there.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace orvane {

class TokenStore {
public:
    virtual ~TokenStore() = default;
    // done(token), or done(nullopt) when none is kept or no keyring answers.
    virtual void read(QObject* context, std::function<void(std::optional<QString>)> done) = 0;
    // done(false): no keyring could keep it.
    virtual void write(const QString& token, QObject* context, std::function<void(bool)> done) = 0;
    virtual void erase() = 0;
};

// The desktop's keyring.
std::shared_ptr<TokenStore> keyringTokenStore();

} // namespace orvane
