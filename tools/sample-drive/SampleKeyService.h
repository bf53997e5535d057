#pragma once
// A loopback stand-in for the car maker's key service (POST of a JSON batch over HTTP/1.1 on
// 127.0.0.1) that knows the key of every container the sample drive writes. It serves from a thread
// of its own, so it answers while its user blocks (a command line the test waits for, a blocking
// fetch); every member may be called from any thread.

#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>
#include <vector>

namespace orvane::sample {

class SampleKeyService {
public:
    // The one token it accepts ("Authorization: Bearer <token>"); any other gets 401.
    static QString acceptedToken();

    SampleKeyService(); // listens on an ephemeral port of 127.0.0.1
    ~SampleKeyService();
    SampleKeyService(const SampleKeyService&) = delete;
    SampleKeyService& operator=(const SampleKeyService&) = delete;

    // The batch address, for ORVANE_KEY_SERVICE_URL or KeyServiceOptions::url.
    QUrl url() const;

    // Answers this file id (8-4-4-4-12) with an error instead of its key.
    void refuseKeyOf(const QString& fileId, const QString& reason = QStringLiteral("not_owner"));
    // Answers this file id with a key that is not its own.
    void giveWrongKeyFor(const QString& fileId);
    // Answers every request with this HTTP status and no results (0: back to normal).
    void answerWithStatus(int status);
    // Accepts requests and never answers them (a service too slow to wait for).
    void setSilent(bool silent);

    // What it was asked: the number of items of each request, in order, and every item id.
    std::vector<int> batchSizes() const;
    QStringList askedIds() const;
    // Whether any request carried a token other than the accepted one.
    bool sawOtherToken() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace orvane::sample
