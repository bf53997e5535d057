#pragma once
// A minimal HTTP/1.1 server on 127.0.0.1 answering GET requests from a table of paths (others get
// the fallback's answer, or 404), one request per connection, which it closes after the body. It
// counts the connections open at once and keeps each request's User-Agent. Its users link Qt6::Network.

#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <memory>

namespace orvane::test {

class LoopbackHttpServer : public QObject {
public:
    struct Response {
        int status = 200; // 0: never answered, so the client waits
        QByteArray body;
        QByteArray headers = {}; // "Name: value\r\n" lines
        bool sendLength = true;  // a Content-Length of the body's size, unless `headers` give one
    };

    LoopbackHttpServer() {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                maxOpenConnections_ = std::max(maxOpenConnections_, ++openConnections_);
                connect(socket, &QTcpSocket::disconnected, this, [this] { --openConnections_; });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                auto request = std::make_shared<QByteArray>();
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
                    *request += socket->readAll();
                    if (request->contains("\r\n\r\n"))
                        answer(socket, *request);
                });
            }
        });
    }
    QUrl url(const QString& path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
    }
    void serve(const QString& path, const Response& response) { routes_.insert(path, response); }
    void serve(const QString& path, const QByteArray& body) { serve(path, Response{200, body}); }
    int requests(const QString& path) const { return requests_.value(path); }
    // What a path outside the table gets.
    void serveOthers(std::function<Response(const QString& path)> answer) { others_ = std::move(answer); }
    int totalRequests() const { return int(userAgents_.size()); }
    const QList<QByteArray>& userAgents() const { return userAgents_; }
    int maxOpenConnections() const { return maxOpenConnections_; }
    void close() { server_.close(); }

private:
    void answer(QTcpSocket* socket, const QByteArray& request) {
        const QString path = QString::fromUtf8(request.left(request.indexOf("\r\n")).split(' ').value(1));
        requests_[path] += 1;
        const qsizetype agent = request.indexOf("\r\nUser-Agent: ");
        userAgents_ << (agent < 0 ? QByteArray()
                                  : request.mid(agent + 14, request.indexOf("\r\n", agent + 2) - agent - 14));
        const Response response = routes_.contains(path) ? routes_.value(path)
                                  : others_              ? others_(path)
                                                         : Response{404, "not found"};
        if (response.status == 0)
            return;
        QByteArray head =
            "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\n" + response.headers;
        if (response.sendLength && !response.headers.contains("Content-Length"))
            head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        socket->write(head + "Connection: close\r\n\r\n" + response.body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    QHash<QString, Response> routes_;
    QHash<QString, int> requests_;
    std::function<Response(const QString&)> others_;
    QList<QByteArray> userAgents_;
    int openConnections_ = 0;
    int maxOpenConnections_ = 0;
};

} // namespace orvane::test
