// Preloaded into a program the tests start (LD_PRELOAD), it makes reads of one file fail with
// EIO once a number of its bytes have been read, as a drive pulled out mid-read does.
// ORVANE_FAIL_READS_OF names the file, ORVANE_FAIL_READS_AFTER the bytes that still read, and
// ORVANE_STALL_READS_MS how long the first refused read hangs first (a pulled drive answers only
// after its time-out).

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<long long> bytesRead{0};

bool isFailingFile(int fd) {
    static const char* path = std::getenv("ORVANE_FAIL_READS_OF");
    struct stat wanted {
    }, actual{};
    return path && ::stat(path, &wanted) == 0 && ::fstat(fd, &actual) == 0 &&
           wanted.st_ino == actual.st_ino && wanted.st_dev == actual.st_dev;
}

// How many of `size` bytes may be read now; -1 once the file has "gone".
long long allowance(int fd, size_t size) {
    if (!isFailingFile(fd))
        return (long long)size;
    static const char* after = std::getenv("ORVANE_FAIL_READS_AFTER");
    static const long long limit = after ? std::atoll(after) : 0;
    const long long left = limit - bytesRead.load();
    if (left <= 0)
        return -1;
    return left < (long long)size ? left : (long long)size;
}

template <typename Real, typename... Args>
ssize_t readWith(const char* name, int fd, void* buf, size_t size, Args... args) {
    static const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, name));
    const long long allowed = allowance(fd, size);
    if (allowed < 0) {
        static const char* stall = std::getenv("ORVANE_STALL_READS_MS");
        static std::atomic<bool> stalled{false};
        if (stall && !stalled.exchange(true))
            ::usleep(useconds_t(std::atoll(stall)) * 1000);
        errno = EIO;
        return -1;
    }
    const ssize_t n = real(fd, buf, size_t(allowed), args...);
    if (n > 0 && isFailingFile(fd))
        bytesRead += n;
    return n;
}

} // namespace

extern "C" {
ssize_t read(int fd, void* buf, size_t size) {
    return readWith<ssize_t (*)(int, void*, size_t)>("read", fd, buf, size);
}
ssize_t pread(int fd, void* buf, size_t size, off_t offset) {
    return readWith<ssize_t (*)(int, void*, size_t, off_t)>("pread", fd, buf, size, offset);
}
}
