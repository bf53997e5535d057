#pragma once
// The container's pages under one file's key: AES-128-CBC without padding, each page with its own
// IV. One object per thread that uses it (it keeps OpenSSL contexts); create it anywhere.

#include "ContainerFormat.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace orvane::crypto {

inline constexpr int cipherBlockBytes = 16;
using PageIv = std::array<uint8_t, cipherBlockBytes>;

class PageCipher {
public:
    // Encrypting is for writing containers (the sample drive), never for the user's footage.
    enum class Direction { decrypt, encrypt };

    // Throws std::runtime_error when OpenSSL cannot set up AES-128-CBC or MD5 (a broken install).
    explicit PageCipher(const FileKey& key, Direction direction = Direction::decrypt);
    ~PageCipher();
    PageCipher(const PageCipher&) = delete;
    PageCipher& operator=(const PageCipher&) = delete;

    // Decrypts (or encrypts) `length` bytes of page `index` in place; `length` is a multiple of
    // the block size and at most one page (a last page may be read short).
    void apply(uint64_t index, uint8_t* data, size_t length);

    // MD5(MD5(key) ‖ the decimal digits of `index` in ASCII, left-padded with '0' to 32 bytes).
    PageIv ivOf(uint64_t index);

private:
    struct Contexts;
    std::unique_ptr<Contexts> d;
};

} // namespace orvane::crypto
