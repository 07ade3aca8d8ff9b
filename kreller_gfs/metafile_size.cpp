#include "kreller_gfs/decoders.h"
#include "kreller_gfs/graph_convertor.h"

#include <cstdint>
#include <cstdlib>

namespace gfs {
namespace {

constexpr int kScreenDpi = 96;
constexpr int kLargestSide = 16384;

std::uint32_t U32(const std::string& data, std::size_t at)
{
    const auto* b = reinterpret_cast<const unsigned char*>(data.data() + at);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::int32_t I32(const std::string& data, std::size_t at)
{
    return static_cast<std::int32_t>(U32(data, at));
}

std::uint16_t U16(const std::string& data, std::size_t at)
{
    const auto* b = reinterpret_cast<const unsigned char*>(data.data() + at);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::int16_t I16(const std::string& data, std::size_t at)
{
    return static_cast<std::int16_t>(U16(data, at));
}

TPictureSize Checked(long long width, long long height)
{
    width = std::llabs(width);
    height = std::llabs(height);
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide)
        throw EGraphicError("Metafile has no usable size");
    return {static_cast<int>(width), static_cast<int>(height)};
}

// A placeable metafile states its bounds in units of 1/inch of an inch.
TPictureSize PlaceableSize(const std::string& data)
{
    const int inch = U16(data, 14);
    if (inch == 0)
        throw EGraphicError("Metafile has no usable size");
    const long long width = I16(data, 10) - I16(data, 6);
    const long long height = I16(data, 12) - I16(data, 8);
    return Checked(width * kScreenDpi / inch, height * kScreenDpi / inch);
}

// A plain metafile has no bounds of its own: its window extent record gives the size.
TPictureSize WindowExtentSize(const std::string& data)
{
    constexpr std::uint16_t kSetWindowExt = 0x020C;
    if (data.size() < 18)
        throw EGraphicError("Metafile header is incomplete");
    std::size_t at = static_cast<std::size_t>(U16(data, 2)) * 2;
    while (at + 6 <= data.size()) {
        const std::uint64_t length = static_cast<std::uint64_t>(U32(data, at)) * 2;
        if (length < 6 || at + length > data.size())
            break;
        if (U16(data, at + 4) == kSetWindowExt && length >= 10)
            return Checked(I16(data, at + 8), I16(data, at + 6));
        at += length;
    }
    throw EGraphicError("Metafile has no usable size");
}

TPictureSize WindowsMetafileSize(const std::string& data)
{
    return IsPlaceableMetafile(data) ? PlaceableSize(data) : WindowExtentSize(data);
}

// The frame (in 0.01 mm) turned into pixels of the reference device the header names; the bounds
// in device pixels when the header names no device.
TPictureSize EnhancedMetafileSize(const std::string& data)
{
    constexpr std::uint32_t kSignature = 0x464D4520;
    if (data.size() < 88 || U32(data, 0) != 1 || U32(data, 40) != kSignature)
        throw EGraphicError("Not an enhanced metafile");
    const long long deviceX = I32(data, 72), deviceY = I32(data, 76);
    const long long millimetresX = I32(data, 80), millimetresY = I32(data, 84);
    if (deviceX > 0 && deviceY > 0 && millimetresX > 0 && millimetresY > 0) {
        const long long frameWidth = static_cast<long long>(I32(data, 32)) - I32(data, 24);
        const long long frameHeight = static_cast<long long>(I32(data, 36)) - I32(data, 28);
        return Checked(frameWidth * deviceX / (millimetresX * 100), frameHeight * deviceY / (millimetresY * 100));
    }
    return Checked(static_cast<long long>(I32(data, 16)) - I32(data, 8) + 1,
                   static_cast<long long>(I32(data, 20)) - I32(data, 12) + 1);
}

} // namespace

bool IsPlaceableMetafile(const std::string& data)
{
    constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
    return data.size() >= 22 && U32(data, 0) == kPlaceableKey;
}

TPictureSize MetafileSize(const std::string& data, bool enhanced)
{
    return enhanced ? EnhancedMetafileSize(data) : WindowsMetafileSize(data);
}

} // namespace gfs
