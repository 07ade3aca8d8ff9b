#include "kreller_gfs/image_condition.h"

#include <gtest/gtest.h>

namespace {

using gfs::TImageCondition;
using gfs::TImageMode;
using gfs::TPictureSize;

TImageCondition WithMode(TImageMode mode)
{
    TImageCondition condition;
    condition.Mode = mode;
    return condition;
}

int BannerIndex(const char* size)
{
    for (int i = 0; i < gfs::kBannerCount; ++i)
        if (std::string(gfs::kBannerSizes[i]) == size)
            return i;
    return -1;
}

TEST(ImageCondition, ModesTestWidthAgainstHeight)
{
    TImageCondition portraits = WithMode(TImageMode::Portraits);
    TImageCondition squarePortraits = portraits;
    squarePortraits.SquarePortraits = true;
    TImageCondition landscapes = WithMode(TImageMode::Landscapes);
    TImageCondition squareLandscapes = landscapes;
    squareLandscapes.SquareLandscapes = true;
    TImageCondition custom = WithMode(TImageMode::Custom);
    custom.HMin = 50, custom.HMax = 100, custom.WMin = 20, custom.WMax = 30;
    TImageCondition crossed = WithMode(TImageMode::Custom);
    crossed.HMin = 60, crossed.HMax = 50;
    TImageCondition banners = WithMode(TImageMode::Banners);
    banners.Banners[BannerIndex("468 x 60")] = true;

    const struct {
        const char* what;
        const TImageCondition& condition;
        int width, height;
        bool passes;
    } cases[] = {
        {"portrait", portraits, 100, 200, true},
        {"portrait, square", portraits, 200, 200, false},
        {"portrait, landscape", portraits, 200, 100, false},
        {"portrait, square box", squarePortraits, 200, 200, true},
        {"portrait box leaves landscapes alone", squareLandscapes, 200, 200, true},
        {"landscape", landscapes, 200, 100, true},
        {"landscape, square", landscapes, 200, 200, false},
        {"landscape, portrait", landscapes, 100, 200, false},
        {"landscape, portrait box", [] { auto c = WithMode(TImageMode::Landscapes); c.SquarePortraits = true; return c; }(), 200, 200, false},
        {"custom, lower corner", custom, 20, 50, true},
        {"custom, inside", custom, 25, 50, true},
        {"custom, upper corner", custom, 30, 100, true},
        {"custom, width below", custom, 19, 60, false},
        {"custom, width above", custom, 31, 60, false},
        {"custom, height above", custom, 25, 101, false},
        {"custom, height below", custom, 25, 49, false},
        {"custom, crossed bounds", crossed, 10, 55, false},
        {"banner", banners, 468, 60, true},
        {"banner turned", banners, 60, 468, false},
        {"banner not ticked", banners, 120, 600, false},
        {"no mode", TImageCondition{}, 100, 200, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.condition.Meets({c.width, c.height}), c.passes) << c.what;
}

TEST(ImageCondition, EveryBannerSizeReadsAsItsOwnSize)
{
    for (int i = 0; i < gfs::kBannerCount; ++i) {
        TImageCondition only = WithMode(TImageMode::Banners);
        only.Banners[i] = true;
        const std::optional<TPictureSize> size = gfs::ParseBannerSize(gfs::kBannerSizes[i]);
        ASSERT_TRUE(size) << gfs::kBannerSizes[i];
        EXPECT_TRUE(only.Meets(*size)) << gfs::kBannerSizes[i];
        EXPECT_FALSE(WithMode(TImageMode::Banners).Meets(*size)) << gfs::kBannerSizes[i];
    }
    EXPECT_EQ(gfs::ParseBannerSize(" 12x 7 "), (TPictureSize{12, 7}));
    EXPECT_FALSE(gfs::ParseBannerSize("12 by 7"));
    EXPECT_FALSE(gfs::ParseBannerSize("12 x seven"));
    EXPECT_FALSE(gfs::ParseBannerSize("99999999999 x 7"));
}

TEST(ImageCondition, AcceptsTickedTypesByExtension)
{
    TImageCondition noGif;
    noGif.FileTypes[1] = false;
    const struct {
        const char* path;
        bool accepted;
    } cases[] = {
        {"/p/picture.JPEG", true}, {"/p/picture.jpg", true}, {"/p/picture.Bmp", true},
        {"/p/picture.jpe", false}, {"/p/picture", false},   {"/p.jpg/picture", false},
        {"/p/picture.gif", false}, {"/p/picture.jpg.txt", false}, {"/p/picture.", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(noGif.AcceptExt(c.path), c.accepted) << c.path;
}

TEST(ImageCondition, TextAfterChoosingCustomSizesHasTwentyTwoLines)
{
    const std::string text = WithMode(TImageMode::Custom).Text();
    std::string expected = "Custom sizes\r\n";
    for (const char* size : gfs::kBannerSizes)
        expected += std::string(size) + "=N\r\n";
    expected += "BMP=Y\r\nGIF=Y\r\nJPG=Y\r\nJPEG=Y\r\nHMIN=1\r\nHMAX=100\r\nWMIN=1\r\nWMAX=100\r\n";
    EXPECT_EQ(text, expected);
    EXPECT_EQ(TImageCondition{}.Text(), "");
}

TEST(ImageCondition, TextRoundTripsEverythingButTheSquareBoxes)
{
    TImageCondition condition = WithMode(TImageMode::Banners);
    condition.Banners[0] = condition.Banners[12] = true;
    condition.FileTypes = {false, true, false, true};
    condition.HMin = 7, condition.HMax = 9999, condition.WMin = 3, condition.WMax = 42;
    TImageCondition other;
    other.SquarePortraits = true;
    TImageCondition expected = condition;
    expected.SquarePortraits = true;
    EXPECT_EQ(other.WithText(condition.Text()), expected);
}

TEST(ImageCondition, TakingOverText)
{
    TImageCondition previous = WithMode(TImageMode::Portraits);
    previous.SquareLandscapes = true;
    previous.HMin = 5, previous.HMax = 6, previous.WMin = 7, previous.WMax = 8;

    TImageCondition lone = previous;
    lone.Mode = TImageMode::Landscapes;
    lone.FileTypes = {};
    lone.HMin = lone.HMax = lone.WMin = lone.WMax = 1;

    TImageCondition numbers = previous;
    numbers.Mode = TImageMode::Custom;
    numbers.FileTypes = {false, false, true, false};
    numbers.HMin = 5;     // "abc" keeps the field
    numbers.HMax = 9999;  // clamped
    numbers.WMin = 1;     // clamped from below
    numbers.WMax = 1;     // empty

    TImageCondition unknown = previous;
    unknown.Mode.reset();
    unknown.FileTypes = {};
    unknown.HMin = unknown.HMax = unknown.WMin = unknown.WMax = 1;

    TImageCondition firstWins = lone;
    firstWins.Mode = TImageMode::Banners;
    firstWins.Banners[BannerIndex("468 x 60")] = true;
    firstWins.FileTypes = {false, true, false, false};
    firstWins.HMax = 20;

    const struct {
        const char* what;
        std::string text;
        TImageCondition expected;
    } cases[] = {
        {"empty text keeps everything", "", previous},
        {"lone landscape line", "Landscapes only\r\n", lone},
        {"LF and case blind mode", "LANDSCAPES ONLY\n", lone},
        {"CR only, no last end", "landscapes only", lone},
        {"numbers", "Custom sizes\rjpg=Y\rHMIN=abc\rHMAX=123456789012345678901\rWMIN=-4\rWMAX=\r", numbers},
        {"unknown mode", "Everything\r\n", unknown},
        {"first line of a name counts, value exactly Y",
         "Banner/button standard sizes\r\nGIF=Y\r\nGIF=N\r\nJPG=y\r\nBMP=Y \r\n468 X 60=Y\r\nHMAX=20\r\nHMAX=30\r\n",
         firstWins},
    };
    for (const auto& c : cases)
        EXPECT_EQ(previous.WithText(c.text), c.expected) << c.what;
}

TEST(ImageCondition, ResetKeepsOnlyTheSquareBoxes)
{
    TImageCondition condition = WithMode(TImageMode::Custom);
    condition.SquarePortraits = true;
    condition.Banners[3] = true;
    condition.FileTypes = {};
    condition.HMin = 40;
    TImageCondition expected;
    expected.SquarePortraits = true;
    EXPECT_EQ(condition.Reset(), expected);
    EXPECT_EQ(condition.Reset().Text(), "");
}

TEST(ImageCondition, BoundFieldText)
{
    const struct {
        const char* text;
        int value;
    } cases[] = {{"250", 250}, {" 12 ", 12}, {"0", 1}, {"10000", 9999}, {"", 1}, {"12a", 1}, {"-7", 1}};
    for (const auto& c : cases)
        EXPECT_EQ(gfs::BoundFromText(c.text), c.value) << c.text;
}

} // namespace
