// The preview pane: keywords of a condition, their hits in a text, the text made showable, reading
// the first part of a file on the worker, and the pane and its commands in the main window.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeView>

#include <atomic>
#include <chrono>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "ChildProcess.h"
#include "TempTree.h"
#include "conditions/CloudDiagram.h"
#include "core/FoundList.h"
#include "core/preview_loader.h"
#include "core/preview_pane.h"
#include "core/preview_text.h"
#include "krellers/context_condition.h"
#include "krellers/kreller_context.h"
#include "krellers/kreller_list_view.h"
#include "platform/Files.h"
#include "window_fixture.h"

namespace {

using Ranges = std::vector<TTextRange>;
using Words = std::vector<std::string>;

TEST(PreviewKeywords, EveryExistsCallOfTheConditionOnceInItsOrder)
{
    const struct {
        const char* expression;
        Words keywords;
    } cases[] = {
        {"EXISTS('ALPHA') && !EXISTS('BETA')", {"ALPHA", "BETA"}},
        {"(EXISTS('A') || EXISTS('B')) && EXISTS('A')", {"A", "B"}},
        {"1=1", {}},
        {"EXISTS('')", {}},
        // A fault after the first call: what came before still counts.
        {"EXISTS('FIRST') && (", {"FIRST"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpressionKeywords(c.expression), c.keywords) << c.expression;
}

TEST(PreviewKeywords, AContextRowsCloudsGiveTheirKeywordsUpperCased)
{
    TCloudDiagram diagram;
    diagram.Activate();
    TCloudPlacement placement;
    placement.AddKeyword(diagram, "copyright");
    placement.AddKeyword(diagram, "gnu");
    diagram.BuildExpression();
    const Words keywords = ContextConditionKeywords(ContextConditionLines(diagram));
    EXPECT_EQ(std::set<std::string>(keywords.begin(), keywords.end()), (std::set<std::string>{"COPYRIGHT", "GNU"}));
    EXPECT_TRUE(ContextConditionKeywords({"<ALC"}).empty());
}

TEST(PreviewHits, KeywordsAreFoundAsTheContextSearchFindsThem)
{
    const struct {
        const char* name;
        std::string text;
        Words keywords;
        Ranges hits;
    } cases[] = {
        {"several keywords, case-blind", "Alpha beta ALPHA", {"ALPHA", "BETA"}, {{0, 5}, {6, 10}, {11, 16}}},
        {"overlapping keywords become one hit", "xABCDx", {"ABC", "BCD"}, {{1, 5}}},
        {"a keyword inside another", "xABCDx", {"ABCD", "BC"}, {{1, 5}}},
        {"a keyword overlapping itself", "aaaa", {"AAA"}, {{0, 4}}},
        {"touching hits stay two", "abab", {"AB"}, {{0, 2}, {2, 4}}},
        {"letters beyond ASCII by the locale rule", "grüße Grüße", {"GRÜSSE", "GRÜßE"}, {{0, 7}, {8, 15}}},
        {"empty keywords and empty text", "", {"", "A"}, {}},
        {"no keywords", "text", {}, {}},
        {"bytes that are no UTF-8 stay searchable", "\xff" "KEY\xfe", {"KEY"}, {{1, 4}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindKeywordHits(c.text, c.keywords), c.hits) << c.name;
}

TEST(PreviewText, TheCutNeverSplitsACharacter)
{
    const struct {
        std::string bytes;
        std::size_t limit;
        std::size_t cut;
    } cases[] = {
        {"abcdef", 3, 3},
        {"abc", 10, 3},
        {"a\xc3\xa4" "b", 2, 1},          // inside ä
        {"a\xc3\xa4" "b", 3, 3},          // just after it
        {"a\xf0\x9f\x98\x80" "b", 3, 1},  // inside a four-byte character
        {"a\xf0\x9f\x98\x80" "b", 5, 5},
        {"\x80\x80\x80\x80\x80", 2, 2},   // stray continuation bytes are characters of their own
        {"a\xc3" "bc", 2, 2},             // a broken lead byte too
    };
    for (const auto& c : cases)
        EXPECT_EQ(CutAtCharacter(c.bytes, c.limit), c.cut) << c.bytes << " at " << c.limit;
}

TEST(PreviewText, TextIsToldFromOtherContent)
{
    const struct {
        const char* name;
        std::string head;
        bool text;
    } cases[] = {
        {"empty", "", true},
        {"UTF-8", "Grüße\n\tund mehr\r\n", true},
        {"Latin-1 with a few odd bytes", "Gr\xfc\xdf" "e aus einem Brief von Anfang bis Ende", true},
        {"a zero byte", std::string("ELF\0\x01\x02", 6), false},
        {"mostly odd bytes", "\x89\x90\x91\x92\x93\x01\x02\x03 ab", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LooksLikeText(c.head), c.text) << c.name;
}

TEST(PreviewText, TheShownTextKeepsTheHitsInPlace)
{
    const struct {
        const char* name;
        std::string bytes;
        Ranges byteHits;
        QString shown;
        Ranges shownHits;
    } cases[] = {
        {"two-byte characters before", "ääKEY", {{4, 7}}, "ääKEY", {{2, 5}}},
        {"a character beyond the BMP", "\xf0\x9f\x98\x80KEY", {{4, 7}}, QString::fromUtf8("\xf0\x9f\x98\x80KEY"), {{2, 5}}},
        {"CR LF and a lone CR", "a\r\nb\rKEY", {{5, 8}}, "a\nb\nKEY", {{4, 7}}},
        {"a byte that is no UTF-8", "\xffKEY", {{1, 4}}, QString(QChar::ReplacementCharacter) + "KEY", {{1, 4}}},
        {"control characters", std::string("\0\x1bK", 3), {{2, 3}}, QString(QChar(0x2400)) + QChar(0x241b) + "K", {{2, 3}}},
        {"a tab stays", "\tK", {{1, 2}}, "\tK", {{1, 2}}},
    };
    for (const auto& c : cases) {
        const TShownText shown = ShowableText(c.bytes, c.byteHits);
        EXPECT_EQ(shown.Text, c.shown) << c.name;
        EXPECT_EQ(shown.Ranges, c.shownHits) << c.name;
    }
}

TEST(PreviewText, AHugeLineIsBrokenAndItsHitsFollow)
{
    std::string line(kWrapUnits * 2 + 10, 'x');
    line.replace(kWrapUnits + 5, 3, "KEY");
    const TShownText shown = ShowableText(line, FindKeywordHits(line, {"KEY"}));
    EXPECT_EQ(shown.Text.count('\n'), 2);
    ASSERT_EQ(shown.Ranges.size(), 1u);
    EXPECT_EQ(shown.Text.mid(static_cast<qsizetype>(shown.Ranges[0].Begin), 3), "KEY");
}

TEST(PreviewText, HitCount)
{
    EXPECT_EQ(HitCountText(0, 0), "no hits");
    EXPECT_EQ(HitCountText(3, 17), "hit 3 of 17");
}

// ---- Reading the first part ----

struct PreviewFiles : ::testing::Test {
    TempTree tree;

    TPreviewContent Load(const std::string& path, const Words& keywords, std::size_t limit = kPreviewFirstPartBytes)
    {
        try {
            const std::optional<TPreviewHead> head = ReadPreviewHead(path, limit, [] { return false; });
            return head ? TextOrDescription(path, *head, keywords) : TPreviewContent{};
        } catch (const std::exception& error) {
            return FailedPreview(error.what());
        }
    }
};

TEST_F(PreviewFiles, WhatEachKindOfFileShows)
{
    const std::string fifo = tree.Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        const char* name;
        std::string path;
        TPreviewKind kind;
        const char* text;
    } cases[] = {
        {"a text", tree.File("notes.txt", "one KEY two"), TPreviewKind::Text, "one KEY two"},
        {"an empty file", tree.File("empty.txt"), TPreviewKind::Text, ""},
        {"a binary", tree.File("prog.bin", std::string("\x7f" "ELF\0\0\0\x02", 8)), TPreviewKind::Described, "8 bytes"},
        {"a FIFO, not waited on", fifo, TPreviewKind::Failed, "fifo"},
        {"a directory", tree.Dir("folder"), TPreviewKind::Failed, "folder"},
        {"a missing file", tree.Path("gone.txt"), TPreviewKind::Failed, "gone.txt"},
    };
    for (const auto& c : cases) {
        const TPreviewContent content = Load(c.path, {"KEY"});
        EXPECT_EQ(content.Kind, c.kind) << c.name;
        EXPECT_TRUE(content.Text.contains(c.text)) << c.name << ": " << content.Text.toStdString();
    }
}

TEST_F(PreviewFiles, AFileThisAccountMayNotReadSaysSo)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const std::string path = tree.File("secret.txt", "hidden");
    ::chmod(path.c_str(), 0);
    const TPreviewContent content = Load(path, {});
    EXPECT_EQ(content.Kind, TPreviewKind::Failed);
    EXPECT_TRUE(content.Text.contains("ermission")) << content.Text.toStdString();
}

TEST_F(PreviewFiles, ABigFileShowsItsFirstPartAndOnlyTheHitsWhollyInIt)
{
    // The second keyword straddles the cut; the third lies beyond it.
    std::string text(100, 'x');
    text.replace(10, 3, "KEY");
    text.replace(48, 3, "KEY");
    text.replace(80, 3, "KEY");
    const TPreviewContent content = Load(tree.File("big.txt", text), {"KEY"}, 50);
    EXPECT_TRUE(content.FirstPartOnly);
    EXPECT_EQ(content.Size, 100u);
    EXPECT_EQ(content.Text.size(), 50);
    EXPECT_EQ(content.Hits, (Ranges{{10, 13}}));
    EXPECT_EQ(FirstPartNote(content), "Shows the first 0.1 KB of 0.1 KB.");
    EXPECT_FALSE(Load(tree.File("small.txt", "KEY"), {"KEY"}, 50).FirstPartOnly);
}

TEST_F(PreviewFiles, ACartridgesTextIsReadFromItsFileFromTheOffset)
{
    TCartridgeContext inFile;
    inFile.File = tree.File("cache-entry", "HEADERtext with KEY");
    inFile.Offset = 6;
    const std::optional<TPreviewHead> head = ConvertedTextHead(inFile, 1000, [] { return false; });
    ASSERT_TRUE(head);
    EXPECT_EQ(head->Bytes, "text with KEY");
    const std::optional<TPreviewHead> inMemory = ConvertedTextHead(TCartridgeContext("in memory"), 2, [] { return false; });
    ASSERT_TRUE(inMemory);
    EXPECT_EQ(inMemory->Bytes, "in");
    EXPECT_TRUE(inMemory->Cut());
}

// ---- The worker ----

// A job that runs until it is told it is stale.
TPreviewWorker::TJob RunUntilStale(std::atomic<bool>& started, std::atomic<bool>& sawStale)
{
    return [&started, &sawStale](const TStaleCheck& stale) {
        started = true;
        while (!stale())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        sawStale = true;
    };
}

void WaitFor(const std::atomic<bool>& flag)
{
    while (!flag)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(PreviewWorker, TheNewestJobWinsAndTheRunningOneIsToldItIsStale)
{
    TPreviewWorker worker;
    std::atomic<bool> firstStarted{false}, firstSawStale{false}, secondRan{false}, thirdRan{false};
    worker.Submit(RunUntilStale(firstStarted, firstSawStale));
    WaitFor(firstStarted);
    worker.Submit([&](const TStaleCheck&) { secondRan = true; });
    worker.Submit([&](const TStaleCheck&) { thirdRan = true; });
    worker.WaitIdle();
    EXPECT_TRUE(firstSawStale);
    EXPECT_FALSE(secondRan);
    EXPECT_TRUE(thirdRan);
}

TEST(PreviewWorker, GoingAwayStopsTheRunningJob)
{
    std::atomic<bool> started{false}, stopped{false};
    {
        TPreviewWorker worker;
        worker.Submit(RunUntilStale(started, stopped));
        WaitFor(started);
    }
    EXPECT_TRUE(stopped);
}

// ---- The pane ----

struct PreviewPane : ::testing::Test {
    TempTree tree;
    TO_preview pane;

    PreviewPane() { pane.resize(400, 300); }

    QString HitsLabel() { return pane.findChild<QLabel*>("Label_hits")->text(); }
    QWidget* Page() { return pane.findChild<QStackedWidget*>("Pages_preview")->currentWidget(); }
    void Click(const char* button) { pane.findChild<QToolButton*>(button)->click(); }
};

TEST_F(PreviewPane, HitsAreCountedAndVisitedRoundTheEnds)
{
    pane.ShowFile(tree.File("a.txt", "one key\ntwo KEY\nthree Key"), {"KEY"});
    pane.WaitShown();
    EXPECT_EQ(Page()->objectName(), "Memo_preview");
    EXPECT_EQ(HitsLabel(), "hit 1 of 3");
    const struct {
        const char* button;
        const char* label;
    } steps[] = {
        {"btn_nexthit", "hit 2 of 3"}, {"btn_nexthit", "hit 3 of 3"}, {"btn_nexthit", "hit 1 of 3"},
        {"btn_previoushit", "hit 3 of 3"},
    };
    for (const auto& step : steps) {
        Click(step.button);
        EXPECT_EQ(HitsLabel(), step.label);
    }
    const QTextCursor cursor = pane.findChild<QPlainTextEdit*>("Memo_preview")->textCursor();
    EXPECT_EQ(cursor.position(), 22);  // the start of the third hit

    pane.ShowFile(tree.File("b.txt", "nothing here"), {"KEY"});
    pane.WaitShown();
    EXPECT_EQ(HitsLabel(), "no hits");
    EXPECT_FALSE(pane.findChild<QToolButton*>("btn_nexthit")->isEnabled());
}

TEST_F(PreviewPane, TheHitLineCountsOnlyWhenThereAreKeywordsToMark)
{
    const struct {
        Words keywords;
        const char* text;
        const char* label;
        bool navigable;
    } cases[] = {
        {{"KEY"}, "a key here", "hit 1 of 1", true},
        {{"KEY"}, "nothing here", "no hits", false},
        {{}, "a key here", "", false},
        {{}, "", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        // Another file first, so the label has something to lose.
        pane.ShowFile(tree.File("before.txt", "KEY"), {"KEY"});
        pane.WaitShown();
        pane.ShowFile(tree.File("shown.txt", c.text), c.keywords);
        pane.WaitShown();
        EXPECT_EQ(HitsLabel(), c.label);
        EXPECT_EQ(pane.findChild<QToolButton*>("btn_nexthit")->isEnabled(), c.navigable);
        EXPECT_EQ(pane.findChild<QToolButton*>("btn_previoushit")->isEnabled(), c.navigable);
    }
}

TEST_F(PreviewPane, ALongTextComesWholeAfterItsFirstScreen)
{
    std::string text(100, 'x');
    text.replace(5, 3, "KEY");
    text.replace(60, 3, "KEY");
    pane.FirstScreenBytes = 20;
    pane.ShowFile(tree.File("long.txt", text), {"KEY"});
    pane.WaitShown();
    EXPECT_FALSE(pane.Loading());
    EXPECT_EQ(pane.findChild<QPlainTextEdit*>("Memo_preview")->toPlainText().size(), 100);
    EXPECT_EQ(HitsLabel(), "hit 1 of 2");
    Click("btn_nexthit");
    EXPECT_EQ(pane.findChild<QPlainTextEdit*>("Memo_preview")->textCursor().position(), 60);
}

TEST_F(PreviewPane, AFirstHitBeyondTheFirstScreenIsBroughtIntoViewWhenItComes)
{
    std::string text(100, 'x');
    text.replace(70, 3, "KEY");
    pane.FirstScreenBytes = 20;
    pane.ShowFile(tree.File("late.txt", text), {"KEY"});
    pane.WaitShown();
    EXPECT_EQ(HitsLabel(), "hit 1 of 1");
    EXPECT_EQ(pane.findChild<QPlainTextEdit*>("Memo_preview")->textCursor().position(), 70);
}

TEST_F(PreviewPane, APictureIsDecodedToFitThePane)
{
    QImage image(2000, 1000, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const std::string path = tree.Path("photo.jpg");
    ASSERT_TRUE(image.save(QString::fromStdString(path), "JPG"));
    pane.ShowFile(path, {"KEY"});
    pane.WaitShown();
    EXPECT_EQ(pane.Shown().Kind, TPreviewKind::Picture);
    EXPECT_EQ(Page()->objectName(), "Image_preview");
    const QSize box = pane.findChild<QStackedWidget*>("Pages_preview")->size();
    EXPECT_LE(pane.Picture().width(), box.width());
    EXPECT_LE(pane.Picture().height(), box.height());
    EXPECT_GT(pane.Picture().width(), box.width() / 2);
}

TEST_F(PreviewPane, OtherFilesAndFailuresAreALine)
{
    pane.ShowFile(tree.File("data.bin", std::string(100, '\0')), {});
    pane.WaitShown();
    EXPECT_EQ(Page()->objectName(), "Label_note");
    EXPECT_TRUE(pane.findChild<QLabel*>("Label_note")->text().contains("100 bytes"));
    pane.ShowFile(tree.Path("missing"), {});
    pane.WaitShown();
    EXPECT_EQ(pane.Shown().Kind, TPreviewKind::Failed);
}

// A user at the limit of processes gets no thread to read the file on: the pane says so.
TEST_F(PreviewPane, WithNoThreadToReadOnTheFailureIsALine)
{
    const std::string file = tree.File("a.txt", "some text");
    chmod(tree.Root().c_str(), 0755);
    const auto answer = RunInChild([&]() -> std::optional<std::string> {
        if (!DropPrivileges() || !RefuseNewThreads())
            return std::nullopt;
        pane.ShowFile(file, {});
        pane.WaitShown();
        return (pane.Shown().Kind == TPreviewKind::Failed ? "failed: " : "shown: ") + pane.Shown().Text.toStdString();
    });
    if (!answer)
        GTEST_SKIP() << "the system cannot be made to refuse threads here";
    EXPECT_TRUE(answer->starts_with("failed: a worker thread could not start")) << *answer;
}

TEST_F(PreviewPane, OnlyTheNewestSelectionIsShown)
{
    const std::string big = tree.File("big.txt", std::string(std::size_t{4} << 20, 'a'));
    pane.FirstPartBytes = std::size_t{4} << 20;
    for (int i = 0; i < 5; ++i)
        pane.ShowFile(big, {"A"});
    pane.ShowFile(tree.File("small.txt", "small"), {});
    pane.WaitShown();
    EXPECT_FALSE(pane.Loading());
    EXPECT_EQ(pane.Shown().Text, "small");
    EXPECT_EQ(pane.ShownPath(), tree.Path("small.txt"));
}

TEST_F(PreviewPane, ACartridgesTextIsShownForTheFilesItTakes)
{
    int asked = 0;
    const TCartridgeText cartridge = [&asked](const std::string& path) -> std::optional<TCartridgeContext> {
        ++asked;
        if (path.ends_with(".doc"))
            return TCartridgeContext("converted KEY text");
        return std::nullopt;
    };
    pane.ShowFile(tree.File("letter.doc", std::string("\xd0\xcf\x11\xe0\0\0", 6)), {"KEY"}, cartridge);
    pane.WaitShown();
    EXPECT_EQ(pane.Shown().Text, "converted KEY text");
    EXPECT_EQ(pane.HitCount(), 1u);
    pane.ShowFile(tree.File("plain.txt", "as it is"), {}, cartridge);
    pane.WaitShown();
    EXPECT_EQ(pane.Shown().Text, "as it is");
    EXPECT_EQ(asked, 2);
}

// ---- In the main window ----

struct PreviewWindow : WindowTest {
    TD_kreller_context context;

    PreviewWindow()
    {
        TNativeKrellers natives;
        natives.Context = &context;
        window.AttachNativeKrellers(natives);
        window.FormActivate();
        window.SetStartPaths({tree.Root()}, 0);
    }

    void SwitchOnContext(const std::vector<std::string>& keywords)
    {
        TCloudDiagram diagram;
        diagram.Activate();
        TCloudPlacement placement;
        for (const std::string& keyword : keywords)
            placement.AddKeyword(diagram, keyword);
        for (std::size_t i = 0; i < window.KrellerChain().Count(); ++i) {
            TKrellerRow& row = window.KrellerChain().Row(i);
            if (row.Kreller != &context)
                continue;
            row.Strings = ContextConditionLines(diagram);
            row.Strings.insert(row.Strings.begin(), kContextDescription);
            row.Checked = true;
        }
        window.Krellers().Refresh();
    }

    QAction* Action(const char* name) { return window.findChild<QAction*>(name); }
};

TEST_F(PreviewWindow, TheSelectedRowIsPreviewedWithTheContextKeywordsAndF4GoesFromHitToHit)
{
    tree.File("match.txt", "alpha first\nbeta\nALPHA again");
    tree.File("other.txt", "nothing");
    SwitchOnContext({"alpha"});
    window.SB_runClick();
    ASSERT_EQ(window.FoundList().Count(), 1);
    ASSERT_FALSE(window.Preview().isVisibleTo(&window));
    Action("N_Preview")->trigger();
    EXPECT_TRUE(window.PreviewShown());
    window.SelectFoundRow(0);
    window.Preview().WaitShown();
    EXPECT_EQ(window.Preview().ShownPath(), tree.Path("match.txt"));
    EXPECT_EQ(window.Preview().HitCount(), 2u);
    ASSERT_TRUE(Action("N_Nexthit")->isEnabled());
    EXPECT_EQ(Action("N_Nexthit")->shortcut(), QKeySequence(Qt::Key_F4));
    Action("N_Nexthit")->trigger();
    EXPECT_EQ(window.Preview().CurrentHit(), 2u);
    Action("N_Previoushit")->trigger();
    EXPECT_EQ(window.Preview().CurrentHit(), 1u);

    // A new search empties the pane with the list.
    window.SB_runClick();
    EXPECT_TRUE(window.Preview().ShownPath().empty());
}

TEST_F(PreviewWindow, WithNoContextConditionTickedTheHitLineIsBlank)
{
    tree.File("notes.txt", "alpha and beta");
    window.SB_runClick();
    ASSERT_EQ(window.FoundList().Count(), 1);
    Action("N_Preview")->trigger();
    window.SelectFoundRow(0);
    window.Preview().WaitShown();
    EXPECT_EQ(window.Preview().ShownPath(), tree.Path("notes.txt"));
    EXPECT_EQ(window.Preview().findChild<QLabel*>("Label_hits")->text(), "");
    EXPECT_FALSE(Action("N_Nexthit")->isEnabled());
    EXPECT_FALSE(Action("N_Previoushit")->isEnabled());
}

TEST_F(PreviewWindow, WithTheContextRowOffNothingIsMarked)
{
    SwitchOnContext({"alpha"});
    EXPECT_EQ(window.PreviewKeywords(), Words{"ALPHA"});
    window.KrellerChain().Row(0).Checked = false;
    EXPECT_TRUE(window.PreviewKeywords().empty());
}

} // namespace
