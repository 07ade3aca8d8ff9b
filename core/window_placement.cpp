#include "core/window_placement.h"

#include <algorithm>

namespace {

// The top left corner that keeps a window of size inside screen, as near to wanted as it can.
QPoint KeptInside(QPoint wanted, const QSize& size, const QRect& screen)
{
    const int x = std::max(screen.left(), std::min(wanted.x(), screen.left() + screen.width() - size.width()));
    const int y = std::max(screen.top(), std::min(wanted.y(), screen.top() + screen.height() - size.height()));
    return {x, y};
}

} // namespace

QPoint CentredOn(const QRect& owner, const QSize& size, const QRect& screen)
{
    const QPoint centre = owner.center();
    return KeptInside({centre.x() - size.width() / 2, centre.y() - size.height() / 2}, size, screen);
}

QPoint BesideOf(const QRect& owner, const QSize& size, const QRect& screen)
{
    constexpr int kGap = 4;
    const QPoint candidates[] = {
        {owner.right() + 1 + kGap, owner.top()},
        {owner.left() - kGap - size.width(), owner.top()},
        {owner.left(), owner.bottom() + 1 + kGap},
        {owner.left(), owner.top() - kGap - size.height()},
    };
    for (const QPoint& corner : candidates) {
        const QPoint kept = KeptInside(corner, size, screen);
        const QRect placed(kept, size);
        if (!placed.intersects(owner) && screen.contains(placed))
            return kept;
    }
    return {screen.right() + 1 - size.width(), screen.bottom() + 1 - size.height()};
}
