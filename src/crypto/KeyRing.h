#pragma once
// The keys of the car's encrypted files that this session has obtained, by file id, kept in memory
// only (never written, never logged) and wiped when forgotten. Thread-safe: any thread.

#include "ContainerFormat.h"

#include <map>
#include <optional>
#include <shared_mutex>

namespace orvane::crypto {

class KeyRing {
public:
    // The process's ring: every reader of encrypted footage looks keys up here.
    static KeyRing& instance();

    void insert(const FileId& id, const FileKey& key);
    std::optional<FileKey> find(const FileId& id) const;
    bool contains(const FileId& id) const;
    int size() const;
    // Forgets every key (the memory is wiped).
    void clear();

    KeyRing() = default;
    ~KeyRing();
    KeyRing(const KeyRing&) = delete;
    KeyRing& operator=(const KeyRing&) = delete;

private:
    mutable std::shared_mutex mutex_;
    std::map<FileId, FileKey> keys_;
};

} // namespace orvane::crypto
