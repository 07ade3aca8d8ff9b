#include "conditions/CloudDiagram.h"

#include "conditions/ParsGlob.h"
#include "tagged/NoxPigger.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr std::int32_t kMargin = 5;
constexpr const char* kNoClouds = "0=1";

double RoundedDistance(const TNOXlc& cloud, std::int64_t x, std::int64_t y)
{
    return std::nearbyint(DistanceToCentre(cloud, x, y));
}

// Sets an attribute to a decimal number; the document leaves out attributes with empty values.
void SetNumberAttr(TNoxPigger& element, const char* name, std::int32_t value)
{
    element.SetAttr(name, std::to_string(value));
}

std::int32_t NumberAttr(const TNoxPigger& element, const char* name)
{
    return TextToInteger(element.GetAttr(name));
}

// value × numerator / denominator rounded to nearest, ties to even, in integers: in floating point
// 90 × 0.35 comes out just below 31.5 and would round down.
std::int32_t RoundedFraction(std::int32_t value, std::int64_t numerator, std::int64_t denominator)
{
    const std::int64_t product = value * numerator;
    std::int64_t quotient = product / denominator;
    std::int64_t remainder = product % denominator;
    if (remainder < 0) {
        remainder += denominator;
        --quotient;
    }
    if (2 * remainder > denominator || (2 * remainder == denominator && quotient % 2 != 0))
        ++quotient;
    return SaturateToPixel(quotient);
}

} // namespace

std::int32_t SaturateToPixel(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

std::int32_t RoundToPixel(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value);
    if (rounded <= std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    if (rounded >= std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(rounded);
}

void TNOXlc::SetDefaultCaptionOffset()
{
    CSX = RoundedFraction(R, 3, 10);
    CSY = RoundedFraction(R, 7, 20);
}

double DistanceToCentre(const TNOXlc& cloud, std::int64_t x, std::int64_t y)
{
    // Differences of 32-bit coordinates are exact in doubles, and so are the squares of the
    // differences that real drawings have, so the distance is the correctly rounded root.
    const double dx = static_cast<double>(x - cloud.X);
    const double dy = static_cast<double>(y - cloud.Y);
    return std::sqrt(dx * dx + dy * dy);
}

bool PinInCloud(const TNOXpin& pin, const TNOXlc& cloud)
{
    return RoundedDistance(cloud, pin.X, pin.Y) < cloud.R;
}

bool CloudsOverlap(const TNOXlc& a, const TNOXlc& b)
{
    return static_cast<double>(a.R) + b.R > DistanceToCentre(a, b.X, b.Y);
}

bool PointOnOutline(const TNOXlc& cloud, std::int32_t x, std::int32_t y)
{
    return std::abs(RoundedDistance(cloud, x, y) - cloud.R) < 3;
}

bool PointOnPin(const TNOXpin& pin, std::int32_t x, std::int32_t y)
{
    const std::int64_t dx = std::int64_t{x} - pin.X;
    const std::int64_t dy = std::int64_t{y} - pin.Y;
    return dx >= -3 && dx <= 5 && dy >= -6 && dy <= 2;
}

// ---- lifecycle ------------------------------------------------------------------------------

void TCloudDiagram::Activate()
{
    Deactivate();
    active_ = true;
    autoPin_ = true;
    Notify(TDiagramChange::Reset);
}

void TCloudDiagram::Deactivate()
{
    const bool wasActive = active_;
    pins_.clear();
    current_ = nullptr;
    if (wasActive && OnSelect)
        OnSelect();
    clouds_.clear();
    active_ = false;
    extentWidth_ = 0;
    extentHeight_ = 0;
    if (wasActive)
        Notify(TDiagramChange::Reset);
}

void TCloudDiagram::Notify(TDiagramChange change) const
{
    if (OnChange)
        OnChange(change);
}

// ---- lists ----------------------------------------------------------------------------------

int TCloudDiagram::CloudCount() const
{
    return active_ ? static_cast<int>(clouds_.size()) : 0;
}

int TCloudDiagram::PinCount() const
{
    return active_ ? static_cast<int>(pins_.size()) : 0;
}

TNOXlc* TCloudDiagram::CloudAt(int index) const
{
    return index >= 0 && index < CloudCount() ? clouds_[static_cast<std::size_t>(index)].get() : nullptr;
}

TNOXpin* TCloudDiagram::PinAt(int index) const
{
    return index >= 0 && index < PinCount() ? pins_[static_cast<std::size_t>(index)].get() : nullptr;
}

TNOXlc* TCloudDiagram::AddCloud(const std::string& caption, const std::string& body, std::int32_t x, std::int32_t y,
                                std::int32_t r)
{
    if (!active_)
        return nullptr;
    auto cloud = std::make_unique<TNOXlc>();
    cloud->X = x;
    cloud->Y = y;
    cloud->R = r;
    cloud->SetDefaultCaptionOffset();
    cloud->SetCaption(caption);
    cloud->Body = body;
    TNOXlc* added = cloud.get();
    clouds_.push_back(std::move(cloud));
    SelectCloud(added);
    KeepInside(*added);
    // The first pin goes where the caller meant the cloud to be, not where the margin moved it.
    if (autoPin_ && pins_.empty())
        AddPin(SaturateToPixel(std::int64_t{x} - RoundedFraction(r, 1, 5)), y);
    Notify(TDiagramChange::Changed);
    return added;
}

TNOXpin* TCloudDiagram::AddPin(std::int32_t x, std::int32_t y)
{
    if (!active_)
        return nullptr;
    pins_.push_back(std::make_unique<TNOXpin>(TNOXpin{x, y}));
    Notify(TDiagramChange::Changed);
    return pins_.back().get();
}

void TCloudDiagram::DeletePin(const TNOXpin* pin)
{
    auto found = std::find_if(pins_.begin(), pins_.end(), [pin](const auto& p) { return p.get() == pin; });
    if (found == pins_.end())
        return;
    pins_.erase(found);
    Notify(TDiagramChange::Changed);
}

void TCloudDiagram::SelectCloud(TNOXlc* cloud)
{
    if (!active_)
        return;
    for (auto& each : clouds_)
        each->Selected = each.get() == cloud;
    current_ = cloud;
    if (OnSelect)
        OnSelect();
    Notify(TDiagramChange::Changed);
}

void TCloudDiagram::DeleteCurrentCloud()
{
    if (!active_ || !current_)
        return;
    // Gone from the list before anyone hears of it: the view drops a drag of it, the owner's
    // OnSelect counts the clouds that are left.
    const TNOXlc* doomed = current_;
    std::erase_if(clouds_, [doomed](const auto& c) { return c.get() == doomed; });
    Notify(TDiagramChange::CloudRemoved);
    SelectCloud(nullptr);
    if (OnDelete)
        OnDelete();
}

// ---- geometry -------------------------------------------------------------------------------

void TCloudDiagram::KeepInside(TNOXlc& cloud)
{
    if (std::int64_t{cloud.Y} - cloud.R - kMargin < 0)
        cloud.Y = SaturateToPixel(std::int64_t{cloud.R} + kMargin);
    if (std::int64_t{cloud.X} - cloud.R - kMargin < 0)
        cloud.X = SaturateToPixel(std::int64_t{cloud.R} + kMargin);
    extentHeight_ = std::max(extentHeight_, SaturateToPixel(std::int64_t{cloud.Y} + cloud.R + kMargin));
    extentWidth_ = std::max(extentWidth_, SaturateToPixel(std::int64_t{cloud.X} + cloud.R + kMargin));
}

void TCloudDiagram::MoveCloud(TNOXlc& cloud, std::int32_t x, std::int32_t y)
{
    cloud.X = x;
    cloud.Y = y;
    CloudChanged(cloud);
}

void TCloudDiagram::ResizeCloud(TNOXlc& cloud, std::int32_t r)
{
    cloud.R = r;
    cloud.SetDefaultCaptionOffset();
    CloudChanged(cloud);
}

void TCloudDiagram::CloudChanged(TNOXlc& cloud)
{
    if (!active_)
        return;
    KeepInside(cloud);
    Notify(TDiagramChange::Changed);
}

TNOXlc* TCloudDiagram::FirstCloudWithOutlineAt(std::int32_t x, std::int32_t y) const
{
    for (int i = 0; i < CloudCount(); ++i)
        if (PointOnOutline(*clouds_[i], x, y))
            return clouds_[i].get();
    return nullptr;
}

TNOXlc* TCloudDiagram::LastCloudWithOutlineAt(std::int32_t x, std::int32_t y) const
{
    for (int i = CloudCount() - 1; i >= 0; --i)
        if (PointOnOutline(*clouds_[i], x, y))
            return clouds_[i].get();
    return nullptr;
}

TNOXpin* TCloudDiagram::PinAtPoint(std::int32_t x, std::int32_t y) const
{
    for (int i = 0; i < PinCount(); ++i)
        if (PointOnPin(*pins_[i], x, y))
            return pins_[i].get();
    return nullptr;
}

// ---- regions and the expression -------------------------------------------------------------

std::string TCloudDiagram::RegionSignature(const TNOXpin& pin) const
{
    std::string signature;
    signature.reserve(clouds_.size());
    for (const auto& cloud : clouds_)
        signature += PinInCloud(pin, *cloud) ? 'T' : 'F';
    return signature;
}

bool TCloudDiagram::RemoveDuplicatePin()
{
    if (!active_)
        return false;
    std::vector<std::string> signatures;
    signatures.reserve(pins_.size());
    for (const auto& pin : pins_) {
        std::string signature = RegionSignature(*pin);
        auto earlier = std::find(signatures.begin(), signatures.end(), signature);
        if (earlier != signatures.end()) {
            DeletePin(pins_[static_cast<std::size_t>(earlier - signatures.begin())].get());
            return true;
        }
        signatures.push_back(std::move(signature));
    }
    return false;
}

void TCloudDiagram::RemoveAllDuplicatePins()
{
    while (RemoveDuplicatePin()) {
    }
}

std::string TCloudDiagram::OutsideAllTerm() const
{
    std::string term;
    for (const auto& cloud : clouds_) {
        if (!term.empty())
            term += " && ";
        term += "!(" + cloud->Body + ")";
    }
    return term;
}

// The clouds beside the first one that hold the pin are required; those that overlap the first
// one and every required one, and so could cut into the region, are excluded.
std::string TCloudDiagram::InsideTerm(const TNOXlc& first, const TNOXpin& pin) const
{
    std::string term = "(" + first.Body + ")";
    std::vector<const TNOXlc*> taken;
    auto neighbour = [&first](const TNOXlc& d) { return &d != &first && CloudsOverlap(first, d); };
    for (const auto& d : clouds_) {
        if (neighbour(*d) && PinInCloud(pin, *d)) {
            term += "\n && (" + d->Body + ")";
            taken.push_back(d.get());
        }
    }
    for (const auto& d : clouds_) {
        const bool isTaken = std::find(taken.begin(), taken.end(), d.get()) != taken.end();
        if (neighbour(*d) && !isTaken &&
            std::all_of(taken.begin(), taken.end(), [&d](const TNOXlc* t) { return CloudsOverlap(*d, *t); }))
            term += "\n && !(" + d->Body + ")";
    }
    return term;
}

std::string TCloudDiagram::RegionTerm(const TNOXpin& pin) const
{
    if (CloudCount() == 0)
        return kNoClouds;
    auto first = std::find_if(clouds_.begin(), clouds_.end(), [&pin](const auto& c) { return PinInCloud(pin, *c); });
    return first == clouds_.end() ? OutsideAllTerm() : InsideTerm(**first, pin);
}

std::string TCloudDiagram::BuildExpression()
{
    RemoveDuplicatePin();
    if (PinCount() == 0)
        return {};
    std::string expression = RegionTerm(*pins_.front());
    for (std::size_t i = 1; i < pins_.size(); ++i)
        expression = "(" + expression + ") \n|| (" + RegionTerm(*pins_[i]) + ")";
    return expression;
}

bool TCloudDiagram::IsComplete() const
{
    return CloudCount() > 0 && PinCount() > 0;
}

// ---- storing --------------------------------------------------------------------------------

std::string TCloudDiagram::SaveClouds() const
{
    TNoxPigger document;
    document.SetName("ALC");
    for (int i = 0; i < CloudCount(); ++i) {
        const TNOXlc& cloud = *clouds_[i];
        auto* element = new TNoxPigger(&document);  // owned by the document
        element->SetName("LC");
        element->SetAttr("caption", cloud.Caption);
        element->SetAttr("key", cloud.Key);
        SetNumberAttr(*element, "X", cloud.X);
        SetNumberAttr(*element, "Y", cloud.Y);
        SetNumberAttr(*element, "R", cloud.R);
        SetNumberAttr(*element, "CSX", cloud.CSX);
        SetNumberAttr(*element, "CSY", cloud.CSY);
        element->SetText(cloud.Body);
    }
    for (int i = 0; i < PinCount(); ++i) {
        auto* element = new TNoxPigger(&document);
        element->SetName("PIN");
        SetNumberAttr(*element, "X", pins_[i]->X);
        SetNumberAttr(*element, "Y", pins_[i]->Y);
    }
    return document.GetAsText();
}

void TCloudDiagram::LoadClouds(const std::string& text)
{
    Activate();
    // Loaded clouds bring their own pins; AutoPin comes back on however the loading ends.
    struct AutoPinOffWhileLoading {
        TCloudDiagram& diagram;
        bool saved;
        explicit AutoPinOffWhileLoading(TCloudDiagram& d) : diagram(d), saved(d.autoPin_) { d.autoPin_ = false; }
        ~AutoPinOffWhileLoading()
        {
            diagram.autoPin_ = saved;
            diagram.Notify(TDiagramChange::Reset);
        }
    } guard(*this);

    TNoxPigger document;
    document.SetAsText(text);
    for (int i = 0; i < document.ChildCount(); ++i) {
        const TNoxPigger& element = *document.Child(i);
        if (element.Name() == "LC")
            LoadCloud(element);
        else if (element.Name() == "PIN")
            LoadPin(element);
    }
}

void TCloudDiagram::LoadCloud(const TNoxPigger& element)
{
    const std::int32_t x = NumberAttr(element, "X");
    const std::int32_t y = NumberAttr(element, "Y");
    const std::int32_t r = NumberAttr(element, "R");
    TNOXlc* cloud = AddCloud(element.GetAttr("CAPTION"), element.Text(), x, y, r);
    cloud->Key = element.GetAttr("KEY");
    if (!element.GetAttr("CSX").empty())
        cloud->CSX = NumberAttr(element, "CSX");
    if (!element.GetAttr("CSY").empty())
        cloud->CSY = NumberAttr(element, "CSY");
}

void TCloudDiagram::LoadPin(const TNoxPigger& element)
{
    const std::int32_t y = NumberAttr(element, "Y");
    const std::int32_t x = NumberAttr(element, "X");
    AddPin(x, y);
}
