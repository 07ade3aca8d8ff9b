#include "gfs_fixture.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

namespace {

constexpr const char* kName = "Plugin: Graphical files kreller v1.0";

std::string Line(const char* text)
{
    return std::string(text) + "\r\n";
}

TEST(GfsLifecycle, AnswersBeforeInitDuringAndAfterShutDown)
{
    TempTree tree;
    const std::string picture = tree.Path("p.jpg");
    WriteJpeg(picture, 10, 20);
    TGfsLibrary lib(tree.Path("copy.so"));

    EXPECT_EQ(lib.Call("GET_CRTR_NAME"), kName);
    EXPECT_EQ(lib.Call("ACCEPT_FILE", picture), "N");
    EXPECT_EQ(lib.Call("SET_UP"), "DONE");
    EXPECT_EQ(lib.Call("FILE_MEETS", picture), "N");
    EXPECT_EQ(lib.Call("LOAD_CONDITION", Line("Portraits only")), "N");
    EXPECT_EQ(lib.Call("SHOW_FILE", picture), "DONE");
    EXPECT_EQ(PluginDialog(), nullptr);

    EXPECT_EQ(lib.Call("INIT"), "DONE");
    ASSERT_NE(PluginDialog(), nullptr);
    EXPECT_EQ(lib.Call("GET_CRTR_NAME"), kName);
    EXPECT_EQ(lib.Call("ACCEPT_FILE", picture), "Y");
    EXPECT_EQ(lib.Call("LOAD_CONDITION", Line("Portraits only") + Line("JPG=Y")), "DONE");
    EXPECT_EQ(lib.Call("FILE_MEETS", picture), "Y");

    // The dialog goes with the host's next round of event processing, not before.
    EXPECT_EQ(lib.Call("SHUT_DOWN"), "WAIT");
    EXPECT_EQ(lib.Call("SHUT_DOWN"), "WAIT");
    EXPECT_EQ(lib.Call("ACCEPT_FILE", picture), "N");
    EXPECT_EQ(lib.Call("FILE_MEETS", picture), "N");
    QApplication::processEvents();
    EXPECT_EQ(PluginDialog(), nullptr);
    EXPECT_EQ(lib.Call("SHUT_DOWN"), "DONE");
    EXPECT_EQ(lib.Call("SHUT_DOWN"), "DONE");
    EXPECT_EQ(lib.Call("GET_CRTR_NAME"), kName);
    EXPECT_EQ(lib.Call("SHOW_EDIT"), "CUSTOM KRELLER ERROR");
}

TEST(GfsLifecycle, ShutDownWithoutInitIsDoneAtOnce)
{
    TempTree tree;
    TGfsLibrary lib(tree.Path("copy.so"));
    EXPECT_EQ(lib.Call("SHUT_DOWN"), "DONE");
}

TEST(GfsLifecycle, NullArgumentsAreEmptyTexts)
{
    TempTree tree;
    TGfsLibrary lib(tree.Path("copy.so"));
    lib.Call("INIT");
    EXPECT_STREQ(lib.CallWithNull("ACCEPT_FILE"), "N");
    EXPECT_STREQ(lib.CallWithNull("FILE_MEETS"), "N");
    EXPECT_STREQ(lib.CallWithNull("LOAD_CONDITION"), "DONE");
    EXPECT_GT(lib.ShutDown(), 1);
}

// The host loads plug-ins from inside their directory, and Qt's file dialogs open where the first
// one of the process was made: a file dialog made at INIT would send every folder browser of the
// host to the plug-in directory. (Which dialog came first cannot be undone within one test process,
// so the test looks for the dialog itself.)
TEST(GfsLifecycle, InitMakesNoFileDialog)
{
    TempTree tree;
    TGfsLibrary lib(tree.Path("copy.so"));
    lib.Call("INIT");
    ASSERT_NE(PluginDialog(), nullptr);
    EXPECT_TRUE(PluginDialog()->findChildren<QFileDialog*>().isEmpty());
    lib.ShutDown();
}

using GfsPictures = GfsTest;

TEST_F(GfsPictures, ModesThroughTheExports)
{
    const char* custom = "Custom sizes\r\nJPG=Y\r\nHMIN=50\r\nHMAX=100\r\nWMIN=20\r\nWMAX=30";
    const struct {
        const char* condition;
        const char* name;
        int width, height;
        bool passes;
    } cases[] = {
        {"Portraits only", "tall.jpg", 100, 200, true},
        {"Portraits only", "square.jpg", 200, 200, false},
        {"Portraits only", "wide.jpg", 200, 100, false},
        {"Landscapes only", "wide.jpg", 200, 100, true},
        {"Landscapes only", "tall.jpg", 100, 200, false},
        {custom, "c1.jpg", 25, 50, true},
        {custom, "c2.jpg", 30, 100, true},
        {custom, "c3.jpg", 19, 60, false},
        {custom, "c4.jpg", 31, 60, false},
        {custom, "c5.jpg", 25, 101, false},
        {"Banner/button standard sizes\r\n468 x 60=Y\r\nJPG=Y", "banner.jpg", 468, 60, true},
        {"Banner/button standard sizes\r\n468 x 60=Y\r\nJPG=Y", "turned.jpg", 60, 468, false},
    };
    for (const auto& c : cases) {
        const std::string path = tree.Path(c.name);
        WriteJpeg(path, c.width, c.height);
        std::string condition = Line(c.condition);
        if (std::string(c.condition).find('\n') == std::string::npos)
            condition += Line("JPG=Y");
        ASSERT_EQ(LoadCondition(condition), "DONE");
        EXPECT_EQ(Meets(path), c.passes) << c.condition << " " << c.name;
    }
    EXPECT_TRUE(ErrorLog().isEmpty());
}

TEST_F(GfsPictures, SizesOfEachFormat)
{
    WriteJpeg(tree.Path("photo.JPEG"), 640, 480, true);
    WriteImage(tree.Path("p.bmp"), 33, 44, "BMP");
    WriteGif(tree.Path("p.gif"), 300, 300, 40, 20);
    const struct {
        const char* name;
        int width, height;
    } cases[] = {{"photo.JPEG", 640, 480}, {"p.bmp", 33, 44}, {"p.gif", 40, 20}};
    for (const auto& c : cases) {
        const std::string exact = "Custom sizes\r\nBMP=Y\r\nGIF=Y\r\nJPEG=Y\r\nHMIN=" + std::to_string(c.height) +
                                  "\r\nHMAX=" + std::to_string(c.height) + "\r\nWMIN=" + std::to_string(c.width) +
                                  "\r\nWMAX=" + std::to_string(c.width) + "\r\n";
        LoadCondition(exact);
        EXPECT_TRUE(Meets(tree.Path(c.name))) << c.name;
        LoadCondition(exact + "HMIN=" + std::to_string(c.height + 1) + "\r\n");  // first line wins
        EXPECT_TRUE(Meets(tree.Path(c.name))) << c.name;
    }
    EXPECT_TRUE(ErrorLog().isEmpty()) << ErrorLog().join('\n').toStdString();
}

TEST_F(GfsPictures, UnreadablePicturesFailAndAreLogged)
{
    WriteJpeg(tree.Path("cut.jpg"), 300, 200, true);
    Truncate(tree.Path("cut.jpg"), ReadAll(tree.Path("cut.jpg")).size() / 2);
    WriteJpeg(tree.Path("header.jpg"), 300, 200, true);
    Truncate(tree.Path("header.jpg"), 700);
    WriteJpeg(tree.Path("jpeg.gif"), 30, 20);
    WriteGif(tree.Path("cut.gif"), 64, 64, 64, 64);
    Truncate(tree.Path("cut.gif"), 35);  // inside the first frame's data
    tree.File("garbage.jpg", std::string("\xFF\xD8\xFF\xE0 not much of a picture", 26));
    tree.File("empty.bmp", "");

    LoadCondition("Custom sizes\r\nBMP=Y\r\nGIF=Y\r\nJPG=Y\r\nHMAX=9999\r\nWMAX=9999\r\n");
    const struct {
        const char* name;
        const char* message;
    } cases[] = {
        {"cut.jpg", "Premature end of JPEG file"},
        {"header.jpg", "Premature end of JPEG file"},
        {"jpeg.gif", "Data is not in GIF format"},
        {"cut.gif", "Failed to read from given file"},
        {"garbage.jpg", nullptr},
        {"empty.bmp", nullptr},
    };
    QStringList expected;
    for (const auto& c : cases) {
        EXPECT_FALSE(Meets(tree.Path(c.name))) << c.name;
        const QStringList log = ErrorLog();
        ASSERT_EQ(log.size(), expected.size() + 1) << c.name;
        const QString prefix = QString::fromStdString(tree.Path(c.name) + " opening error: ");
        EXPECT_TRUE(log.last().startsWith(prefix)) << log.last().toStdString();
        if (c.message)
            EXPECT_EQ(log.last(), prefix + c.message);
        else
            EXPECT_GT(log.last().size(), prefix.size()) << c.name;
        expected << log.last();
    }
}

TEST_F(GfsPictures, FilesThatAreNoPictureOfAnAcceptedTypeFailQuietly)
{
    WriteJpeg(tree.Path("p.jpe"), 10, 20);
    WriteJpeg(tree.Path("picture"), 10, 20);
    WriteJpeg(tree.Path("typeOff.jpg"), 10, 20);
    tree.Dir("dir.jpeg");
    LoadCondition(Line("Portraits only") + Line("JPEG=Y"));
    const struct {
        const char* name;
        bool accepted;  // by its name alone
    } cases[] = {{"p.jpe", false}, {"picture", false}, {"typeOff.jpg", false}, {"missing.jpeg", true}, {"dir.jpeg", true}};
    for (const auto& c : cases) {
        EXPECT_FALSE(Meets(tree.Path(c.name))) << c.name;
        EXPECT_EQ(lib->Call("ACCEPT_FILE", tree.Path(c.name)), c.accepted ? "Y" : "N") << c.name;
    }
    EXPECT_TRUE(ErrorLog().isEmpty()) << ErrorLog().join('\n').toStdString();
}

TEST_F(GfsPictures, ConditionTextsAsTheHostSendsThem)
{
    const std::string tall = tree.Path("tall.jpg");
    WriteJpeg(tall, 10, 20);

    LoadCondition(Line("Portraits only") + Line("JPG=Y"));
    EXPECT_TRUE(Meets(tall));
    EXPECT_EQ(LoadCondition(""), "DONE");  // keeps the previous condition, mode included
    EXPECT_TRUE(Meets(tall));

    EXPECT_EQ(LoadCondition(Line("Landscapes only")), "DONE");
    for (const char* name : {"a.jpg", "a.JPEG", "a.bmp", "a.gif"})
        EXPECT_EQ(lib->Call("ACCEPT_FILE", tree.Path(name)), "N") << name;

    EXPECT_EQ(LoadCondition("CUSTOM KRELLER ERROR\r\n"), "DONE");
    LoadCondition(Line("CUSTOM KRELLER ERROR") + Line("JPG=Y"));
    EXPECT_FALSE(Meets(tall));
}

} // namespace

// A big picture takes a while to scan, and the host's events run meanwhile; a call they lead to
// must neither test another picture nor take the dialog away under the one being tested.
TEST_F(GfsTest, CallsMadeByTheHostsEventsDuringATestAreRefusedOrWait)
{
    WriteJpeg(tree.Path("tall.jpg"), 40, 90);
    LoadCondition("Portraits only\r\nJPG=Y\r\n");
    std::string nestedMeets = "(not called)", nestedShutDown;
    QTimer::singleShot(0, [&] {
        nestedMeets = lib->Call("FILE_MEETS", tree.Path("tall.jpg"));
        nestedShutDown = lib->Call("SHUT_DOWN");
    });
    EXPECT_TRUE(Meets(tree.Path("tall.jpg")));
    EXPECT_EQ(nestedMeets, "N");
    EXPECT_EQ(nestedShutDown, "WAIT");
    EXPECT_TRUE(Meets(tree.Path("tall.jpg"))) << "the dialog is still there";
}
