#include "conditions/_advCloud.h"
#include "krellers/context_condition.h"
#include "krellers/kreller_context.h"
#include "plugins/plugin_host.h"
#include "support/ChildProcess.h"
#include "support/TempTree.h"

#include <QLabel>
#include <QLayout>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// ---- the plain parts: keyword clouds, placement, stored lines, cartridges ----

TEST(ContextCondition, KeywordCloudsQuoteTheKeywordAndSearchItUpperCased)
{
    struct Row { std::string keyword; TKeywordCloud cloud; };
    const Row table[] = {
        {"invoice", {"Context:\"invoice\"", "EXISTS('INVOICE')"}},
        {" two words ", {"Context:\" two words \"", "EXISTS(' TWO WORDS ')"}},  // not trimmed
        {"it's", {"Context:\"it's\"", "EXISTS('IT`S')"}},
        {"größe", {"Context:\"größe\"", "EXISTS('GRÖßE')"}},  // ß has no upper case of its length
        {"привет", {"Context:\"привет\"", "EXISTS('ПРИВЕТ')"}},
    };
    for (const Row& row : table)
        EXPECT_EQ(KeywordCloud(row.keyword), row.cloud) << row.keyword;
}

struct PlacedDiagram {
    TCloudDiagram diagram;
    TCloudPlacement placement;
    PlacedDiagram() { diagram.Activate(); }
};

TEST(ContextCondition, FirstKeywordIsPinnedInsideItsCloudAndLaterOnesStepOn)
{
    PlacedDiagram d;
    d.placement.AddKeyword(d.diagram, "alpha");
    ASSERT_EQ(d.diagram.CloudCount(), 1);
    const TNOXlc& first = *d.diagram.CloudAt(0);
    EXPECT_EQ((std::vector<int>{first.X, first.Y, first.R}), (std::vector<int>{80, 65, 60}));  // kept inside
    ASSERT_EQ(d.diagram.PinCount(), 1) << "the automatic pin is the duplicate that goes";
    EXPECT_EQ(*d.diagram.PinAt(0), (TNOXpin{90, 75}));
    EXPECT_EQ(d.placement, (TCloudPlacement{90, 75}));
    EXPECT_EQ(d.diagram.BuildExpression(), "(EXISTS('ALPHA'))");

    d.placement.AddKeyword(d.diagram, "beta");
    EXPECT_EQ(d.diagram.CloudAt(1)->X, 130);
    EXPECT_EQ(d.placement, (TCloudPlacement{112, 86}));
    EXPECT_EQ(d.diagram.PinCount(), 1);
}

TEST(ContextCondition, AnEmptiedDiagramLosesItsPinAndStartsPlacingAgain)
{
    PlacedDiagram d;
    d.placement.AddKeyword(d.diagram, "alpha");
    d.diagram.DeleteCurrentCloud();
    d.placement.AfterDiagramChange(d.diagram);
    EXPECT_EQ(d.diagram.PinCount(), 0);
    EXPECT_EQ(d.placement, (TCloudPlacement{22, 11}));
    EXPECT_EQ(d.diagram.BuildExpression(), "");
}

TEST(ContextCondition, StoredLinesLoadBackAndDamagedOnesRaise)
{
    PlacedDiagram d;
    d.placement.AddKeyword(d.diagram, "alpha");
    const TConditionStrings lines = ContextConditionLines(d.diagram);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "") << "the stored text starts with a line break";

    TCloudDiagram loaded;
    LoadContextConditionLines(loaded, lines);
    EXPECT_EQ(loaded.BuildExpression(), d.diagram.BuildExpression());
    LoadContextConditionLines(loaded, {});
    EXPECT_TRUE(loaded.Active());
    EXPECT_EQ(loaded.CloudCount(), 0);
    EXPECT_ANY_THROW(LoadContextConditionLines(loaded, {"", "<ALC><LC caption=\"x"}));
}

class FakeCartridge : public TListedCartridge {
public:
    FakeCartridge(std::string suffix, std::string text, std::vector<std::string>& asked)
        : suffix_(std::move(suffix)), text_(std::move(text)), asked_(asked) {}
    std::string CallSetUp() override { return ""; }
    bool UnloadDll() override { return true; }
    std::string GetCrtrName() override { return suffix_; }
    bool AcceptFile(const std::string&) override
    {
        asked_.push_back(suffix_);
        return accepts;
    }
    std::string GetContext(const std::string& path) override { return text_ + " of " + path; }
    std::optional<TContextFile> GetContextFile(const std::string&) override { return file; }
    bool accepts = true;
    std::optional<TContextFile> file;

private:
    std::string suffix_, text_;
    std::vector<std::string>& asked_;
};

TEST(ContextCondition, TheFirstCartridgeThatAcceptsMakesTheText)
{
    std::vector<std::string> asked;
    FakeCartridge refusing("a", "A", asked), first("b", "B", asked), second("c", "C", asked);
    refusing.accepts = false;
    EXPECT_EQ(FirstAcceptingCartridge({&refusing, nullptr, &first, &second})("f")->Text, "B of f");
    EXPECT_EQ(asked, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(FirstAcceptingCartridge({&refusing})("f"), std::nullopt);
}

TEST(ContextCondition, ACartridgeThatHandsOverFilesIsAskedForTheFile)
{
    std::vector<std::string> asked;
    FakeCartridge cartridge("a", "A", asked);
    cartridge.file = TContextFile{"/cache/entry", 64, TTextLimit::Time};
    const std::optional<TCartridgeContext> context = FirstAcceptingCartridge({&cartridge})("f");
    ASSERT_TRUE(context);
    EXPECT_EQ(context->File, "/cache/entry");
    EXPECT_EQ(context->Offset, 64u);
    EXPECT_EQ(context->Limit, TTextLimit::Time);
    EXPECT_EQ(context->Text, "");
}

// ---- the dialog ----

struct ContextKreller : ::testing::Test {
    TempTree tree;
    TPluginHost plugins;
    std::vector<std::string> questions;
    bool answer = true;
    bool abandoned = false;
    TD_kreller_context kreller;
    TConditionStrings row;

    ContextKreller()
    {
        TKrellerServices services;
        services.Ask = [this](const std::string& question) {
            questions.push_back(question);
            return answer;
        };
        services.Plugins = &plugins;
        services.CurrentFileAbandoned = [this] { return abandoned; };
        kreller.SetServices(services);
        kreller.LoadCondition(&row);  // binds the row the dialog stores into
    }
    template <typename T>
    T* Child(const char* name)
    {
        T* child = kreller.findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    void Type(const QString& keyword, bool byEnter = false)
    {
        Child<QLineEdit>("Edit_kw")->setText(keyword);
        if (!byEnter) {
            Child<QToolButton>("SB_add_condition")->click();
            return;
        }
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(Child<QLineEdit>("Edit_kw"), &enter);
    }
    TCloudDiagram& Diagram() { return kreller.Clouds()->Diagram(); }
    // Stores the dialog's diagram into the row and loads it back, as a search does.
    void StoreAndLoad()
    {
        kreller.StoreCondition();
        kreller.LoadCondition(&row);
    }
    bool Passes(const std::string& content) { return kreller.TestFile({}, tree.File("file.txt", content)); }
};

TEST_F(ContextKreller, DialogHasItsControlsAndNoReset)
{
    EXPECT_EQ(kreller.windowTitle(), "Context kreller");
    EXPECT_TRUE(Child<QPushButton>("btn_reset")->isHidden());
    EXPECT_EQ(Child<QPushButton>("btn_cartridges")->text(), "Cartridges");
    EXPECT_EQ(Child<QPushButton>("btn_help")->text(), "Help");
    EXPECT_NE(kreller.findChild<TOadvCloud*>("OClouds1"), nullptr);
}

TEST_F(ContextKreller, AddAndRemoveAreEnabledByKeywordAndCurrentCloud)
{
    auto* add = Child<QToolButton>("SB_add_condition");
    auto* remove = Child<QToolButton>("SB_del_cond");
    EXPECT_FALSE(add->isEnabled());
    EXPECT_FALSE(remove->isEnabled());
    Child<QLineEdit>("Edit_kw")->setText("   ");
    EXPECT_FALSE(add->isEnabled()) << "blanks alone are no keyword";
    Type("invoice", true);
    EXPECT_EQ(Diagram().CloudCount(), 1) << "Enter adds";
    EXPECT_TRUE(Child<QLineEdit>("Edit_kw")->text().isEmpty());
    EXPECT_FALSE(add->isEnabled());
    EXPECT_TRUE(remove->isEnabled());
    Type("", true);
    EXPECT_EQ(Diagram().CloudCount(), 1) << "Enter without a keyword adds nothing";
}

TEST_F(ContextKreller, EnterInTheKeywordBoxDoesNotCloseTheDialog)
{
    QTimer::singleShot(0, &kreller, [this] {
        Type("invoice", true);
        EXPECT_TRUE(kreller.isVisible());
        kreller.reject();
    });
    kreller.exec();
    EXPECT_EQ(Diagram().CloudCount(), 1);
}

TEST_F(ContextKreller, RemoveAsksNothingButTheEditorsDeleteAsks)
{
    Type("one");
    Type("two");
    Child<QToolButton>("SB_del_cond")->click();
    EXPECT_EQ(Diagram().CloudCount(), 1);
    EXPECT_TRUE(questions.empty());
    Diagram().SelectCloud(Diagram().CloudAt(0));
    kreller.Clouds()->findChild<QAction*>("N_Delete")->trigger();
    EXPECT_EQ(questions, (std::vector<std::string>{"Delete current condition?"}));
    EXPECT_EQ(Diagram().CloudCount(), 0);
    EXPECT_EQ(Diagram().PinCount(), 0) << "the popup's Delete is followed by the pin rules";
}

TEST_F(ContextKreller, OnlyACompleteDiagramIsStored)
{
    Type("invoice");
    kreller.StoreCondition();
    ASSERT_GE(row.size(), 2u);
    EXPECT_EQ(row[0], "Context condition");
    EXPECT_EQ(row[1], "");

    Diagram().DeletePin(Diagram().PinAt(0));
    kreller.StoreCondition();
    EXPECT_TRUE(row.empty()) << "no pins";

    Child<QToolButton>("SB_del_cond")->click();
    Diagram().AddPin(10, 10);
    row = {"Context condition", "stale"};
    kreller.StoreCondition();
    EXPECT_TRUE(row.empty()) << "no clouds";
}

TEST_F(ContextKreller, WithoutAConditionNoFilePasses)
{
    kreller.LoadCondition(&row);
    EXPECT_EQ(kreller.Expression(), "");
    EXPECT_FALSE(Passes(""));
    EXPECT_FALSE(Passes("anything"));
}

TEST_F(ContextKreller, ADamagedStoredDiagramRaisesAndPassesNothing)
{
    Type("invoice");
    StoreAndLoad();
    ASSERT_TRUE(Passes("an invoice"));
    TConditionStrings damaged = {"Context condition", "", "<ALC><LC caption=\"unfinished"};
    EXPECT_ANY_THROW(kreller.LoadCondition(&damaged));
    EXPECT_EQ(kreller.Expression(), "");
    EXPECT_FALSE(Passes("an invoice")) << "the earlier expression does not linger";
}

// Two overlapping clouds with a pin in "apple only" and one outside both.
TEST_F(ContextKreller, TwoCloudsWithPinsInTwoRegionsAgainstFiles)
{
    Type("Apple");
    Type("pear");
    const TNOXlc& apple = *Diagram().CloudAt(0);
    const TNOXlc& pear = *Diagram().CloudAt(1);
    while (Diagram().PinCount() > 0)
        Diagram().DeletePin(Diagram().PinAt(0));
    Diagram().AddPin(apple.X - apple.R + 5, apple.Y);
    Diagram().AddPin(pear.X + pear.R + 30, pear.Y);
    StoreAndLoad();
    struct Row { const char* content; bool passes; };
    const Row table[] = {
        {"an APPLE a day", true},
        {"apple and pear", false},
        {"a PEAR", false},
        {"nothing at all", true},
        {"", true},
    };
    for (const Row& file : table)
        EXPECT_EQ(Passes(file.content), file.passes) << file.content;
}

TEST_F(ContextKreller, GivingUpTheFileFailsIt)
{
    Type("invoice");
    StoreAndLoad();
    abandoned = true;
    EXPECT_FALSE(Passes("invoice"));
    EXPECT_TRUE(kreller.Engine().Text().Empty());
}

TEST_F(ContextKreller, FilesReadAheadGetTheVerdictsOfFilesReadHere)
{
    Type("invoice");
    StoreAndLoad();
    struct File { const char* name; std::string content; bool passes; };
    const File files[] = {
        {"plain", "an invoice", true},
        {"upper", "INVOICE", true},
        {"other", "nothing of the kind", false},
        {"empty", "", false},
        {"binary", std::string("\0inVoice\0", 9), true},
    };
    std::vector<std::string> paths;
    for (const File& file : files)
        paths.push_back(tree.File(file.name, file.content));
    const std::string slow = tree.SizedFile("slow", std::int64_t{2} << 30);
    paths.push_back(slow);
    ASSERT_TRUE(kreller.BeginReadingAhead());
    std::vector<platform::TListedFile> listed;
    for (const std::string& path : paths)
        listed.push_back({path, true, {nullptr, static_cast<std::uint32_t>(listed.size())}});
    kreller.ReadAhead(listed);
    for (std::size_t i = 0; i < std::size(files); ++i)
        EXPECT_EQ(kreller.TestFile({}, paths[i]), files[i].passes) << files[i].name;
    // Given up while a worker is at it (or, had none begun it, while it is read here).
    TKrellerServices services = kreller.Services();
    int events = 0;
    services.ProcessEvents = [&] { abandoned = ++events >= 3; };
    kreller.SetServices(services);
    EXPECT_FALSE(kreller.TestFile({}, slow));
    EXPECT_EQ(events, 3);
    kreller.EndReadingAhead();
    EXPECT_EQ(kreller.LastAheadCounts().Wasted, kreller.LastAheadCounts().Judged - kreller.LastAheadCounts().Used);
}

// A user at the limit of processes gets no thread for the workers: files are judged where the
// chain asks for them, as without workers, rather than the search failing.
TEST_F(ContextKreller, WithNoThreadToBeHadFilesAreJudgedWhereAsked)
{
    Type("invoice");
    StoreAndLoad();
    const std::string plain = tree.File("plain", "an invoice");
    const std::string other = tree.File("other", "nothing of the kind");
    chmod(tree.Root().c_str(), 0755);
    const auto answer = RunInChild([&]() -> std::optional<std::string> {
        if (!DropPrivileges() || !RefuseNewThreads())
            return std::nullopt;
        const bool ahead = kreller.BeginReadingAhead();
        return std::string(ahead ? "read ahead" : "judged here") + (kreller.TestFile({}, plain) ? ", passes" : ", fails")
               + (kreller.TestFile({}, other) ? ", passes" : ", fails");
    });
    if (!answer)
        GTEST_SKIP() << "the system cannot be made to refuse threads here";
    EXPECT_EQ(*answer, "judged here, passes, fails");
}

TEST_F(ContextKreller, NothingIsReadAheadWhileCartridgesAreLoaded)
{
    Type("converted");
    StoreAndLoad();
    std::vector<std::string> asked;
    plugins.AddCartridge({"doc", "libdoc.so", std::make_unique<FakeCartridge>("doc", "converted", asked)});
    EXPECT_FALSE(kreller.BeginReadingAhead());
    EXPECT_TRUE(Passes("plain bytes"));
}

TEST_F(ContextKreller, CartridgeTextIsJudgedInsteadOfTheFile)
{
    std::vector<std::string> asked;
    auto cartridge = std::make_unique<FakeCartridge>("doc", "converted", asked);
    plugins.AddCartridge({"doc", "libdoc.so", std::move(cartridge)});
    Type("converted");
    StoreAndLoad();
    EXPECT_TRUE(Passes("plain bytes"));
    EXPECT_EQ(asked.size(), 1u);
}

TEST_F(ContextKreller, CartridgesCloseTheDialogWhenTheProgramIsToClose)
{
    TKrellerServices services = kreller.Services();
    bool closeProgram = false;
    int shown = 0;
    services.ShowCartridgeSettings = [&] {
        ++shown;
        return closeProgram;
    };
    kreller.SetServices(services);
    for (bool close : {false, true}) {
        closeProgram = close;
        QTimer::singleShot(0, &kreller, [this, close] {
            Child<QPushButton>("btn_cartridges")->click();
            EXPECT_EQ(kreller.CloseRequested, close);
            if (kreller.isVisible())
                kreller.reject();
        });
        kreller.exec();
    }
    EXPECT_EQ(shown, 2);
}

} // namespace

namespace {

TEST_F(ContextKreller, WarnsWhileThereIsNoCloud)
{
    auto* warning = Child<QLabel>("LBL_warning");
    EXPECT_FALSE(warning->isHidden());
    EXPECT_EQ(warning->text(), "There is no cloud yet: \"Ok\" leaves the kreller without a condition.");
    Type("invoice");
    EXPECT_TRUE(warning->isHidden());
    Child<QToolButton>("SB_del_cond")->click();
    EXPECT_FALSE(warning->isHidden());
}

TEST_F(ContextKreller, TheDiagramKeepsItsRoomWhenTheWarningGoes)
{
    auto* diagram = Child<QWidget>("OClouds1");
    const auto diagramHeight = [&] {
        kreller.show();
        QCoreApplication::processEvents();
        kreller.layout()->activate();
        return diagram->height();
    };
    const int withWarning = diagramHeight();
    Type("invoice");
    ASSERT_TRUE(Child<QLabel>("LBL_warning")->isHidden());
    EXPECT_GE(diagramHeight(), withWarning);
    EXPECT_GE(diagram->height(), 250) << "room to draw a few clouds";
}

} // namespace
