#include "IncidentReport.h"

#include "ExportManifest.h"
#include "FileDelivery.h"
#include "FileDigest.h"
#include "FrameGrabber.h"
#include "MediaProbe.h"
#include "MetadataParser.h"
#include "TeslaTelemetryReader.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>

namespace orvane {

namespace {

// The chart spans this many seconds either side of the moment.
constexpr double chartSeconds = 15;
// Deceleration at or beyond this (about 0.4 g) is marked as hard braking.
constexpr double hardBrakingMetersPerSecondSquared = 4.0;
// Speed differences over this many frames either side give the acceleration (about 0.25 s).
constexpr int accelerationSpanFrames = 9;
// Page geometry in the writer's units (96 per inch on A4).
constexpr int pageResolution = 96;
constexpr int pageWidth = 794, pageHeight = 1123, margin = 48;
constexpr int contentWidth = pageWidth - 2 * margin;
constexpr int stillColumns = 3;
constexpr int lineHeight = 18;
constexpr int labelWidth = 180;
constexpr double ligatureBreakingSpacing = 0.01;
// Latin letters and digits from DejaVu: Qt's PDF writer maps Noto CJK's digit glyphs to no text,
// so numbers drawn in it could not be selected or searched. Chinese comes from Noto Sans CJK.
const QStringList fontFamilies{QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC")};
const QStringList monoFamilies{QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Noto Sans Mono CJK SC")};

struct TimedSample {
    Instant at = 0;
    TeslaTelemetrySample sample;
    double acceleration = 0; // m/s², forward positive
};

struct EventData {
    TeslaClipEvent event;
    Instant moment = 0;
    std::vector<std::pair<CameraAngle, QImage>> stills;
    std::vector<TimedSample> samples; // the front camera's, within the chart's span
    std::optional<TimedSample> record;
    std::vector<ManifestSource> sources;
};

TeslaClipEvent eventIn(const QString& folder) {
    const EventsByCategory found = MetadataParser::scanLibrary({folder});
    for (const auto& [category, events] : found)
        if (!events.empty())
            return events.front();
    throw FileSystemError(QCoreApplication::translate("IncidentReport", "不是行车记录事件文件夹：") + folder);
}

// Each sample of `file` with its true time, and the acceleration worked out from the speeds.
std::vector<TimedSample> samplesOf(const TeslaVideoFile& file) {
    std::vector<TimedSample> out;
    std::vector<TeslaTelemetrySample> samples;
    try {
        samples = TeslaTelemetryReader::read(file.url);
    } catch (const std::exception&) {
        return out; // a file without a record leaves the chart empty there
    }
    const std::vector<double> times = media::MediaProbe::frameTimes(file.url);
    for (size_t i = 0; i < samples.size(); ++i)
        out.push_back({file.startTime + (i < times.size() ? times[i] : double(i) / media::cameraFrameRate),
                       samples[i]});
    for (size_t i = 0; i < out.size(); ++i) {
        const size_t a = i >= size_t(accelerationSpanFrames) ? i - accelerationSpanFrames : 0;
        const size_t b = std::min(out.size() - 1, i + accelerationSpanFrames);
        if (out[b].at > out[a].at)
            out[i].acceleration = (out[b].sample.speedMetersPerSecond - out[a].sample.speedMetersPerSecond) /
                                  (out[b].at - out[a].at);
    }
    return out;
}

std::vector<TeslaVideoFile> filesAround(const std::vector<TeslaVideoFile>& videos, Instant from, Instant to) {
    std::vector<TeslaVideoFile> near;
    for (const TeslaVideoFile& v : videos) {
        const auto length = media::MediaProbe::duration(v.url);
        if (v.startTime <= to && v.startTime + length.value_or(0) >= from)
            near.push_back(v);
    }
    return near;
}

void loadStills(EventData& data, const std::vector<TeslaVideoFile>& minute) {
    constexpr int stillWidth = 640;
    for (const TeslaVideoFile& v : minute) {
        if (!v.cameraAngle)
            continue;
        try {
            media::FrameRequest request;
            // No tolerance: each camera's frame on screen at the moment, as the grid shows it. The
            // slack keeps a moment taken from a frame's own time inside that frame.
            constexpr double roundingSlack = 1e-6;
            request.time = std::max(data.moment - v.startTime, 0.0) + roundingSlack;
            request.maxSize = QSize(stillWidth, stillWidth);
            data.stills.emplace_back(*v.cameraAngle, media::FrameGrabber::grab(v.url, request).image);
        } catch (const std::exception&) {
            data.stills.emplace_back(*v.cameraAngle, QImage()); // shown as missing
        }
    }
}

// The record of the frame on screen at `moment`: the last one shown at or before it (the first one
// when the moment comes before every frame).
std::optional<TimedSample> recordShownAt(const std::vector<TimedSample>& samples, Instant moment) {
    std::optional<TimedSample> shown, earliest;
    for (const TimedSample& s : samples) {
        if (s.at <= moment && (!shown || s.at > shown->at))
            shown = s;
        if (!earliest || s.at < earliest->at)
            earliest = s;
    }
    return shown ? shown : earliest;
}

EventData gather(const QString& folder, const IncidentReportRequest& request) {
    EventData data;
    data.event = eventIn(folder);
    const std::vector<TeslaVideoFile> videos = MetadataParser::loadVideos(data.event, CameraAngle::all);
    if (videos.empty())
        throw FileSystemError(QCoreApplication::translate("IncidentReport", "事件中没有视频：") + folder);
    const auto saved = data.event.metadata ? data.event.metadata->eventTime() : std::nullopt;
    Instant first = videos.front().startTime, last = first;
    for (const TeslaVideoFile& v : videos) {
        first = std::min(first, v.startTime);
        last = std::max(last, v.startTime + media::MediaProbe::duration(v.url).value_or(0));
    }
    // The car may save an event after its last recorded frame: the report shows the nearest one.
    const Instant asked = request.at       ? *request.at
                          : request.moment ? first + *request.moment
                                           : saved.value_or(first);
    data.moment = std::clamp(asked, first, last);
    const std::vector<TeslaVideoFile> used =
        filesAround(videos, data.moment - chartSeconds, data.moment + chartSeconds);
    for (const TeslaVideoFile& v : used) {
        request.cancel.check();
        if (v.cameraAngle == CameraAngle::front)
            for (const TimedSample& s : samplesOf(v))
                if (std::abs(s.at - data.moment) <= chartSeconds)
                    data.samples.push_back(s);
    }
    // The report is of one frame: its stills, record and printed time all agree.
    data.record = recordShownAt(data.samples, data.moment);
    if (data.record)
        data.moment = data.record->at;
    Instant minuteStart = distantPast;
    for (const TeslaVideoFile& v : used)
        if (v.startTime <= data.moment)
            minuteStart = std::max(minuteStart, v.startTime);
    std::vector<TeslaVideoFile> minute;
    std::copy_if(used.begin(), used.end(), std::back_inserter(minute),
                 [&](const TeslaVideoFile& v) { return v.startTime == minuteStart; });
    loadStills(data, minute);
    QStringList paths;
    for (const TeslaVideoFile& v : used)
        paths << v.url;
    SourceHashing hashing(paths, request.cancel);
    data.sources = hashing.finish();
    return data;
}

// "2024-05-01 10:21:12 (UTC+08:00)" and "2024-05-01 02:21:12 UTC".
QString localTime(Instant at) {
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(std::llround(at * 1000));
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) + QStringLiteral(" (") +
           t.timeZoneAbbreviation() + QLatin1Char(')');
}

QString utcTime(Instant at) {
    return QDateTime::fromMSecsSinceEpoch(std::llround(at * 1000), Qt::UTC)
               .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) +
           QStringLiteral(" UTC");
}

class Page {
public:
    explicit Page(QPainter& painter) : p_(painter) {}
    void heading(const QString& text) {
        font(14, true);
        line(text);
        y_ += 4;
    }
    void field(const QString& name, const QString& value) {
        font(9, true);
        p_.drawText(QRect(margin, y_, labelWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, name);
        font(9, false);
        p_.drawText(QRect(margin + labelWidth, y_, contentWidth - labelWidth, lineHeight),
                    Qt::AlignLeft | Qt::AlignVCenter, value);
        y_ += lineHeight;
    }
    void line(const QString& text, int height = lineHeight + 6) {
        p_.drawText(QRect(margin, y_, contentWidth, height), Qt::AlignLeft | Qt::AlignVCenter, text);
        y_ += height;
    }
    void font(int points, bool bold, const QStringList& families = fontFamilies) {
        QFont f;
        f.setFamilies(families);
        f.setPointSize(points);
        f.setBold(bold);
        // Any spacing turns Qt's ligatures off, so "Off" is found as typed, not as "O" + "ﬀ".
        f.setLetterSpacing(QFont::AbsoluteSpacing, ligatureBreakingSpacing);
        p_.setFont(f);
    }
    int& y() { return y_; }
    QPainter& painter() { return p_; }

private:
    QPainter& p_;
    int y_ = margin;
};

void drawSummary(Page& page, const EventData& data, const IncidentReportRequest& request) {
    const std::optional<EventMetadata>& m = data.event.metadata;
    page.heading(QCoreApplication::translate("IncidentReport", "事故报告") + QStringLiteral(" · ") +
                 data.event.folderName);
    if (const auto saved = m ? m->eventTime() : std::nullopt) {
        page.field(QCoreApplication::translate("IncidentReport", "事件时间（本地）"), localTime(*saved));
        page.field(QCoreApplication::translate("IncidentReport", "事件时间（UTC）"), utcTime(*saved));
    }
    if (!request.hidePlace)
        page.field(QCoreApplication::translate("IncidentReport", "地点"),
                   m && m->locationLine() ? *m->locationLine()
                                          : QCoreApplication::translate("IncidentReport", "未记录"));
    page.field(QCoreApplication::translate("IncidentReport", "原因"),
               m && m->reason ? *m->reason : QCoreApplication::translate("IncidentReport", "未记录"));
    page.field(QCoreApplication::translate("IncidentReport", "所选时刻（本地）"), localTime(data.moment));
    page.field(QCoreApplication::translate("IncidentReport", "所选时刻（UTC）"), utcTime(data.moment));
}

void drawStills(Page& page, const EventData& data) {
    constexpr int gap = 8;
    const int cell = (contentWidth - (stillColumns - 1) * gap) / stillColumns;
    const int cellHeight = cell * 2 / 3;
    page.y() += 6;
    for (size_t i = 0; i < data.stills.size(); ++i) {
        const int x = margin + int(i % stillColumns) * (cell + gap);
        const int y = page.y() + int(i / stillColumns) * (cellHeight + lineHeight + gap);
        const auto& [camera, image] = data.stills[i];
        const QRect box(x, y + lineHeight, cell, cellHeight);
        if (image.isNull())
            page.painter().drawText(box, Qt::AlignCenter,
                                    QCoreApplication::translate("IncidentReport", "无法读取画面"));
        else
            page.painter().drawImage(box,
                                     image.scaled(box.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
        page.font(8, false);
        page.painter().drawText(QRect(x, y, cell, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                                Camera::displayName(camera));
    }
    const int rows = int((data.stills.size() + stillColumns - 1) / stillColumns);
    page.y() += rows * (cellHeight + lineHeight + gap);
}

QString blinkerText(const TeslaTelemetrySample& s) {
    if (s.leftBlinker && s.rightBlinker)
        return QCoreApplication::translate("IncidentReport", "双闪");
    return s.leftBlinker    ? QCoreApplication::translate("IncidentReport", "左")
           : s.rightBlinker ? QCoreApplication::translate("IncidentReport", "右")
                            : QCoreApplication::translate("IncidentReport", "关");
}

void drawRecord(Page& page, const EventData& data, DashboardReadout::SpeedUnit unit) {
    page.heading(QCoreApplication::translate("IncidentReport", "该时刻的行车记录"));
    if (!data.record) {
        page.line(QCoreApplication::translate("IncidentReport", "该时刻没有行车记录"));
        return;
    }
    const TeslaTelemetrySample& s = data.record->sample;
    const auto speed = DashboardReadout::speedFor(s.speedMetersPerSecond, unit);
    page.field(QCoreApplication::translate("IncidentReport", "速度"),
               QStringLiteral("%1 %2")
                   .arg(speed.value_or(0))
                   .arg(unit == DashboardReadout::SpeedUnit::kmh ? "km/h" : "mph"));
    page.field(QCoreApplication::translate("IncidentReport", "挡位"),
               DashboardReadout::gearLetterFor(s.gear));
    page.field(QCoreApplication::translate("IncidentReport", "加速踏板"),
               QStringLiteral("%1 %").arg(double(s.accelerator), 0, 'f', 0));
    page.field(QCoreApplication::translate("IncidentReport", "制动"),
               s.brakeApplied ? QCoreApplication::translate("IncidentReport", "踩下")
                              : QCoreApplication::translate("IncidentReport", "未踩"));
    page.field(QCoreApplication::translate("IncidentReport", "转向灯"), blinkerText(s));
    page.field(QCoreApplication::translate("IncidentReport", "方向盘转角"),
               QStringLiteral("%1°").arg(double(s.steeringAngle), 0, 'f', 1));
    page.field(QCoreApplication::translate("IncidentReport", "驾驶辅助"),
               s.autopilotState && *s.autopilotState != 0
                   ? QCoreApplication::translate("IncidentReport", "开启")
                   : QCoreApplication::translate("IncidentReport", "关闭"));
}

// Speed (line) and acceleration (second line) from 15 s before to 15 s after the moment, hard
// braking marked below the axis.
void drawChart(Page& page, const EventData& data, DashboardReadout::SpeedUnit unit) {
    constexpr int chartHeight = 150;
    page.heading(QCoreApplication::translate("IncidentReport", "速度与加速度（前后 15 秒）"));
    QPainter& p = page.painter();
    const QRect box(margin, page.y(), contentWidth, chartHeight);
    page.y() += chartHeight + lineHeight;
    p.setPen(QPen(Qt::gray, 0.5));
    p.drawRect(box);
    double maxSpeed = 1.0; // m/s: a standing car's chart keeps a scale
    for (const TimedSample& s : data.samples)
        maxSpeed = std::max(maxSpeed, double(s.sample.speedMetersPerSecond));
    // Room above the fastest moment, so a steady speed does not run along the chart's frame.
    constexpr double speedHeadroom = 1.25;
    maxSpeed *= speedHeadroom;
    constexpr double accelerationRange = 10; // m/s² either way
    auto x = [&](Instant at) {
        return box.left() + (at - data.moment + chartSeconds) / (2 * chartSeconds) * box.width();
    };
    auto ySpeed = [&](double v) { return box.bottom() - v / maxSpeed * box.height(); };
    auto yAcceleration = [&](double a) {
        return box.center().y() - a / accelerationRange * box.height() / 2;
    };
    QPainterPath speed, acceleration;
    for (size_t i = 0; i < data.samples.size(); ++i) {
        const TimedSample& s = data.samples[i];
        const QPointF a(x(s.at), ySpeed(s.sample.speedMetersPerSecond)),
            b(x(s.at), yAcceleration(s.acceleration));
        i == 0 ? speed.moveTo(a) : speed.lineTo(a);
        i == 0 ? acceleration.moveTo(b) : acceleration.lineTo(b);
        if (s.acceleration <= -hardBrakingMetersPerSecondSquared) {
            p.setPen(QPen(Qt::red, 1));
            p.drawLine(QPointF(x(s.at), box.bottom()), QPointF(x(s.at), box.bottom() - 8));
        }
    }
    p.setPen(QPen(QColor(0x1f, 0x6f, 0xd0), 1.2));
    p.drawPath(speed);
    p.setPen(QPen(QColor(0xe0, 0x8a, 0x00), 1.0));
    p.drawPath(acceleration);
    p.setPen(QPen(Qt::black, 0.8, Qt::DashLine));
    p.drawLine(QPointF(x(data.moment), box.top()), QPointF(x(data.moment), box.bottom()));
    page.font(7, false);
    const auto topSpeed = DashboardReadout::speedFor(float(maxSpeed), unit).value_or(0);
    p.setPen(Qt::black);
    p.drawText(QRect(box.left() + 4, box.top() + 2, box.width(), lineHeight), Qt::AlignLeft,
               QCoreApplication::translate("IncidentReport",
                                           "蓝：速度（最高 %1 %2） 橙：加速度（±10 m/s²） 红：急刹车")
                   .arg(topSpeed)
                   .arg(unit == DashboardReadout::SpeedUnit::kmh ? "km/h" : "mph"));
}

void drawRoute(Page& page, const EventData& data) {
    QPolygonF points;
    for (const TimedSample& s : data.samples)
        if (s.sample.latitude && s.sample.longitude && (*s.sample.latitude != 0 || *s.sample.longitude != 0))
            points << QPointF(*s.sample.longitude, -*s.sample.latitude);
    if (points.size() < 2)
        return;
    constexpr int routeHeight = 120;
    page.heading(QCoreApplication::translate("IncidentReport", "路线"));
    const QRectF bounds = points.boundingRect();
    const QRect box(margin, page.y(), routeHeight * 2, routeHeight);
    page.y() += routeHeight + lineHeight;
    const double scale = std::min(box.width() / std::max(bounds.width(), 1e-9),
                                  box.height() / std::max(bounds.height(), 1e-9));
    QPolygonF placed;
    for (const QPointF& pt : points)
        placed << QPointF(box.left() + (pt.x() - bounds.left()) * scale,
                          box.top() + (pt.y() - bounds.top()) * scale);
    page.painter().setPen(QPen(QColor(0x1f, 0x6f, 0xd0), 1.5));
    page.painter().drawPolyline(placed);
    page.painter().setPen(Qt::black);
}

void drawSources(QPdfWriter& writer, Page& page, const EventData& data) {
    page.heading(QCoreApplication::translate("IncidentReport", "源文件及其 SHA-256"));
    for (const ManifestSource& s : data.sources) {
        if (page.y() > pageHeight - margin - 2 * lineHeight) {
            writer.newPage();
            page.y() = margin;
        }
        page.font(8, false);
        page.line(QStringLiteral("%1  (%2 %3)")
                      .arg(ExportManifest::driveRelative(s.path))
                      .arg(s.size)
                      .arg(QCoreApplication::translate("IncidentReport", "字节")),
                  lineHeight);
        page.font(8, false, monoFamilies);
        page.line(s.sha256.isEmpty() ? s.problem : s.sha256, lineHeight);
    }
}

void drawEvent(QPdfWriter& writer, QPainter& painter, const EventData& data,
               const IncidentReportRequest& request) {
    Page page(painter);
    drawSummary(page, data, request);
    drawStills(page, data);
    drawRecord(page, data, request.speedUnit);
    drawChart(page, data, request.speedUnit);
    if (!request.hidePlace)
        drawRoute(page, data);
    writer.newPage();
    page.y() = margin;
    drawSources(writer, page, data);
}

} // namespace

namespace IncidentReport {

void write(const IncidentReportRequest& request) {
    std::vector<EventData> events;
    for (const QString& folder : request.eventFolders) {
        events.push_back(gather(folder, request));
        if (request.onProgress)
            request.onProgress(0.9 * double(events.size()) / double(request.eventFolders.size()));
    }
    OwnedFile part = FileDelivery::createPartFor(request.outputPath);
    {
        QPdfWriter writer(part.path());
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(pageResolution);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setCreator(QStringLiteral("Orvane"));
        writer.setTitle(QCoreApplication::translate("IncidentReport", "事故报告"));
        QPainter painter(&writer);
        for (size_t i = 0; i < events.size(); ++i) {
            if (i > 0)
                writer.newPage();
            drawEvent(writer, painter, events[i], request);
        }
        if (!painter.end())
            throw FileSystemError(QCoreApplication::translate("IncidentReport", "无法写入报告：") +
                                  request.outputPath);
    }
    request.cancel.check();
    FileDelivery::commit(part, request.outputPath, {});
    if (request.onProgress)
        request.onProgress(1.0);
}

} // namespace IncidentReport
} // namespace orvane
