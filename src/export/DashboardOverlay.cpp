#include "DashboardOverlay.h"

#include "MediaProbe.h"
#include "TelemetryInterpolation.h"
#include "TeslaTelemetryReader.h"
#include "TranslatedText.h"

#include <QCoreApplication>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

using DashboardReadout::GearTone;
using DashboardReadout::State;

// The preview's dashboard palette (Theme.dashboard).
const QColor gradientTop = QColor::fromRgbF(0.14f, 0.15f, 0.17f);
const QColor gradientBottom = QColor::fromRgbF(0.08f, 0.09f, 0.10f);
const QColor parkColor(0xff, 0x3b, 0x30);
const QColor reverseColor(0xff, 0x95, 0x00);
const QColor neutralColor = QColor::fromRgbF(1, 1, 1, 0.7f);
const QColor driveColor(0x0a, 0x84, 0xff);
const QColor unknownGearColor = QColor::fromRgbF(1, 1, 1, 0.35f);
const QColor signalOnColor(0x30, 0xd1, 0x58);
const QColor signalOffColor = QColor::fromRgbF(1, 1, 1, 0.12f);
const QColor brakeColor(0xff, 0x3b, 0x30);
const QColor pedalIdleColor = QColor::fromRgbF(1, 1, 1, 0.35f);
const QColor acceleratorColor(0x0a, 0x84, 0xff);
const QColor gaugeTrackColor = QColor::fromRgbF(1, 1, 1, 0.06f);
const QColor gaugeOutlineColor = QColor::fromRgbF(1, 1, 1, 0.24f);
const QColor acceleratorGlyphIdle = QColor::fromRgbF(1, 1, 1, 0.4f);
const QColor wheelColor = QColor::fromRgbF(1, 1, 1, 0.92f);
const QColor valueColor = Qt::white;
const QColor unitColor = QColor::fromRgbF(1, 1, 1, 0.55f);
const QColor labelColor = QColor::fromRgbF(1, 1, 1, 0.45f);
const QColor assistColor(0x64, 0xd2, 0xff);
const QColor assistFill = QColor::fromRgbF(0.39f, 0.82f, 1.0f, 0.16f);
// The video shows through the strip.
constexpr double backgroundOpacity = 0.72;
const QString textFamily = QStringLiteral("Noto Sans CJK SC");
const QString digitFamily = QStringLiteral("Noto Sans Mono CJK SC");

// The strip's geometry in dashboard points (the preview's sizes), scaled per frame.
constexpr double padH = 18, padV = 12, spacing = 12, radius = 16;
constexpr double metricWidth = 62, contentHeight = 38, metricGap = 5, labelHeight = 16, captionSize = 12;
constexpr double gearSize = 34, wheelSize = 30, signalWidth = 34, signalSize = 22, speedSize = 48;
constexpr double speedWidth = 150, digitsHeight = speedSize * 1.18, unitRowHeight = 18, unitRise = 4;
constexpr double gaugeSize = 36, brakeGlyphWidth = 30, brakeGlyphHeight = 20;
constexpr double acceleratorGlyphWidth = 16, acceleratorGlyphHeight = 21;
constexpr double pedalStroke = 1.8, pedalStrokeApplied = 2.4;
constexpr double rowHeight = digitsHeight + unitRowHeight - unitRise;
constexpr double stripWidth = 2 * padH + 4 * metricWidth + 2 * signalWidth + speedWidth + 6 * spacing;
constexpr double stripHeight = 2 * padV + rowHeight;
// Points per pixel of the time box's scale, and the widest share of the frame the strip takes.
constexpr double scaleToTimeBox = 0.45;
constexpr double widestShare = 0.9;
// The gap between the strip and the time box, in points.
constexpr double gapAboveTimeBox = 6;

// The strip's labels, in the program's language as the preview's dashboard shows them.
constexpr TranslatedText assistLabel{"DashboardOverlay", QT_TRANSLATE_NOOP("DashboardOverlay", "辅助驾驶")};
constexpr TranslatedText brakeLabel{"DashboardOverlay", QT_TRANSLATE_NOOP("DashboardOverlay", "刹车")};
constexpr TranslatedText acceleratorLabel{"DashboardOverlay", QT_TRANSLATE_NOOP("DashboardOverlay", "油门")};
constexpr TranslatedText gearLabel{"DashboardOverlay", QT_TRANSLATE_NOOP("DashboardOverlay", "档位")};
constexpr TranslatedText steeringLabel{"DashboardOverlay", QT_TRANSLATE_NOOP("DashboardOverlay", "方向盘")};

QFont fontOf(const QString& family, double pixelSize, QFont::Weight weight) {
    QFont f(family);
    f.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    f.setWeight(weight);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

QColor toneColor(GearTone tone) {
    switch (tone) {
    case GearTone::park:
        return parkColor;
    case GearTone::reverse:
        return reverseColor;
    case GearTone::neutral:
        return neutralColor;
    case GearTone::drive:
        return driveColor;
    case GearTone::unknown:
        break;
    }
    return unknownGearColor;
}

// One instrument: its content box over a small label; returns the content box.
QRectF metric(QPainter& p, double x, const QString& label, const QColor& color, bool emphasis) {
    const double top = padV + (rowHeight - contentHeight - metricGap - labelHeight) / 2;
    p.setFont(fontOf(textFamily, captionSize, emphasis ? QFont::DemiBold : QFont::Normal));
    p.setPen(color);
    p.drawText(QRectF(x, top + contentHeight + metricGap, metricWidth, labelHeight), Qt::AlignCenter, label);
    return {x, top, metricWidth, contentHeight};
}

void drawWheel(QPainter& p, QPointF centre, double angle) {
    const double rim = wheelSize * 0.09, outer = wheelSize / 2 - rim / 2, hub = wheelSize * 0.14;
    p.save();
    p.translate(centre);
    p.rotate(angle);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(wheelColor, rim, Qt::SolidLine, Qt::RoundCap));
    p.drawEllipse(QPointF(), outer, outer);
    p.setPen(QPen(wheelColor, rim * 0.9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(-outer, 0), QPointF(-hub, 0));
    p.drawLine(QPointF(hub, 0), QPointF(outer, 0));
    p.drawLine(QPointF(0, hub), QPointF(0, outer));
    QColor hubFill = wheelColor;
    hubFill.setAlphaF(0.25f);
    p.setBrush(hubFill);
    p.setPen(QPen(wheelColor, rim * 0.8));
    p.drawEllipse(QPointF(), hub, hub);
    p.restore();
}

// An arrow pointing left, mirrored for the right signal.
void drawSignal(QPainter& p, double x, bool right, bool on) {
    const double w = signalSize, h = signalSize * 0.82;
    const QPointF origin(x + (signalWidth - w) / 2, padV + (rowHeight - h) / 2);
    const QPointF shape[] = {{0, h / 2},    {w * 0.5, 0},        {w * 0.5, h * 0.28}, {w, h * 0.28},
                             {w, h * 0.72}, {w * 0.5, h * 0.72}, {w * 0.5, h},        {0, h / 2}};
    QPolygonF arrow;
    for (QPointF point : shape)
        arrow << origin + QPointF(right ? w - point.x() : point.x(), point.y());
    const QColor color = on ? signalOnColor : signalOffColor;
    p.setBrush(color);
    p.setPen(QPen(color, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolygon(arrow);
}

// The speed over its unit (and the assist badge); returns where the digits are.
QRectF drawSpeed(QPainter& p, double x, const State& state) {
    const QRectF digits(x, padV, speedWidth, digitsHeight);
    p.setFont(fontOf(digitFamily, speedSize, QFont::Medium));
    p.setPen(valueColor);
    p.drawText(digits, Qt::AlignCenter, state.speedText);
    const QRectF unitRow(x, digits.bottom() - unitRise, speedWidth, unitRowHeight);
    const QFont unitFont = fontOf(textFamily, captionSize, QFont::DemiBold);
    p.setFont(unitFont);
    p.setPen(unitColor);
    p.drawText(unitRow, Qt::AlignCenter, state.speedUnitLabel);
    if (!state.assistActive)
        return digits;
    const double unitWidth = QFontMetricsF(unitFont).horizontalAdvance(state.speedUnitLabel);
    const QFont badgeFont = fontOf(textFamily, captionSize - 1, QFont::DemiBold);
    const QString badgeText = assistLabel.text();
    const QFontMetricsF badgeMetrics(badgeFont);
    const double badgeWidth = badgeMetrics.horizontalAdvance(badgeText) + 2 * 6;
    const double badgeHeight = badgeMetrics.height() + 2;
    const QRectF badge(unitRow.center().x() + unitWidth / 2 + 6, unitRow.center().y() - badgeHeight / 2,
                       badgeWidth, badgeHeight);
    p.setBrush(assistFill);
    p.setPen(QPen(assistColor, 1));
    p.drawRoundedRect(badge, badgeHeight / 2, badgeHeight / 2);
    p.setFont(badgeFont);
    p.setPen(assistColor);
    p.drawText(badge, Qt::AlignCenter, badgeText);
    return digits;
}

// A pedal's outline: a rounded body crossed by three grip lines (the accelerator's lower lines
// start further right).
void drawPedal(QPainter& p, const QRectF& box, bool accelerator, const QColor& color, double stroke) {
    const double left = box.left() + 0.18 * box.width(), right = box.left() + 0.82 * box.width();
    const double top = box.top() + 0.08 * box.height(), bottom = box.top() + 0.92 * box.height();
    const double inset = 3, step = accelerator ? 1.2 : 0;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(color, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawRoundedRect(QRectF(QPointF(left, top), QPointF(right, bottom)), 3, 3);
    for (int line = 0; line < 3; ++line) {
        const double y = top + (0.3 + 0.2 * line) * (bottom - top);
        p.drawLine(QPointF(left + inset + line * step, y), QPointF(right - inset, y));
    }
}

void drawBrake(QPainter& p, double x, bool applied) {
    const QRectF box = metric(p, x, brakeLabel.text(), applied ? brakeColor : labelColor, applied);
    const QRectF glyph(box.center().x() - brakeGlyphWidth / 2, box.center().y() - brakeGlyphHeight / 2,
                       brakeGlyphWidth, brakeGlyphHeight);
    drawPedal(p, glyph, false, applied ? brakeColor : pedalIdleColor,
              applied ? pedalStrokeApplied : pedalStroke);
}

void drawAccelerator(QPainter& p, double x, double progress) {
    const bool pressed = progress > 0;
    const QRectF box =
        metric(p, x, acceleratorLabel.text(), pressed ? acceleratorColor : labelColor, pressed);
    const double r = gaugeSize / 2;
    const QRectF dial(box.center().x() - r, box.center().y() - r, gaugeSize, gaugeSize);
    p.setPen(Qt::NoPen);
    p.setBrush(gaugeTrackColor);
    p.drawEllipse(dial);
    if (pressed) {
        QPainterPath circle;
        circle.addEllipse(dial);
        QPainterPath level;
        level.addRect(
            QRectF(dial.left(), dial.bottom() - gaugeSize * std::min(progress, 1.0), gaugeSize, gaugeSize));
        p.setBrush(acceleratorColor);
        p.drawPath(circle.intersected(level));
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(gaugeOutlineColor, 2));
    p.drawEllipse(dial.adjusted(1, 1, -1, -1));
    const QRectF glyph(box.center().x() - acceleratorGlyphWidth / 2,
                       box.center().y() - acceleratorGlyphHeight / 2, acceleratorGlyphWidth,
                       acceleratorGlyphHeight);
    drawPedal(p, glyph, true, pressed ? Qt::white : acceleratorGlyphIdle, pedalStroke);
}

// Draws the strip in points onto a painter already scaled; returns the digits' box in points.
QRectF drawStrip(QPainter& p, const State& state) {
    QLinearGradient shade(0, 0, 0, stripHeight);
    shade.setColorAt(0, gradientTop);
    shade.setColorAt(1, gradientBottom);
    p.setOpacity(backgroundOpacity);
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawRoundedRect(QRectF(0, 0, stripWidth, stripHeight), radius, radius);
    p.setOpacity(1);

    double x = padH;
    const QRectF gearBox = metric(p, x, gearLabel.text(), labelColor, false);
    p.setFont(fontOf(textFamily, gearSize, QFont::Bold));
    p.setPen(toneColor(state.gearTone));
    p.drawText(gearBox, Qt::AlignCenter, state.gearLetter);
    x += metricWidth + spacing;
    drawWheel(p, metric(p, x, steeringLabel.text(), labelColor, false).center(), state.wheelAngle);
    x += metricWidth + spacing;
    drawSignal(p, x, false, state.leftSignalOn);
    x += signalWidth + spacing;
    const QRectF digits = drawSpeed(p, x, state);
    x += speedWidth + spacing;
    drawSignal(p, x, true, state.rightSignalOn);
    x += signalWidth + spacing;
    drawBrake(p, x, state.brakeOn);
    x += metricWidth + spacing;
    drawAccelerator(p, x, state.acceleratorProgress);
    return digits;
}

// The top of the time box for a frame size, measured once per size.
int timeBoxTop(int frameWidth, int frameHeight) {
    thread_local QSize measuredFor;
    thread_local int top = 0;
    if (measuredFor != QSize(frameWidth, frameHeight)) {
        const auto box =
            OverlayRenderer::timeWatermark(QStringLiteral("0000-00-00 00:00:00"), frameWidth, frameHeight);
        top = box.position.y();
        measuredFor = QSize(frameWidth, frameHeight);
    }
    return top;
}

} // namespace

DashboardOverlay::PlacedStrip DashboardOverlay::place(const State& state, int frameWidth, int frameHeight) {
    const double scale = std::min(OverlayRenderer::displayScale(frameWidth) * scaleToTimeBox,
                                  widestShare * frameWidth / stripWidth);
    QImage image(int(std::ceil(stripWidth * scale)), int(std::ceil(stripHeight * scale)),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QRectF digits;
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(scale, scale);
        digits = drawStrip(painter, state);
    }
    const int bottom = timeBoxTop(frameWidth, frameHeight) - int(std::lround(gapAboveTimeBox * scale));
    const QPoint position((frameWidth - image.width()) / 2, std::max(bottom - image.height(), 0));
    const QRect digitsInFrame =
        QRectF(digits.x() * scale, digits.y() * scale, digits.width() * scale, digits.height() * scale)
            .toAlignedRect()
            .translated(position);
    return {{std::move(image), position}, digitsInFrame};
}

DashboardTrack::DashboardTrack(ExportTimeline timeline, std::vector<TeslaVideoFile> minutes,
                               DashboardReadout::SpeedUnit unit, MinuteRecord::FileReader reader)
    : timeline_(std::move(timeline)), minutes_(std::move(minutes)), unit_(unit), reader_(std::move(reader)) {
    if (!reader_)
        reader_ = [](const QString& path) { return TeslaTelemetryReader::read(path); };
}

const MinuteRecord& DashboardTrack::minuteOf(size_t piece) {
    if (loadedPiece_ != piece) {
        loaded_ = MinuteRecord::read(minutes_[piece], reader_);
        loadedPiece_ = piece;
    }
    return loaded_;
}

std::optional<TelemetryInterpolator::ShownRecord> DashboardTrack::recordAt(double fileTime) {
    const auto piece = timeline_.pieceIndexAt(fileTime);
    if (!piece || *piece >= minutes_.size()) {
        ++framesWithout_;
        return std::nullopt;
    }
    const ExportTimeline::Piece& where = timeline_.pieces()[*piece];
    const MinuteRecord& minute = minuteOf(*piece);
    // The frame's own time in its source: the decoder hands over exactly the source's frames,
    // so the nearest frame time is this frame's (sums of wall-clock seconds carry rounding).
    double local = fileTime - where.offset + (where.recordedAt - minutes_[*piece].startTime);
    const auto& times = minute.frameTimes;
    if (!times.empty()) {
        const auto after = std::lower_bound(times.begin(), times.end(), local);
        if (after == times.end() || (after != times.begin() && local - *(after - 1) < *after - local))
            local = *(after - 1);
        else
            local = *after;
    }
    // Without frame times the records are spread over the minute at the cameras' rate.
    const double duration =
        times.empty() ? double(minute.samples.size()) / media::cameraFrameRate : times.back();
    const auto shown = TelemetryInterpolator::shownRecord(minute.samples, times, local, duration);
    if (!shown) {
        ++framesWithout_;
        return std::nullopt;
    }
    return shown;
}

std::optional<State> DashboardTrack::stateAt(double fileTime) {
    const auto shown = recordAt(fileTime);
    return shown ? std::optional(DashboardReadout::present(shown->sample, shown->steeringAngle, unit_))
                 : std::nullopt;
}

} // namespace orvane
