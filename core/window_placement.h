#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>

// Where a window of size goes to stand centred on owner, moved back inside screen as far as it fits.
QPoint CentredOn(const QRect& owner, const QSize& size, const QRect& screen);

// Where a window of size goes to stand beside owner without covering it: to its right, else to its
// left, else below, else above, whichever first fits on screen, level with owner's top (or left
// edge). When none fits it goes into the screen's bottom right corner.
QPoint BesideOf(const QRect& owner, const QSize& size, const QRect& screen);
