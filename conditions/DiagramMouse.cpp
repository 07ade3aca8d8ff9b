#include "conditions/DiagramMouse.h"

void TDiagramMouse::Reset()
{
    dragCloud_ = nullptr;
    hatchPins_ = diagram_.Active();
}

void TDiagramMouse::Press(std::int32_t x, std::int32_t y, bool leftButton)
{
    if (!diagram_.Active())
        return;
    dragCloud_ = nullptr;
    diagram_.SelectCloud(nullptr);
    lastDownX_ = x;
    lastDownY_ = y;
    TNOXlc* first = diagram_.FirstCloudWithOutlineAt(x, y);
    if (!first)
        return;
    diagram_.SelectCloud(diagram_.LastCloudWithOutlineAt(x, y));
    if (!leftButton)
        return;
    dragCloud_ = first;
    dragOffsetX_ = std::int64_t{first->X} - x;
    dragOffsetY_ = std::int64_t{first->Y} - y;
}

void TDiagramMouse::Move(std::int32_t x, std::int32_t y, const TMouseKeys& keys)
{
    if (keys.OnlyLeft())
        hatchPins_ = false;
    if (dragCloud_)
        Drag(x, y, keys.Shift);
}

void TDiagramMouse::Drag(std::int32_t x, std::int32_t y, bool resize)
{
    if (resize) {
        diagram_.ResizeCloud(*dragCloud_, RoundToPixel(DistanceToCentre(*dragCloud_, x, y)));
    } else if (x < kDeleteBeyond || y < kDeleteBeyond) {
        // The cloud in the hand goes, even when another one under the press point was selected.
        diagram_.SelectCloud(dragCloud_);
        dragCloud_ = nullptr;
        diagram_.DeleteCurrentCloud();
    } else {
        diagram_.MoveCloud(*dragCloud_, SaturateToPixel(x + dragOffsetX_), SaturateToPixel(y + dragOffsetY_));
    }
}

bool TDiagramMouse::Release()
{
    const bool dragged = dragCloud_ != nullptr;
    if (dragged)
        diagram_.RemoveAllDuplicatePins();
    dragCloud_ = nullptr;
    hatchPins_ = diagram_.Active();
    return dragged;
}

void TDiagramMouse::DoubleClick()
{
    if (!diagram_.Active())
        return;
    if (const TNOXpin* pin = diagram_.PinAtPoint(lastDownX_, lastDownY_))
        diagram_.DeletePin(pin);
    else if (lastDownX_ > 0 && lastDownY_ > 0)
        diagram_.AddPin(lastDownX_, lastDownY_);
    diagram_.RemoveDuplicatePin();
}
