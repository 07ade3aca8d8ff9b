#pragma once
#include "conditions/CloudDiagram.h"

#include <QPainterPath>
#include <QRectF>

class QPainter;

// The points of the area that lie in the same clouds as the pin and outside the others: the region
// the pin accepts. Computed from the circles, so captions and other drawing do not cut it.
QPainterPath PinRegion(const TCloudDiagram& diagram, const TNOXpin& pin, const QRectF& area);

// Draws an active diagram onto the drawing area (in logical pixels; the painter scales to the
// device): the hatched regions of the pins when hatchPins is set, the clouds with their captions,
// and the pins' ticks. The hatch is drawn only where it meets exposed.
void PaintDiagram(QPainter& painter, const TCloudDiagram& diagram, bool hatchPins, const QRectF& area,
                  const QRectF& exposed);
