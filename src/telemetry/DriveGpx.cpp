#include "DriveGpx.h"

#include <QDateTime>
#include <QXmlStreamWriter>
#include <cmath>

namespace orvane::DriveGpx {

namespace {

const QString gpxNamespace = QStringLiteral("http://www.topografix.com/GPX/1/1");
constexpr int coordinateDecimals = 7; // about 1 cm
constexpr int valueDecimals = 2;
constexpr double fullTurn = 360;

QString utcText(Instant instant) {
    return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(instant * 1000)), Qt::UTC)
        .toString(Qt::ISODateWithMs);
}

// The schema's ranges: latitude -90…90, longitude -180…<180.
bool inRange(const DrivePoint& p) {
    return std::abs(*p.latitude) <= 90 && *p.longitude >= -180 && *p.longitude < 180;
}

void writePoint(QXmlStreamWriter& xml, const DrivePoint& p, Instant at) {
    xml.writeStartElement(QStringLiteral("trkpt"));
    xml.writeAttribute(QStringLiteral("lat"), QString::number(*p.latitude, 'f', coordinateDecimals));
    xml.writeAttribute(QStringLiteral("lon"), QString::number(*p.longitude, 'f', coordinateDecimals));
    xml.writeTextElement(QStringLiteral("time"), utcText(at));
    xml.writeStartElement(QStringLiteral("extensions"));
    xml.writeStartElement(trackPointExtensionNamespace, QStringLiteral("TrackPointExtension"));
    xml.writeTextElement(trackPointExtensionNamespace, QStringLiteral("speed"),
                         QString::number(std::max(p.speed, 0.0), 'f', valueDecimals));
    if (p.heading && std::isfinite(*p.heading)) {
        double course = std::fmod(*p.heading, fullTurn);
        if (course < 0)
            course += fullTurn;
        if (course >= fullTurn - 0.005) // would print as 360.00, outside the schema's range
            course = 0;
        xml.writeTextElement(trackPointExtensionNamespace, QStringLiteral("course"),
                             QString::number(course, 'f', valueDecimals));
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
}

} // namespace

QByteArray document(const DriveProfile& profile, const QString& name, const QString& creator) {
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(gpxNamespace);
    xml.writeNamespace(trackPointExtensionNamespace, QStringLiteral("gpxtpx"));
    xml.writeStartElement(gpxNamespace, QStringLiteral("gpx"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    xml.writeAttribute(QStringLiteral("creator"), creator);
    xml.writeStartElement(QStringLiteral("trk"));
    xml.writeTextElement(QStringLiteral("name"), name);
    std::optional<Instant> previous;
    const DrivePoint* last = nullptr;
    for (size_t i = 0; i < profile.points.size(); ++i) {
        const DrivePoint& p = profile.points[i];
        const auto at = profile.recordedAt(i);
        if (!p.hasPosition() || !at || !inRange(p))
            continue;
        if (last && last->latitude == p.latitude && last->longitude == p.longitude)
            continue; // one point per distinct position
        if (!previous || *at - *previous > segmentGapSeconds) {
            if (previous)
                xml.writeEndElement();
            xml.writeStartElement(QStringLiteral("trkseg"));
        }
        writePoint(xml, p, *at);
        previous = at;
        last = &p;
    }
    if (previous)
        xml.writeEndElement();
    xml.writeEndElement(); // trk
    xml.writeEndDocument();
    return out;
}

} // namespace orvane::DriveGpx
