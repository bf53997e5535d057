#include "PageCipher.h"

#include <cstdio>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <stdexcept>

namespace orvane::crypto {

namespace {

constexpr int md5Bytes = 16;
constexpr int pageNumberDigits = 32;

} // namespace

struct PageCipher::Contexts {
    EVP_CIPHER* aes = EVP_CIPHER_fetch(nullptr, "AES-128-CBC", nullptr);
    EVP_MD* md5 = EVP_MD_fetch(nullptr, "MD5", nullptr);
    EVP_CIPHER_CTX* cipher = EVP_CIPHER_CTX_new();
    EVP_MD_CTX* digest = EVP_MD_CTX_new();
    std::array<uint8_t, md5Bytes> keyDigest{};

    ~Contexts() {
        OPENSSL_cleanse(keyDigest.data(), keyDigest.size());
        EVP_MD_CTX_free(digest);
        EVP_CIPHER_CTX_free(cipher); // wipes the expanded key
        EVP_MD_free(md5);
        EVP_CIPHER_free(aes);
    }

    void md5Of(const uint8_t* data, size_t length, uint8_t* into) {
        unsigned int written = 0;
        if (EVP_DigestInit_ex2(digest, md5, nullptr) != 1 || EVP_DigestUpdate(digest, data, length) != 1 ||
            EVP_DigestFinal_ex(digest, into, &written) != 1 || written != md5Bytes)
            throw std::runtime_error("MD5 failed");
    }
};

PageCipher::PageCipher(const FileKey& key, Direction direction) : d(std::make_unique<Contexts>()) {
    if (!d->aes || !d->md5 || !d->cipher || !d->digest)
        throw std::runtime_error("OpenSSL offers no AES-128-CBC or MD5");
    const PageIv zero{};
    const int encrypt = direction == Direction::encrypt ? 1 : 0;
    if (EVP_CipherInit_ex2(d->cipher, d->aes, key.data(), zero.data(), encrypt, nullptr) != 1)
        throw std::runtime_error("AES-128-CBC set-up failed");
    d->md5Of(key.data(), key.size(), d->keyDigest.data());
}

PageCipher::~PageCipher() = default;

PageIv PageCipher::ivOf(uint64_t index) {
    std::array<uint8_t, md5Bytes + pageNumberDigits + 1> input{};
    std::copy(d->keyDigest.begin(), d->keyDigest.end(), input.begin());
    std::snprintf(reinterpret_cast<char*>(input.data() + md5Bytes), pageNumberDigits + 1, "%032llu",
                  static_cast<unsigned long long>(index));
    PageIv iv;
    d->md5Of(input.data(), md5Bytes + pageNumberDigits, iv.data());
    OPENSSL_cleanse(input.data(), input.size());
    return iv;
}

void PageCipher::apply(uint64_t index, uint8_t* data, size_t length) {
    if (length % cipherBlockBytes != 0 || length > size_t(ContainerFormat::pageBytes))
        throw std::logic_error("a page is ciphered in whole blocks");
    const PageIv iv = ivOf(index);
    int written = 0;
    // Each page is a CBC chain of its own: only the IV changes, the key schedule stays (-1: keep
    // the direction).
    if (EVP_CipherInit_ex2(d->cipher, nullptr, nullptr, iv.data(), -1, nullptr) != 1 ||
        EVP_CIPHER_CTX_set_padding(d->cipher, 0) != 1 ||
        EVP_CipherUpdate(d->cipher, data, &written, data, int(length)) != 1 || size_t(written) != length)
        throw std::runtime_error("AES-128-CBC failed");
}

} // namespace orvane::crypto
