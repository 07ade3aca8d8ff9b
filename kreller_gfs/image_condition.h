#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace gfs {

// The four kinds of picture the condition can ask for.
enum class TImageMode { Portraits, Landscapes, Banners, Custom };

inline constexpr int kModeCount = 4;
inline constexpr std::array<const char*, kModeCount> kModeCaptions = {
    "Portraits only", "Landscapes only", "Banner/button standard sizes", "Custom sizes"};

inline constexpr int kBannerCount = 13;
inline constexpr std::array<const char*, kBannerCount> kBannerSizes = {
    "120 x 600", "160 x 600", "468 x 60",  "88 x 31",   "120 x 90",  "120 x 60", "120 x 240",
    "125 x 125", "300 x 230", "250 x 250", "240 x 400", "336 x 280", "180 x 150"};

inline constexpr int kFileTypeCount = 4;
inline constexpr std::array<const char*, kFileTypeCount> kFileTypes = {"BMP", "GIF", "JPG", "JPEG"};

inline constexpr int kBoundMin = 1;
inline constexpr int kBoundMax = 9999;

struct TPictureSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const TPictureSize&) const = default;
};

// Width and height of a banner size text ("468 x 60"); none when either part is not an integer.
std::optional<TPictureSize> ParseBannerSize(std::string_view text);

// A bound value clamped to 1..9999.
int ClampBound(long long value);

// A bound field's text as its value: an integer is clamped, any other text counts as 1.
int BoundFromText(std::string_view text);

// The picture size condition. The two square boxes belong to it but never travel in its text.
struct TImageCondition {
    std::optional<TImageMode> Mode;
    bool SquarePortraits = false;
    bool SquareLandscapes = false;
    std::array<bool, kBannerCount> Banners{};
    std::array<bool, kFileTypeCount> FileTypes{true, true, true, true};
    int HMin = 1;
    int HMax = 100;
    int WMin = 1;
    int WMax = 100;

    // What the Reset button leaves: no mode, no banner size, every type, bounds 1..100; the square
    // boxes stay as they are.
    TImageCondition Reset() const;

    // True when the name's extension is one of the ticked file types.
    bool AcceptExt(std::string_view path) const;

    // The size test on a picture of the given size.
    bool Meets(TPictureSize size) const;

    // The condition text, lines ended by CR LF; empty when no mode is chosen.
    std::string Text() const;

    // This condition with a condition text taken over. An empty text changes nothing; the square
    // boxes are never changed by a text.
    TImageCondition WithText(std::string_view text) const;

    bool operator==(const TImageCondition&) const = default;
};

// The file name's extension, upper-cased by the ASCII rule, without its dot; empty when none.
std::string UpperExtension(std::string_view path);

} // namespace gfs
