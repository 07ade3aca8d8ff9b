#pragma once
#include "conditions/CloudDiagram.h"

#include <cstdint>

// The buttons and keys held during a mouse move.
struct TMouseKeys {
    bool Left = false;
    bool OtherButton = false;
    bool Shift = false;
    bool Ctrl = false;
    bool Alt = false;

    bool OnlyLeft() const { return Left && !OtherButton && !Shift && !Ctrl && !Alt; }
};

// What the mouse does to a diagram in the clouds editor: select a cloud by its outline, drag it,
// resize it with Shift, drag it off the top or left edge to delete it, set and remove pins by
// double-clicking. Plain logic; the editor feeds it the mouse events of its drawing area, in
// logical pixels, and repaints after each.
class TDiagramMouse {
public:
    // A drag beyond this many pixels left of or above the drawing area deletes the cloud.
    static constexpr std::int32_t kDeleteBeyond = -30;

    explicit TDiagramMouse(TCloudDiagram& diagram) : diagram_(diagram) {}

    // Selects the clouds whose outline is under the point, the last one ending up current; with
    // the left button the first one is dragged.
    void Press(std::int32_t x, std::int32_t y, bool leftButton);
    void Move(std::int32_t x, std::int32_t y, const TMouseKeys& keys);
    // True when a drag ended: the diagram may have changed.
    bool Release();
    // Removes the pin under the last press point, or adds one there.
    void DoubleClick();

    // The diagram was cleared, reloaded or lost a cloud: no drag goes on.
    void ForgetDrag() { dragCloud_ = nullptr; }
    // The diagram was reset: pins are hatched again if it is active.
    void Reset();

    // Pins are painted with their regions hatched; not during a plain drag.
    bool HatchPins() const { return hatchPins_; }
    const TNOXlc* DragCloud() const { return dragCloud_; }
    std::int32_t LastDownX() const { return lastDownX_; }
    std::int32_t LastDownY() const { return lastDownY_; }

private:
    void Drag(std::int32_t x, std::int32_t y, bool resize);

    TCloudDiagram& diagram_;
    bool hatchPins_ = false;
    std::int32_t lastDownX_ = 0;
    std::int32_t lastDownY_ = 0;
    TNOXlc* dragCloud_ = nullptr;
    std::int64_t dragOffsetX_ = 0;  // cloud centre minus press point
    std::int64_t dragOffsetY_ = 0;
};
