#include "conditions/CloudsPainter.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

const QColor kSelectedOutline = Qt::black;
const QColor kOutline(128, 128, 128);
const QColor kSelectedCaption = Qt::red;
const QColor kCaption(128, 128, 128);
const QColor kHatch(192, 192, 192);
const QColor kTick = Qt::red;
constexpr double kHatchSpacing = 6.0;
// One-pixel lines centred on pixel centres stay sharp at a device pixel ratio of 1.
constexpr double kHalfPixel = 0.5;

QRectF BoxOf(const TNOXlc& cloud)
{
    const double r = cloud.R;
    return QRectF(cloud.X - r, cloud.Y - r, 2 * r, 2 * r);
}

QPainterPath CirclePath(const TNOXlc& cloud)
{
    QPainterPath path;
    path.addEllipse(BoxOf(cloud));
    return path;
}

// Lines rising from left to right (x + y constant, y downward), anchored to the area's origin so
// that the hatch of neighbouring exposed parts joins up; the clip path cuts them to shape.
void DrawRisingHatch(QPainter& painter, const QRectF& box)
{
    painter.setPen(QPen(kHatch, 1));
    const double first = std::floor((box.left() + box.top()) / kHatchSpacing) * kHatchSpacing;
    for (double k = first; k <= box.right() + box.bottom(); k += kHatchSpacing)
        painter.drawLine(QPointF(k - box.bottom(), box.bottom()), QPointF(k - box.top(), box.top()));
}

void HatchRegion(QPainter& painter, const QPainterPath& region, const QRectF& exposed)
{
    const QRectF box = region.boundingRect().intersected(exposed);
    if (box.isEmpty())
        return;
    painter.save();
    painter.setClipPath(region, Qt::IntersectClip);
    // Aliased one-pixel diagonals stay silver; smoothed ones fade to a blur.
    painter.setRenderHint(QPainter::Antialiasing, false);
    DrawRisingHatch(painter, box);
    painter.restore();
}

void PaintCloud(QPainter& painter, const TNOXlc& cloud)
{
    if (cloud.R > 0) {
        painter.setPen(QPen(cloud.Selected ? kSelectedOutline : kOutline, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(BoxOf(cloud));
    }
    painter.setPen(cloud.Selected ? kSelectedCaption : kCaption);
    const QPointF topLeft(static_cast<double>(cloud.X) + cloud.CSX, static_cast<double>(cloud.Y) + cloud.CSY);
    painter.drawText(topLeft + QPointF(0, QFontMetricsF(painter.font()).ascent()), QString::fromStdString(cloud.Caption));
}

void PaintTick(QPainter& painter, const TNOXpin& pin)
{
    painter.setPen(QPen(kTick, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF points[] = {{pin.X - 2.0, pin.Y - 2.0}, {static_cast<double>(pin.X), static_cast<double>(pin.Y)}, {pin.X + 5.0, pin.Y - 5.0}};
    painter.drawPolyline(points, 3);
}

} // namespace

QPainterPath PinRegion(const TCloudDiagram& diagram, const TNOXpin& pin, const QRectF& area)
{
    QPainterPath region;
    region.addRect(area);
    for (int i = 0; i < diagram.CloudCount(); ++i) {
        const TNOXlc& cloud = *diagram.CloudAt(i);
        if (PinInCloud(pin, cloud))
            region = region.intersected(CirclePath(cloud));
        else if (BoxOf(cloud).intersects(region.boundingRect()))
            region = region.subtracted(CirclePath(cloud));
    }
    return region;
}

void PaintDiagram(QPainter& painter, const TCloudDiagram& diagram, bool hatchPins, const QRectF& area,
                  const QRectF& exposed)
{
    painter.setRenderHint(QPainter::Antialiasing);
    if (hatchPins)
        for (int i = 0; i < diagram.PinCount(); ++i)
            HatchRegion(painter, PinRegion(diagram, *diagram.PinAt(i), area), exposed);

    painter.save();
    painter.translate(kHalfPixel, kHalfPixel);
    for (int i = 0; i < diagram.CloudCount(); ++i)
        PaintCloud(painter, *diagram.CloudAt(i));
    for (int i = 0; i < diagram.PinCount(); ++i)
        PaintTick(painter, *diagram.PinAt(i));
    painter.restore();
}
