#pragma once
// A minimal HTTP/1.1 server on 127.0.0.1 answering GET requests from a table of paths (others get
// 404), one request per connection, which it closes after the body. Its users link Qt6::Network.

#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
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

private:
    void answer(QTcpSocket* socket, const QByteArray& request) {
        const QString path = QString::fromUtf8(request.left(request.indexOf("\r\n")).split(' ').value(1));
        requests_[path] += 1;
        const Response response = routes_.value(path, Response{404, "not found"});
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
};

} // namespace orvane::test
