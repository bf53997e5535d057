#pragma once
// Map tiles for tests: a loopback server answering every path with one plain PNG tile that may
// be cached for a day. Its users link Qt6::Gui and Qt6::Network.

#include "LoopbackHttpServer.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPainter>

namespace orvane::test {

inline QByteArray tilePng(QColor colour) {
    QImage tile(256, 256, QImage::Format_RGB32);
    tile.fill(colour);
    QPainter painter(&tile);
    painter.setPen(colour.darker(112));
    painter.drawRect(0, 0, 255, 255);
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    tile.save(&buffer, "PNG");
    return png;
}

// The server's address template for a tile loader.
inline QString serveTiles(LoopbackHttpServer& server, QColor colour) {
    server.serveOthers([png = tilePng(colour)](const QString&) {
        return LoopbackHttpServer::Response{200, png,
                                            "Content-Type: image/png\r\nCache-Control: max-age=86400\r\n"};
    });
    return server.url(QString()).toString() + QStringLiteral("/{z}/{x}/{y}.png");
}

} // namespace orvane::test
