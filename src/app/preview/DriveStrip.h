#pragma once
// Draws an event's drive along its time line: speed, longitudinal and lateral g, the brake and
// assistance periods shaded and the hard-brake and swerve marks. Interface thread (QML) only;
// painting reads the section's immutable profile.

#include "DriveSection.h"

#include <QColor>
#include <QPointer>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace orvane {

class DriveStrip : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(orvane::DriveSection* section READ section WRITE setSection NOTIFY sectionChanged)
    // Colours come from the theme in QML.
    Q_PROPERTY(QColor speedColor MEMBER speedColor_ NOTIFY coloursChanged)
    Q_PROPERTY(QColor longitudinalColor MEMBER longitudinalColor_ NOTIFY coloursChanged)
    Q_PROPERTY(QColor lateralColor MEMBER lateralColor_ NOTIFY coloursChanged)
    Q_PROPERTY(QColor brakeColor MEMBER brakeColor_ NOTIFY coloursChanged)
    Q_PROPERTY(QColor assistColor MEMBER assistColor_ NOTIFY coloursChanged)
    Q_PROPERTY(QColor markColor MEMBER markColor_ NOTIFY coloursChanged)
    Q_PROPERTY(QColor swerveColor MEMBER swerveColor_ NOTIFY coloursChanged)
    Q_PROPERTY(QColor gridColor MEMBER gridColor_ NOTIFY coloursChanged)

public:
    // The g range the force lines span, either way of the middle line.
    static constexpr double forceRangeG = 0.6;

    explicit DriveStrip(QQuickItem* parent = nullptr);

    DriveSection* section() const { return section_; }
    void setSection(DriveSection* section);
    void paint(QPainter* painter) override;

    // The time of the mark within `tolerance` pixels of x (the nearest); -1 when none is.
    Q_INVOKABLE double markNear(double x, double tolerance) const;
    // The time line's time at x.
    Q_INVOKABLE double timeAt(double x) const;

signals:
    void sectionChanged();
    void coloursChanged();

private:
    double xOf(double time, double duration) const;
    void paintPeriods(QPainter* painter, const DriveProfile& profile) const;
    void paintLines(QPainter* painter, const DriveProfile& profile) const;
    void paintMarks(QPainter* painter, const DriveProfile& profile) const;

    QPointer<DriveSection> section_;
    QColor speedColor_, longitudinalColor_, lateralColor_, brakeColor_, assistColor_, markColor_,
        swerveColor_, gridColor_;
};

} // namespace orvane
