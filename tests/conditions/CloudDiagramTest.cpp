#include "FakeExists.h"
#include "conditions/CloudDiagram.h"
#include "conditions/ParsGlob.h"
#include "conditions/Parser.h"
#include "tagged/NoxPigger.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

TNOXlc Cloud(std::int32_t x, std::int32_t y, std::int32_t r)
{
    TNOXlc cloud;
    cloud.X = x;
    cloud.Y = y;
    cloud.R = r;
    return cloud;
}

std::vector<TNOXlc> CloudsOf(const TCloudDiagram& diagram)
{
    std::vector<TNOXlc> clouds;
    for (int i = 0; i < diagram.CloudCount(); ++i)
        clouds.push_back(*diagram.CloudAt(i));
    return clouds;
}

std::vector<TNOXpin> PinsOf(const TCloudDiagram& diagram)
{
    std::vector<TNOXpin> pins;
    for (int i = 0; i < diagram.PinCount(); ++i)
        pins.push_back(*diagram.PinAt(i));
    return pins;
}

// An active diagram that adds no pins of its own, so each test places exactly the pins it names.
class Diagram : public testing::Test {
protected:
    void SetUp() override
    {
        diagram.Activate();
        diagram.SetAutoPin(false);
    }

    TNOXlc* Add(const char* keyword, std::int32_t x, std::int32_t y, std::int32_t r)
    {
        return diagram.AddCloud(keyword, std::string("EXISTS('") + keyword + "')", x, y, r);
    }

    TCloudDiagram diagram;
};

// ---- geometry -------------------------------------------------------------------------------

struct PinCase {
    TNOXpin pin;
    bool inside;
};

TEST(CloudGeometry, APinIsInsideWhenItsRoundedDistanceIsBelowTheRadius)
{
    const TNOXlc cloud = Cloud(100, 100, 60);
    const PinCase cases[] = {
        {{100, 100}, true},  // the centre
        {{159, 100}, true},  // R - 1
        {{160, 100}, false}, // exactly R
        {{142, 142}, true},  // 59.40 rounds to 59
        {{143, 142}, false}, // 60.11 rounds to 60
        {{136, 148}, false}, // 60.00 on a diagonal
        {{40, 100}, false},  // R on the other side
    };
    for (const PinCase& c : cases)
        EXPECT_EQ(PinInCloud(c.pin, cloud), c.inside) << "pin at " << c.pin.X << "," << c.pin.Y;
}

TEST(CloudGeometry, TouchingCloudsDoNotOverlap)
{
    const TNOXlc a = Cloud(100, 100, 60);
    EXPECT_FALSE(CloudsOverlap(a, Cloud(200, 100, 40)));  // centres exactly 100 apart
    EXPECT_TRUE(CloudsOverlap(a, Cloud(199, 100, 40)));
    EXPECT_FALSE(CloudsOverlap(a, Cloud(160, 180, 40)));  // 100 apart on a diagonal
    EXPECT_TRUE(CloudsOverlap(a, Cloud(100, 100, 10)));   // one inside the other
}

TEST(CloudGeometry, CaptionOffsetsRoundTiesToEven)
{
    struct Case {
        std::int32_t r, csx, csy;
    };
    const Case cases[] = {
        {60, 18, 21}, {80, 24, 28}, {40, 12, 14},
        {15, 4, 5},   // 4.5 goes down to 4
        {5, 2, 2},    // 1.5 goes up to 2, 1.75 to 2
        {30, 9, 10},  // 10.5 goes down to 10
        {70, 21, 24}, // 24.5 goes down to 24
        {90, 27, 32}, // 31.5 goes up to 32, though 90 * 0.35 falls short of it in floating point
        {170, 51, 60},
        {-15, -4, -5}, // -4.5 goes up to -4, -5.25 to -5
        {-5, -2, -2},
        {0, 0, 0},
    };
    for (const Case& c : cases) {
        TNOXlc cloud = Cloud(0, 0, c.r);
        cloud.SetDefaultCaptionOffset();
        EXPECT_EQ(cloud.CSX, c.csx) << "R " << c.r;
        EXPECT_EQ(cloud.CSY, c.csy) << "R " << c.r;
    }
}

TEST(CloudGeometry, OutlineAndTickHitAreas)
{
    const TNOXlc cloud = Cloud(100, 100, 60);
    EXPECT_TRUE(PointOnOutline(cloud, 162, 100));
    EXPECT_TRUE(PointOnOutline(cloud, 100, 38));
    EXPECT_FALSE(PointOnOutline(cloud, 163, 100));
    EXPECT_FALSE(PointOnOutline(cloud, 157, 100));
    EXPECT_FALSE(PointOnOutline(cloud, 130, 100));

    const TNOXpin pin{50, 50};
    for (auto [x, y] : {std::pair{47, 44}, {55, 52}, {50, 50}})
        EXPECT_TRUE(PointOnPin(pin, x, y)) << x << "," << y;
    for (auto [x, y] : {std::pair{46, 50}, {56, 50}, {50, 43}, {50, 53}})
        EXPECT_FALSE(PointOnPin(pin, x, y)) << x << "," << y;
}

// ---- adding and deleting --------------------------------------------------------------------

TEST_F(Diagram, CloudsKeepAFivePixelMarginAndTheAreaGrowsToHoldThem)
{
    struct Case {
        std::int32_t x, y, r, keptX, keptY;
    };
    const Case cases[] = {
        {80, 40, 60, 80, 65},   // the Context kreller's first keyword cloud
        {10, 10, 20, 25, 25},
        {25, 25, 20, 25, 25},   // exactly on the margin stays
        {300, 200, 50, 300, 200},
    };
    for (const Case& c : cases) {
        const TNOXlc* cloud = Add("K", c.x, c.y, c.r);
        EXPECT_EQ(cloud->X, c.keptX);
        EXPECT_EQ(cloud->Y, c.keptY);
    }
    EXPECT_EQ(diagram.ExtentWidth(), 355);
    EXPECT_EQ(diagram.ExtentHeight(), 255);
    diagram.MoveCloud(*diagram.CloudAt(3), 10, 10);
    EXPECT_EQ(diagram.ExtentWidth(), 355) << "the area never shrinks";
    EXPECT_EQ(diagram.CloudAt(3)->X, 55);
}

TEST(DiagramPins, TheFirstCloudGetsAPinWhereTheCallerMeantIt)
{
    TCloudDiagram diagram;
    diagram.Activate();
    diagram.AddCloud("first", "EXISTS('A')", 80, 40, 60);
    ASSERT_EQ(diagram.PinCount(), 1);
    EXPECT_EQ(*diagram.PinAt(0), (TNOXpin{68, 40}));
    diagram.AddCloud("second", "EXISTS('B')", 200, 40, 60);
    EXPECT_EQ(diagram.PinCount(), 1);

    diagram.Activate();
    diagram.SetAutoPin(false);
    diagram.AddCloud("unpinned", "EXISTS('A')", 80, 40, 60);
    EXPECT_EQ(diagram.PinCount(), 0);
}

TEST(DiagramPins, AnInactiveDiagramDoesNothing)
{
    TCloudDiagram diagram;
    EXPECT_EQ(diagram.AddCloud("a", "EXISTS('A')", 80, 80, 60), nullptr);
    EXPECT_EQ(diagram.AddPin(5, 5), nullptr);
    EXPECT_EQ(diagram.CloudCount(), 0);
    EXPECT_EQ(diagram.CloudAt(0), nullptr);
    EXPECT_EQ(diagram.BuildExpression(), "");
    EXPECT_FALSE(diagram.IsComplete());

    diagram.Activate();
    diagram.AddCloud("a", "EXISTS('A')", 80, 80, 60);
    EXPECT_TRUE(diagram.IsComplete());
    diagram.Deactivate();
    EXPECT_FALSE(diagram.IsComplete());
    EXPECT_EQ(diagram.CloudCount(), 0);
    EXPECT_EQ(diagram.CurrentCloud(), nullptr);
}

TEST_F(Diagram, SelectingAndDeletingTellTheOwner)
{
    int selects = 0;
    int deletes = 0;
    int cloudsSeenBySelect = -1;
    diagram.OnSelect = [&] {
        ++selects;
        cloudsSeenBySelect = diagram.CloudCount();
    };
    diagram.OnDelete = [&] { ++deletes; };
    TNOXlc* a = Add("A", 100, 100, 60);
    TNOXlc* b = Add("B", 300, 100, 60);
    EXPECT_EQ(selects, 2);
    EXPECT_EQ(diagram.CurrentCloud(), b);
    diagram.SelectCloud(a);
    EXPECT_TRUE(a->Selected);
    EXPECT_FALSE(b->Selected);

    diagram.DeleteCurrentCloud();
    EXPECT_EQ(deletes, 1);
    EXPECT_EQ(cloudsSeenBySelect, 1) << "the deleted cloud is gone before the owner hears of it";
    EXPECT_EQ(diagram.CurrentCloud(), nullptr);
    ASSERT_EQ(diagram.CloudCount(), 1);
    EXPECT_EQ(diagram.CloudAt(0), b);
    diagram.DeleteCurrentCloud();
    EXPECT_EQ(deletes, 1) << "nothing is current";
    EXPECT_EQ(diagram.CloudCount(), 1);
}

TEST_F(Diagram, ThreePinsInOneRegionLeaveTheThird)
{
    Add("A", 100, 100, 60);
    diagram.AddPin(90, 90);
    diagram.AddPin(300, 300);  // outside: a region of its own
    diagram.AddPin(110, 100);
    diagram.AddPin(100, 120);
    diagram.RemoveAllDuplicatePins();
    EXPECT_EQ(PinsOf(diagram), (std::vector<TNOXpin>{{300, 300}, {100, 120}}));
}

TEST_F(Diagram, DeletingAPinThatIsNotListedIsIgnored)
{
    diagram.AddPin(10, 10);
    const TNOXpin stranger{10, 10};
    diagram.DeletePin(&stranger);
    EXPECT_EQ(diagram.PinCount(), 1);
    diagram.DeletePin(diagram.PinAt(0));
    EXPECT_EQ(diagram.PinCount(), 0);
}

// ---- region terms and the expression --------------------------------------------------------

TEST_F(Diagram, RegionTermsNameOnlyTheCloudsThatCanMeetTheRegion)
{
    struct Case {
        const char* what;
        TNOXpin pin;
        const char* term;
    };
    Add("A", 100, 100, 60);
    Add("B", 200, 100, 40);  // touches A
    Add("D", 100, 190, 50);  // overlaps A, not B
    Add("E", 150, 60, 40);   // overlaps A and B
    const Case cases[] = {
        {"in A alone", {70, 100}, "(EXISTS('A'))\n && !(EXISTS('D'))\n && !(EXISTS('E'))"},
        {"in B alone", {220, 100}, "(EXISTS('B'))\n && !(EXISTS('E'))"},
        {"in A and D", {100, 150}, "(EXISTS('A'))\n && (EXISTS('D'))"},  // E meets A but not D
        {"in A and E", {140, 80}, "(EXISTS('A'))\n && (EXISTS('E'))"},    // D meets A but not E
        {"outside all", {400, 400}, "!(EXISTS('A')) && !(EXISTS('B')) && !(EXISTS('D')) && !(EXISTS('E'))"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(diagram.RegionTerm(c.pin), c.term) << c.what;
}

TEST_F(Diagram, SimpleDiagramsGiveSimpleExpressions)
{
    diagram.AddPin(300, 300);
    EXPECT_EQ(diagram.RegionTerm(*diagram.PinAt(0)), "0=1");
    Add("A", 100, 100, 60);
    EXPECT_EQ(diagram.BuildExpression(), "!(EXISTS('A'))");
    diagram.DeletePin(diagram.PinAt(0));
    EXPECT_EQ(diagram.BuildExpression(), "") << "no pins";
    diagram.AddPin(100, 100);
    EXPECT_EQ(diagram.BuildExpression(), "(EXISTS('A'))");
}

class WorkedExample : public Diagram {
protected:
    void SetUp() override
    {
        Diagram::SetUp();
        Add("A", 100, 100, 60);
        Add("B", 180, 100, 60);
        Add("C", 400, 100, 50);
        diagram.AddPin(60, 100);   // in A only
        diagram.AddPin(140, 100);  // in A and B
        diagram.AddPin(300, 250);  // outside all
    }
    void TearDown() override { FakeFileText().clear(); }
};

TEST_F(WorkedExample, GivesTheExpressionTextExactly)
{
    EXPECT_EQ(diagram.BuildExpression(),
              "(((EXISTS('A'))\n && !(EXISTS('B'))) \n|| ((EXISTS('A'))\n && (EXISTS('B')))) \n"
              "|| (!(EXISTS('A')) && !(EXISTS('B')) && !(EXISTS('C')))");
}

TEST_F(WorkedExample, PassesExactlyTheFilesOfThePinnedRegions)
{
    TFunctionRegistry functions;
    functions.Register("EXISTS", FakeExists);
    const std::string expression = diagram.BuildExpression();
    TExprParser parser(functions);
    for (const std::string text : {"", "A", "B", "C", "AB", "AC", "BC", "ABC"}) {
        FakeFileText() = text;
        const bool a = text.find('A') != std::string::npos;
        const bool b = text.find('B') != std::string::npos;
        const bool c = text.find('C') != std::string::npos;
        const bool expected = (a && !b) || (a && b) || (!a && !b && !c);
        EXPECT_EQ(parser.Evaluate(expression), ExprValue::MakeBoolean(expected)) << "file text " << text;
    }
}

TEST_F(WorkedExample, BuildingTheExpressionRemovesOneDuplicatePin)
{
    diagram.AddPin(70, 110);  // in A only, placed after the first
    diagram.AddPin(290, 240); // outside all
    diagram.BuildExpression();
    EXPECT_EQ(PinsOf(diagram), (std::vector<TNOXpin>{{140, 100}, {300, 250}, {70, 110}, {290, 240}}));
}

// ---- storing and loading --------------------------------------------------------------------

TEST(StoredClouds, OneKeywordCloudIsWrittenAsSixLines)
{
    TCloudDiagram diagram;
    diagram.Activate();
    diagram.AddCloud("Context:\"invoice\"", "EXISTS('INVOICE')", 80, 40, 60);
    diagram.AddPin(90, 75);
    diagram.RemoveDuplicatePin();
    EXPECT_EQ(diagram.SaveClouds(), "\r\n<ALC>"
                                    "\r\n\t<LC CAPTION=\"Context:%22invoice%22\" X=\"80\" Y=\"65\" R=\"60\" CSX=\"18\" "
                                    "CSY=\"21\">EXISTS('INVOICE')"
                                    "\r\n\t</LC>"
                                    "\r\n\t<PIN X=\"90\" Y=\"75\"/>"
                                    "\r\n</ALC>");
}

TEST_F(Diagram, StoringAndLoadingGivesTheSameDiagram)
{
    TNOXlc* a = Add("A", 100, 100, 60);
    a->Key = "key of A";
    a->Caption = "  \"quoted\" <caption> 100% ";
    a->Body = " EXISTS('A') &&\nEXISTS('<%>') ";
    TNOXlc* b = Add("B", 180, 120, 45);
    b->CSX = -7;
    b->CSY = 300;
    Add("C", 400, 100, 50);
    diagram.AddPin(140, 100);
    diagram.AddPin(-5, 0);
    diagram.AddPin(60, 100);

    TCloudDiagram loaded;
    loaded.LoadClouds(diagram.SaveClouds());
    EXPECT_EQ(CloudsOf(loaded), CloudsOf(diagram));
    EXPECT_EQ(PinsOf(loaded), PinsOf(diagram));
    EXPECT_EQ(loaded.CurrentCloud(), loaded.CloudAt(2));
    EXPECT_TRUE(loaded.AutoPin());
}

TEST(StoredClouds, MissingAttributesTakeTheirDefaults)
{
    TCloudDiagram diagram;
    diagram.LoadClouds("<anything><lc caption=\"a\" x=\"100\" y=\"100\" r=\"80\">EXISTS('A')</LC>"
                       "<LC X=\"300\" Y=\"100\" R=\"40\" CSX=\"-3\" KEY=\"k\"/><OTHER X=\"1\"/><PIN X=\"1\" Y=\"2\"/></anything>");
    ASSERT_EQ(diagram.CloudCount(), 2);
    const TNOXlc& a = *diagram.CloudAt(0);
    EXPECT_EQ(a.Key, "");
    EXPECT_EQ(a.Body, "EXISTS('A')");
    EXPECT_EQ(a.CSX, 24);
    EXPECT_EQ(a.CSY, 28);
    const TNOXlc& b = *diagram.CloudAt(1);
    EXPECT_EQ(b.Key, "k");
    EXPECT_EQ(b.CSX, -3);
    EXPECT_EQ(b.CSY, 14);
    EXPECT_EQ(PinsOf(diagram), (std::vector<TNOXpin>{{1, 2}})) << "a loaded diagram gets no automatic pin";
    EXPECT_NE(diagram.SaveClouds().find("<LC CAPTION=\"a\" X="), std::string::npos) << "no KEY attribute";
}

TEST(StoredClouds, ABadNumberStopsTheLoadingAndKeepsWhatCameBefore)
{
    struct Case {
        const char* last;
        const char* error;
        int clouds, pins;
    };
    const std::string good = "<ALC><LC X=\"100\" Y=\"100\" R=\"60\">EXISTS('A')</LC><PIN X=\"5\" Y=\"6\"/>";
    const Case cases[] = {
        {"<LC X=\"1x\" Y=\"100\" R=\"60\"/>", "'1x' is not a valid integer value", 1, 1},
        {"<LC X=\"100\" Y=\"\" R=\"60\"/>", "'' is not a valid integer value", 1, 1},
        {"<LC X=\"100\" Y=\"100\" R=\"6.0\"/>", "'6.0' is not a valid integer value", 1, 1},
        {"<LC X=\"100\" Y=\"100\" R=\"60\" CSX=\"a\"/>", "'a' is not a valid integer value", 2, 1},
        {"<LC X=\"100\" Y=\"100\" R=\"60\" CSY=\"99999999999\"/>", "'99999999999' is not a valid integer value", 2, 1},
        {"<PIN X=\"x\" Y=\"y\"/>", "'y' is not a valid integer value", 1, 1},
    };
    for (const Case& c : cases) {
        TCloudDiagram diagram;
        try {
            diagram.LoadClouds(good + c.last + "<PIN X=\"7\" Y=\"8\"/></ALC>");
            ADD_FAILURE() << "no error for " << c.last;
        } catch (const EConvertError& error) {
            EXPECT_STREQ(error.what(), c.error);
        }
        EXPECT_EQ(diagram.CloudCount(), c.clouds) << c.last;
        EXPECT_EQ(diagram.PinCount(), c.pins) << c.last;
        EXPECT_TRUE(diagram.AutoPin()) << c.last;
    }
}

TEST(StoredClouds, MalformedTextRaisesTheDocumentErrorAndClearsTheDiagram)
{
    TCloudDiagram diagram;
    diagram.Activate();
    diagram.AddCloud("a", "EXISTS('A')", 100, 100, 60);
    EXPECT_THROW(diagram.LoadClouds("<ALC><LC X=\"1\""), ENoxPiggerError);
    EXPECT_EQ(diagram.CloudCount(), 0);
    EXPECT_TRUE(diagram.Active());
    EXPECT_TRUE(diagram.AutoPin());
    diagram.LoadClouds("");
    EXPECT_EQ(diagram.CloudCount(), 0);
}

TEST(StoredClouds, ExtremeNumbersStayWithinRange)
{
    TCloudDiagram diagram;
    const std::string text = "<ALC><LC X=\"2147483647\" Y=\"-2147483648\" R=\"2147483647\"/>"
                             "<LC X=\"0\" Y=\"0\" R=\"-2147483648\"/><PIN X=\"-2147483648\" Y=\"2147483647\"/></ALC>";
    diagram.LoadClouds(text);
    ASSERT_EQ(diagram.CloudCount(), 2);
    EXPECT_EQ(diagram.CloudAt(0)->Y, INT_MAX);
    EXPECT_EQ(diagram.ExtentHeight(), INT_MAX);
    const std::string saved = diagram.SaveClouds();
    TCloudDiagram again;
    again.LoadClouds(saved);
    EXPECT_EQ(CloudsOf(again), CloudsOf(diagram));
    EXPECT_FALSE(diagram.BuildExpression().empty());
}

} // namespace
