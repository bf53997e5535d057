#include "DriveStrip.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace orvane {

namespace {
constexpr double lineWidth = 1.2;
constexpr double markWidth = 2.0;
constexpr double markHead = 4.0; // the triangle on top of a mark
// Points drawn per pixel at most: a long event's thousands of records fold into the width.
constexpr double pointsPerPixel = 2;
} // namespace

DriveStrip::DriveStrip(QQuickItem* parent) : QQuickPaintedItem(parent) {
    setAntialiasing(true);
    connect(this, &DriveStrip::coloursChanged, this, [this] { update(); });
}

void DriveStrip::setSection(DriveSection* section) {
    if (section == section_)
        return;
    if (section_)
        disconnect(section_, nullptr, this, nullptr);
    section_ = section;
    if (section)
        connect(section, &DriveSection::changed, this, [this] { update(); });
    emit sectionChanged();
    update();
}

double DriveStrip::xOf(double time, double duration) const {
    return duration > 0 ? std::clamp(time / duration, 0.0, 1.0) * width() : 0;
}

double DriveStrip::timeAt(double x) const {
    const double duration = section_ ? section_->duration() : 0;
    return width() > 0 ? std::clamp(x / width(), 0.0, 1.0) * duration : 0;
}

double DriveStrip::markNear(double x, double tolerance) const {
    const auto profile = section_ ? section_->profile() : nullptr;
    if (!profile)
        return -1;
    double best = -1, bestDistance = tolerance;
    for (const auto* marks : {&profile->hardBrakes, &profile->swerves})
        for (double t : *marks)
            if (const double d = std::abs(xOf(t, profile->duration) - x); d <= bestDistance) {
                best = t;
                bestDistance = d;
            }
    return best;
}

void DriveStrip::paint(QPainter* painter) {
    const auto profile = section_ ? section_->profile() : nullptr;
    if (!profile || profile->points.empty() || profile->duration <= 0)
        return;
    paintPeriods(painter, *profile);
    painter->setPen(QPen(gridColor_, 1));
    painter->drawLine(QPointF(0, height() / 2), QPointF(width(), height() / 2));
    paintLines(painter, *profile);
    paintMarks(painter, *profile);
}

void DriveStrip::paintPeriods(QPainter* painter, const DriveProfile& profile) const {
    const double h = height();
    for (const auto& [periods, colour, top, bottom] :
         {std::tuple(&profile.assisted, assistColor_, 0.0, h / 2),
          std::tuple(&profile.braking, brakeColor_, h / 2, h)})
        for (const DrivePeriod& p : *periods) {
            const double x0 = xOf(p.start, profile.duration), x1 = xOf(p.end, profile.duration);
            painter->fillRect(QRectF(x0, top, std::max(x1 - x0, 1.0), bottom - top), colour);
        }
}

// Speed over the whole height (0 at the bottom, the event's top speed at the top); the forces
// about the middle line, ±forceRangeG at the edges.
void DriveStrip::paintLines(QPainter* painter, const DriveProfile& profile) const {
    const auto top =
        std::max_element(profile.points.begin(), profile.points.end(),
                         [](const DrivePoint& a, const DrivePoint& b) { return a.speed < b.speed; });
    const double topSpeed = std::max(top->speed, 1.0);
    const double h = height(), middle = h / 2;
    const size_t step =
        std::max<size_t>(1, size_t(double(profile.points.size()) / (width() * pointsPerPixel)));
    QPainterPath speed, forward, sideways;
    for (size_t i = 0; i < profile.points.size(); i += step) {
        const DrivePoint& p = profile.points[i];
        const double x = xOf(p.time, profile.duration);
        const QPointF s(x, h - p.speed / topSpeed * h);
        const QPointF f(x, middle - std::clamp(p.longitudinalG / forceRangeG, -1.0, 1.0) * middle);
        const QPointF l(x, middle - std::clamp(p.lateralG / forceRangeG, -1.0, 1.0) * middle);
        if (i == 0) {
            speed.moveTo(s);
            forward.moveTo(f);
            sideways.moveTo(l);
        } else {
            speed.lineTo(s);
            forward.lineTo(f);
            sideways.lineTo(l);
        }
    }
    painter->setBrush(Qt::NoBrush);
    for (const auto& [path, colour] :
         {std::pair(&sideways, lateralColor_), std::pair(&forward, longitudinalColor_),
          std::pair(&speed, speedColor_)}) {
        painter->setPen(QPen(colour, lineWidth));
        painter->drawPath(*path);
    }
}

void DriveStrip::paintMarks(QPainter* painter, const DriveProfile& profile) const {
    for (const auto& [marks, colour] :
         {std::pair(&profile.swerves, swerveColor_), std::pair(&profile.hardBrakes, markColor_)}) {
        painter->setPen(QPen(colour, markWidth));
        for (double t : *marks) {
            const double x = xOf(t, profile.duration);
            painter->drawLine(QPointF(x, 0), QPointF(x, height()));
            QPainterPath head;
            head.moveTo(x - markHead, 0);
            head.lineTo(x + markHead, 0);
            head.lineTo(x, markHead * 1.5);
            head.closeSubpath();
            painter->fillPath(head, colour);
        }
    }
}

} // namespace orvane
