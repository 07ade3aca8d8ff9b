#include "kreller_gfs/decoders.h"
#include "kreller_gfs/graph_convertor.h"

#include <QColor>
#include <QImage>
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

// Records of a plain metafile: a window of width x height units, a red brush, and a rectangle
// from (left, top) to (right, bottom).
std::string WindowsMetafileRecords(int width, int height, int left, int top, int right, int bottom)
{
    std::string records;
    const auto record = [&records](int function, std::initializer_list<int> parameters) {
        Put32(records, 3 + static_cast<std::int64_t>(parameters.size()));
        Put16(records, function);
        for (int p : parameters)
            Put16(records, p);
    };
    record(0x020B, {0, 0});                                   // window origin y, x
    record(0x020C, {height, width});                          // window extent y, x
    record(0x02FC, {0, 0x00FF, 0x0000, 0});                   // solid brush, colour 0x000000FF
    record(0x012D, {0});                                      // select it
    record(0x041B, {bottom, right, top, left});               // rectangle
    record(0x0000, {});                                       // end
    std::string data;
    for (int v : {1, 9, 0x300})
        Put16(data, v);
    Put32(data, static_cast<std::int64_t>(18 + records.size()) / 2);
    Put16(data, 1), Put32(data, 7), Put16(data, 0);
    return data + records;
}

// A placeable metafile of the same drawing, 1440 units an inch: a size of width x height pixels.
std::string PlaceableMetafile(int width, int height, int left, int top, int right, int bottom)
{
    constexpr int kScale = 1440 / 96;
    std::string header = Placeable(0, 0, width * kScale, height * kScale, 1440).substr(0, 22);
    return header + WindowsMetafileRecords(width * kScale, height * kScale, left * kScale, top * kScale,
                                           right * kScale, bottom * kScale);
}

// An enhanced metafile of width x height pixels holding a green rectangle.
std::string EnhancedMetafile(int width, int height, int left, int top, int right, int bottom)
{
    std::string records;
    Put32(records, 39), Put32(records, 24), Put32(records, 1);  // brush 1: solid, 0x0000FF00
    Put32(records, 0), Put32(records, 0x0000FF00), Put32(records, 0);
    Put32(records, 37), Put32(records, 12), Put32(records, 1);  // select it
    Put32(records, 43), Put32(records, 24);                     // rectangle
    for (int v : {left, top, right, bottom})
        Put32(records, v);
    Put32(records, 14), Put32(records, 20), Put32(records, 0), Put32(records, 16), Put32(records, 20);  // end
    std::string data;
    Put32(data, 1), Put32(data, 88);
    for (int v : {0, 0, width - 1, height - 1})
        Put32(data, v);
    for (int v : {0, 0, width * 2540 / 96, height * 2540 / 96})
        Put32(data, v);
    Put32(data, 0x464D4520), Put32(data, 0x10000), Put32(data, 88 + static_cast<std::int64_t>(records.size()));
    Put32(data, 5), Put16(data, 2), Put16(data, 0), Put32(data, 0), Put32(data, 0), Put32(data, 0);
    for (int v : {1920, 1920, 508, 508})  // a device of 96 pixels an inch
        Put32(data, v);
    return data + records;
}

bool IsWhite(QRgb pixel)
{
    return qRed(pixel) > 240 && qGreen(pixel) > 240 && qBlue(pixel) > 240;
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

// The drawing keeps its place in the window: the rectangle's inside has its colour, the margin
// around it stays white (a picture cropped to its drawing would be coloured at the corners).
TEST(MetafileDrawing, DrawsTheRecordsAtTheHeaderSize)
{
    const struct {
        const char* what;
        std::string data;
        bool enhanced;
        QColor colour;
    } cases[] = {
        {"plain", WindowsMetafileRecords(96, 48, 24, 12, 72, 36), false, Qt::red},
        {"placeable", PlaceableMetafile(96, 48, 24, 12, 72, 36), false, Qt::red},
        {"enhanced", EnhancedMetafile(96, 48, 24, 12, 72, 36), true, Qt::green},
    };
    for (const auto& c : cases) {
        const QImage picture = gfs::DrawMetafile(c.data, c.enhanced);
        EXPECT_EQ(picture.size(), QSize(96, 48)) << c.what;
        EXPECT_EQ(QColor(picture.pixel(48, 24)), c.colour) << c.what;
        for (const QPoint corner : {QPoint(3, 3), QPoint(92, 44)})
            EXPECT_TRUE(IsWhite(picture.pixel(corner))) << c.what << " at " << corner.x() << "," << corner.y();
    }
}

TEST(MetafileDrawing, DamagedRecordsFail)
{
    std::string endless = WindowsMetafileRecords(96, 48, 24, 12, 72, 36);
    endless.replace(18 + 10 + 10, 4, "\xFF\xFF\xFF\x7F");  // the brush record claims 4 GB
    const struct {
        const char* what;
        std::string data;
        bool enhanced;
    } cases[] = {
        {"plain, endless record", endless, false},
        {"enhanced, records cut", EnhancedMetafile(96, 48, 24, 12, 72, 36).substr(0, 100), true},
    };
    for (const auto& c : cases)
        EXPECT_THROW(gfs::DrawMetafile(c.data, c.enhanced), gfs::EGraphicError) << c.what;
}

} // namespace
