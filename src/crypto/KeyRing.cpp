#include "KeyRing.h"

#include <mutex>
#include <openssl/crypto.h>

namespace orvane::crypto {

KeyRing& KeyRing::instance() {
    static KeyRing ring;
    return ring;
}

KeyRing::~KeyRing() {
    clear();
}

void KeyRing::insert(const FileId& id, const FileKey& key) {
    std::unique_lock lock(mutex_);
    keys_[id] = key;
}

std::optional<FileKey> KeyRing::find(const FileId& id) const {
    std::shared_lock lock(mutex_);
    const auto it = keys_.find(id);
    return it == keys_.end() ? std::nullopt : std::optional<FileKey>(it->second);
}

bool KeyRing::contains(const FileId& id) const {
    std::shared_lock lock(mutex_);
    return keys_.count(id) > 0;
}

int KeyRing::size() const {
    std::shared_lock lock(mutex_);
    return int(keys_.size());
}

void KeyRing::clear() {
    std::unique_lock lock(mutex_);
    for (auto& [id, key] : keys_)
        OPENSSL_cleanse(key.data(), key.size());
    keys_.clear();
}

} // namespace orvane::crypto
