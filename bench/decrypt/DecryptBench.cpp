// Decryption speed on one core: pages decrypted in memory, and the MP4 read out of a container file
// through the decrypting reader (warm cache), against `openssl enc -d -aes-128-cbc -nopad` and `cat`
// on the same file in the same run. Prints one figure per line.
//
// usage: orvane-bench-decrypt [--megabytes N] [--runs N]
// The data and its key are random, made for the run; the key given to openssl on its command line
// is that throwaway key, never one of the user's.

#include "BenchSupport.h"
#include "ContainerReader.h"
#include "SampleContainer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

using namespace orvane;

namespace {

constexpr double bytesPerGigabyte = 1e9;

struct Options {
    qsizetype megabytes = 256;
    int runs = 5;
};

Options parse(const QStringList& args) {
    Options o;
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--megabytes"))
            o.megabytes = std::max<qsizetype>(16, args[i + 1].toLongLong());
        else if (args[i] == QLatin1String("--runs"))
            o.runs = std::max(1, args[i + 1].toInt());
    }
    return o;
}

QByteArray randomBytes(qsizetype size, std::mt19937_64& random) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i + 8 <= size; i += 8) {
        const uint64_t v = random();
        std::memcpy(bytes.data() + i, &v, 8);
    }
    return bytes;
}

// The best of `runs` timings of `work`, in seconds.
template <typename Work> double best(int runs, Work&& work) {
    double fastest = 1e9;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        fastest = std::min(fastest, double(timer.nsecsElapsed()) / 1e9);
    }
    return fastest;
}

double runProgram(const QString& program, const QStringList& arguments, int runs) {
    return best(runs, [&] {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(program, arguments);
        if (!process.waitForFinished(-1) || process.exitCode() != 0)
            qFatal("%s failed", qPrintable(program));
    });
}

double readThrough(crypto::ContainerReader& reader) {
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    uint64_t done = 0;
    while (done < reader.size()) {
        const int64_t n = reader.readAt(done, reinterpret_cast<uint8_t*>(chunk.data()), size_t(chunk.size()));
        if (n <= 0)
            qFatal("read failed");
        done += uint64_t(n);
    }
    return double(done);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const Options o = parse(app.arguments());
    std::mt19937_64 random(std::random_device{}());
    // An MP4's first box, so that the reader accepts the key; the rest is noise.
    QByteArray plain = randomBytes(o.megabytes * 1'000'000, random);
    plain.replace(0, 16,
                  QByteArray("\0\0\0\x10"
                             "ftypmp42\0\0\0\0",
                             16));
    auto fields = sample::SampleKeys::fieldsFor(uint64_t(plain.size()), randomBytes(16, random), 0);
    const QByteArray key = randomBytes(16, random);
    std::copy(key.begin(), key.end(), fields.key.begin());
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/orvane-bench-decrypt-XXXXXX"));
    const QString path = folder.filePath(QStringLiteral("container.mp4"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(sample::makeContainer(plain, fields)) < 0)
        qFatal("cannot write %s", qPrintable(path));
    file.close();
    const double total = double(plain.size());

    QByteArray pages = plain;
    const double inMemory = best(o.runs, [&] {
        crypto::PageCipher cipher(fields.key);
        for (qsizetype at = 0; at + 4096 <= pages.size(); at += 4096)
            cipher.apply(uint64_t(at / 4096), reinterpret_cast<uint8_t*>(pages.data() + at), 4096);
    });
    crypto::ContainerReader reader(RegularFile::openForReading(path), path, fields.key);
    const double throughReader = best(o.runs, [&] { readThrough(reader); });
    const double openssl = runProgram(QStringLiteral("openssl"),
                                      {"enc", "-d", "-aes-128-cbc", "-nopad", "-K", key.toHex(), "-iv",
                                       QString(32, QLatin1Char('0')), "-in", path, "-out", "/dev/null"},
                                      o.runs);
    const double cat = runProgram(QStringLiteral("cat"), {path}, o.runs);
    std::printf("data: %.0f MB, best of %d runs, one thread\n", total / 1e6, o.runs);
    std::printf("decrypt pages in memory: %.2f GB/s\n", total / inMemory / bytesPerGigabyte);
    std::printf("read through the decrypting reader: %.2f GB/s\n", total / throughReader / bytesPerGigabyte);
    std::printf("openssl enc -d -aes-128-cbc -nopad: %.2f GB/s\n", total / openssl / bytesPerGigabyte);
    std::printf("cat: %.2f GB/s\n", total / cat / bytesPerGigabyte);
    std::printf("reader against openssl: %.2f\n", openssl / throughReader);
    std::printf("reader against cat: %.2f\n", cat / throughReader);
    std::printf("peak RSS: %ld MB\n", bench::peakRssMegabytes());
    return 0;
}
