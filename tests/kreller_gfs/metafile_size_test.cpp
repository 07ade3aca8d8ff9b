#include "kreller_gfs/decoders.h"
#include "kreller_gfs/graph_convertor.h"

#include <cstdint>
#include <gtest/gtest.h>

namespace {

using gfs::TPictureSize;

void Put16(std::string& data, int value)
{
    data += static_cast<char>(value & 0xFF);
    data += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& data, std::int64_t value)
{
    Put16(data, static_cast<int>(value & 0xFFFF));
    Put16(data, static_cast<int>((value >> 16) & 0xFFFF));
}

std::string Placeable(int left, int top, int right, int bottom, int inch)
{
    std::string data;
    Put32(data, 0x9AC6CDD7);
    Put16(data, 0);
    for (int v : {left, top, right, bottom, inch})
        Put16(data, v);
    Put32(data, 0);
    Put16(data, 0);
    return data + std::string(18, '\0');
}

// A plain metafile header followed by a few records, one of them the window extent.
std::string WithWindowExtent(int width, int height)
{
    std::string data;
    for (int v : {1, 9, 0x300})
        Put16(data, v);
    data += std::string(12, '\0');
    Put32(data, 4), Put16(data, 0x0103), Put16(data, 8);  // a mapping mode record
    Put32(data, 5), Put16(data, 0x020C), Put16(data, height), Put16(data, width);
    Put32(data, 3), Put16(data, 0);
    return data;
}

std::string Enhanced(int frameWidth, int frameHeight, int deviceX, int deviceY, int millimetresX, int millimetresY)
{
    std::string data;
    Put32(data, 1), Put32(data, 108);
    for (int v : {0, 0, 99, 49})  // bounds in device pixels
        Put32(data, v);
    for (int v : {0, 0, frameWidth, frameHeight})
        Put32(data, v);
    Put32(data, 0x464D4520), Put32(data, 0x10000), Put32(data, 108), Put32(data, 1);
    Put16(data, 1), Put16(data, 0), Put32(data, 0), Put32(data, 0), Put32(data, 0);
    for (int v : {deviceX, deviceY, millimetresX, millimetresY})
        Put32(data, v);
    return data + std::string(20, '\0');
}

TEST(MetafileSize, SizesFromHeaders)
{
    const struct {
        const char* what;
        std::string data;
        bool enhanced;
        TPictureSize size;
    } cases[] = {
        {"placeable, 1440 units an inch", Placeable(0, 0, 2880, 1440, 1440), false, {192, 96}},
        {"placeable, reversed corners", Placeable(100, 100, 0, 0, 96), false, {100, 100}},
        {"window extent", WithWindowExtent(640, 480), false, {640, 480}},
        {"enhanced, 1920 px on 480 mm", Enhanced(10000, 5000, 1920, 1080, 480, 270), true, {400, 200}},
        {"enhanced without device", Enhanced(10000, 5000, 0, 0, 0, 0), true, {100, 50}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(gfs::MetafileSize(c.data, c.enhanced), c.size) << c.what;
}

TEST(MetafileSize, UnusableHeadersFail)
{
    const struct {
        const char* what;
        std::string data;
        bool enhanced;
    } cases[] = {
        {"empty", "", false},
        {"placeable without units", Placeable(0, 0, 10, 10, 0), false},
        {"placeable without area", Placeable(5, 5, 5, 9, 96), false},
        {"plain without window extent", WithWindowExtent(640, 480).substr(0, 26), false},
        {"endless record", WithWindowExtent(640, 480).replace(18, 4, "\xFF\xFF\xFF\xFF"), false},
        {"enhanced, cut", Enhanced(100, 100, 1, 1, 1, 1).substr(0, 60), true},
        {"enhanced, wrong signature", Enhanced(100, 100, 1, 1, 1, 1).replace(40, 4, "EMF "), true},
        {"enhanced, too large", Enhanced(2000000000, 100, 1920, 1080, 1, 1), true},
    };
    for (const auto& c : cases)
        EXPECT_THROW(gfs::MetafileSize(c.data, c.enhanced), gfs::EGraphicError) << c.what;
}

} // namespace
