#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TNoxPigger;

// The model of a context condition: keyword conditions drawn as circles ("clouds") with pins that
// mark the accepted regions among them, the expression generated from the drawing, and its stored
// form. Plain C++: the clouds editor draws it, the Context kreller uses it without a window.
// Coordinates are logical pixels of the drawing area, origin top left, y downward.

// A logical condition: a caption shown beside it and an expression text.
struct TNOX_BASE_LC {
    std::string Caption;
    std::string Body;  // for a keyword cloud: EXISTS('KEYWORD')
    std::string Key;   // carried unchanged through storing and loading

    virtual ~TNOX_BASE_LC() = default;
    void SetCaption(const std::string& caption) { Caption = caption; }
    bool operator==(const TNOX_BASE_LC&) const = default;
};

// A cloud: a circle with its caption offset from the centre.
struct TNOXlc : TNOX_BASE_LC {
    bool Selected = false;
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t R = 0;
    std::int32_t CSX = 0;  // from the centre to the caption's top-left corner
    std::int32_t CSY = 0;

    // The caption offsets that belong to a radius: 0.3 R and 0.35 R, rounded ties to even.
    void SetDefaultCaptionOffset();
    bool operator==(const TNOXlc&) const = default;
};

// A pin: marks the region it lies in as accepted.
struct TNOXpin {
    std::int32_t X = 0;
    std::int32_t Y = 0;

    bool operator==(const TNOXpin&) const = default;
};

// Rounds to the nearest integer, ties to even, saturating at the 32-bit range.
std::int32_t RoundToPixel(double value);
// The value, or the nearest end of the 32-bit range.
std::int32_t SaturateToPixel(std::int64_t value);
// The distance from (x, y) to the cloud's centre, exact.
double DistanceToCentre(const TNOXlc& cloud, std::int64_t x, std::int64_t y);
// The rounded distance from the pin to the centre is below R: a pin R pixels away is outside.
bool PinInCloud(const TNOXpin& pin, const TNOXlc& cloud);
// The sum of the radii exceeds the exact distance of the centres: touching circles do not overlap.
bool CloudsOverlap(const TNOXlc& a, const TNOXlc& b);
// The rounded distance from (x, y) to the centre differs from R by less than 3.
bool PointOnOutline(const TNOXlc& cloud, std::int32_t x, std::int32_t y);
// (x, y) lies on the pin's tick: x from X - 3 to X + 5, y from Y - 6 to Y + 2.
bool PointOnPin(const TNOXpin& pin, std::int32_t x, std::int32_t y);

// What a change did, for the view that shows the diagram.
enum class TDiagramChange {
    Reset,         // activated, deactivated or loaded: every cloud and pin may be new
    CloudRemoved,  // a cloud was destroyed
    Changed,       // clouds or pins were added, moved, resized, edited, selected or removed
};

// The cloud and pin lists with the operations on them. While not active every operation does
// nothing, the counts are 0 and lookups give none.
class TCloudDiagram {
public:
    // Called after the current cloud changed; for the owner.
    std::function<void()> OnSelect;
    // Called after a cloud was deleted; for the owner.
    std::function<void()> OnDelete;
    // Called after every change; for the view (the clouds editor sets it).
    std::function<void(TDiagramChange)> OnChange;

    TCloudDiagram() = default;
    TCloudDiagram(const TCloudDiagram&) = delete;
    TCloudDiagram& operator=(const TCloudDiagram&) = delete;

    bool Active() const { return active_; }
    // Deactivates, then starts with empty lists, AutoPin on.
    void Activate();
    // Destroys every cloud and pin.
    void Deactivate();

    // When on, the first cloud added while there is no pin gets a pin.
    bool AutoPin() const { return autoPin_; }
    void SetAutoPin(bool on) { autoPin_ = on; }

    int CloudCount() const;
    int PinCount() const;
    // None when the index is out of range.
    TNOXlc* CloudAt(int index) const;
    TNOXpin* PinAt(int index) const;
    TNOXlc* CurrentCloud() const { return current_; }

    // Appends a cloud centred at (x, y), makes it current and keeps it inside the margins; with
    // AutoPin and no pin yet, pins it at (x - 0.2 r, y). None while not active.
    TNOXlc* AddCloud(const std::string& caption, const std::string& body, std::int32_t x, std::int32_t y, std::int32_t r);
    TNOXpin* AddPin(std::int32_t x, std::int32_t y);
    // A pin that is not in the list is ignored.
    void DeletePin(const TNOXpin* pin);
    // Makes cloud (or none) the only selected one.
    void SelectCloud(TNOXlc* cloud);
    void DeleteCurrentCloud();

    // Moves the cloud's centre, then keeps it inside the margins.
    void MoveCloud(TNOXlc& cloud, std::int32_t x, std::int32_t y);
    // Sets the radius and the caption offset that belongs to it.
    void ResizeCloud(TNOXlc& cloud, std::int32_t r);
    // To be called after a cloud's fields were edited directly: keeps it inside, tells the view.
    void CloudChanged(TNOXlc& cloud);

    // The first cloud in list order whose outline passes through (x, y), and the last.
    TNOXlc* FirstCloudWithOutlineAt(std::int32_t x, std::int32_t y) const;
    TNOXlc* LastCloudWithOutlineAt(std::int32_t x, std::int32_t y) const;
    // The first pin whose tick covers (x, y), or none.
    TNOXpin* PinAtPoint(std::int32_t x, std::int32_t y) const;

    // One letter per cloud in list order: "T" where the pin lies in it, "F" where not.
    std::string RegionSignature(const TNOXpin& pin) const;
    // Deletes the earlier pin of the first two that lie in one region; false when none do.
    bool RemoveDuplicatePin();
    // RemoveDuplicatePin until it finds nothing more.
    void RemoveAllDuplicatePins();

    // The condition of the pin's region, naming only the clouds that can meet it; "0=1" with
    // no clouds.
    std::string RegionTerm(const TNOXpin& pin) const;
    // Removes one duplicate pin, then joins the region terms of the pins with ||; empty without
    // pins.
    std::string BuildExpression();

    // The diagram as a tagged document text: root ALC, an LC per cloud, a PIN per pin.
    std::string SaveClouds() const;
    // Replaces the diagram by a stored one. Raises the tagged document's error for malformed
    // text, and EConvertError for a coordinate that is not an integer; what was loaded before an
    // error stays. AutoPin is on afterwards in every case.
    void LoadClouds(const std::string& text);

    // Active, with at least one cloud and one pin.
    bool IsComplete() const;

    // The size the drawing area needs to hold every cloud with its margin; grows, never shrinks
    // while active.
    std::int32_t ExtentWidth() const { return extentWidth_; }
    std::int32_t ExtentHeight() const { return extentHeight_; }

private:
    void KeepInside(TNOXlc& cloud);
    void Notify(TDiagramChange change) const;
    std::string OutsideAllTerm() const;
    std::string InsideTerm(const TNOXlc& first, const TNOXpin& pin) const;
    void LoadCloud(const TNoxPigger& element);
    void LoadPin(const TNoxPigger& element);

    bool active_ = false;
    bool autoPin_ = false;
    std::vector<std::unique_ptr<TNOXlc>> clouds_;
    std::vector<std::unique_ptr<TNOXpin>> pins_;
    TNOXlc* current_ = nullptr;
    std::int32_t extentWidth_ = 0;
    std::int32_t extentHeight_ = 0;
};
