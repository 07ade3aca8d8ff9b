#include <gtest/gtest.h>

#include <QAction>
#include <QTimer>
#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTreeView>
#include <filesystem>
#include <optional>

#include "ModalDriver.h"
#include "TempTree.h"
#include "core/FoundList.h"
#include "core/main.h"
#include "core/msg.h"
#include "core/sure.h"
#include "krellers/kreller.h"
#include "krellers/kreller_list_view.h"
#include "krellers/kreller_size.h"
#include "platform/Text.h"
#include "window_fixture.h"

namespace {

struct FoundListCommands : ProbedWindowTest {
    FoundListCommands() { Activate(); }

    QTreeView* View() { return window.findChild<QTreeView*>("LV_found"); }
    void ClickHeader(int column, Qt::SortOrder order) { View()->header()->setSortIndicator(column, order); }

    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (const std::string& path : window.FoundPathsShown())
            names.push_back(platform::FileNamePart(path));
        return names;
    }

    void SwitchOn(int row, TConditionStrings strings)
    {
        TKrellerRow& kreller = window.Krellers().Krellers().Row(static_cast<std::size_t>(row));
        kreller.Strings = std::move(strings);
        kreller.Checked = true;
        window.Krellers().Refresh();
    }
};

TEST_F(FoundListCommands, HeaderClicksSortAndEveryCommandFollowsTheOrderShown)
{
    tree.SizedFile("file10.txt", 5);
    tree.SizedFile("File2.txt", 30);
    tree.SizedFile("sub/file1.txt", 20);
    window.SB_runClick();

    ClickHeader(TFoundListModel::ColName, Qt::AscendingOrder);
    EXPECT_EQ(Names(), (std::vector<std::string>{"file1.txt", "File2.txt", "file10.txt"}));
    ClickHeader(TFoundListModel::ColName, Qt::DescendingOrder);
    EXPECT_EQ(Names(), (std::vector<std::string>{"file10.txt", "File2.txt", "file1.txt"}));
    ClickHeader(TFoundListModel::ColSize, Qt::AscendingOrder);
    EXPECT_EQ(Names(), (std::vector<std::string>{"file10.txt", "file1.txt", "File2.txt"}));
    EXPECT_EQ(window.FoundList().data(window.FoundList().index(0, 0), Qt::DisplayRole).toString(), "file10.txt");

    // Find in found names walks the rows as shown.
    window.FindIndex = -1;
    const QPointer<QTimer> strayMessage = ClickInNextModal("btn_ok");  // none expected; a stray message would block
    window.FindDialog1Find("FILE", FindDirection::Down);
    EXPECT_EQ(window.SelectedFoundPath(), tree.Path("file10.txt"));
    window.FindDialog1Find("FILE", FindDirection::Down);
    EXPECT_EQ(window.SelectedFoundPath(), tree.Path("sub/file1.txt"));

    // The selection follows its row through a new order, and the search goes on from there.
    ClickHeader(TFoundListModel::ColName, Qt::AscendingOrder);
    EXPECT_EQ(window.SelectedFoundPath(), tree.Path("sub/file1.txt"));
    EXPECT_EQ(window.FindIndex, 0);
    delete strayMessage;
}

// A disc image's size has more digits than the Size column's first width holds: the column widens
// at the end of the run to show it whole, and a run of small files never narrows it again.
TEST_F(FoundListCommands, TheSizeColumnWidensToShowTheLargestSizeWhole)
{
    const std::string image = tree.File("disc.iso");
    std::filesystem::resize_file(image, std::uintmax_t{3} << 30);  // sparse: no room is taken
    QHeaderView* header = View()->header();
    const int first = header->sectionSize(TFoundListModel::ColSize);
    window.SB_runClick();
    const QString text = TFoundListModel::SizeText(std::int64_t{3} << 30);
    const int widened = header->sectionSize(TFoundListModel::ColSize);
    EXPECT_GE(widened, View()->fontMetrics().horizontalAdvance(text) + TSizeCellDelegate::Gap);
    EXPECT_GE(widened, first);

    std::filesystem::remove(image);
    tree.File("small.txt", "x");
    window.SB_runClick();
    EXPECT_EQ(header->sectionSize(TFoundListModel::ColSize), widened);
}

// A date of any month shows whole in the Date column, whatever width it had before.
TEST_F(FoundListCommands, TheDateColumnShowsAWholeDate)
{
    QHeaderView* header = View()->header();
    header->resizeSection(TFoundListModel::ColDate, 20);
    tree.File("a.txt", "x");
    window.SB_runClick();
    for (const QString& date : TFoundListModel::SampleDateTexts())
        EXPECT_GT(header->sectionSize(TFoundListModel::ColDate), View()->fontMetrics().horizontalAdvance(date))
            << date.toStdString();
}

TEST_F(FoundListCommands, DuringARunRowsStayInFoundOrderAndTheChosenOrderComesAtTheEnd)
{
    for (const char* name : {"c.txt", "a.txt", "b.txt", "d.txt"})
        tree.File(name);
    ClickHeader(TFoundListModel::ColName, Qt::DescendingOrder);
    SwitchOn(0, {"probe"});
    std::vector<std::string> tested;
    std::vector<std::string> shownDuringRun;
    probe.test = [&](const std::string& path) {
        shownDuringRun.clear();
        for (int i = 0; i < window.FoundList().Count(); ++i)
            shownDuringRun.push_back(window.FoundList().Row(i).Path);
        tested.push_back(path);
        return true;
    };
    window.SB_runClick();
    ASSERT_EQ(tested.size(), 4u);
    EXPECT_EQ(shownDuringRun, std::vector<std::string>(tested.begin(), tested.end() - 1));
    EXPECT_EQ(Names(), (std::vector<std::string>{"d.txt", "c.txt", "b.txt", "a.txt"}));
}

TEST_F(FoundListCommands, CopyPutsTheSelectedRowsOnTheClipboardOnePerLine)
{
    tree.File("b one.txt");
    tree.File("a.txt");
    tree.File("c.txt");
    window.SB_runClick();
    ClickHeader(TFoundListModel::ColName, Qt::AscendingOrder);
    QItemSelectionModel* selection = View()->selectionModel();
    selection->select(window.FoundList().index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->select(window.FoundList().index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    window.UpdateCommands();

    window.CopyFullPaths();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromStdString(tree.Path("a.txt") + "\n" + tree.Path("c.txt")));
    window.findChild<QAction*>("P_Copyfilename")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "a.txt\nc.txt");
    View()->setFocus();
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QCoreApplication::sendEvent(View(), &copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromStdString(tree.Path("a.txt") + "\n" + tree.Path("c.txt")));
}

// A name holding a line break shows it as a mark; copying gives a file manager the exact bytes.
TEST_F(FoundListCommands, LineBreaksInNamesAreMarkedAndCopyCarriesTheExactPathBytes)
{
    const std::string odd = tree.File("two\nlines.txt");
    const std::string latin1 = tree.File("caf\xE9.txt");
    window.SB_runClick();
    ClickHeader(TFoundListModel::ColName, Qt::AscendingOrder);
    ASSERT_EQ(window.FoundList().rowCount(), 2);
    const QString shownName = window.FoundList().index(1, TFoundListModel::ColName).data().toString();
    EXPECT_EQ(shownName, QString::fromUtf8("two\u23CElines.txt"));
    EXPECT_TRUE(window.FoundList().index(1, TFoundListModel::ColPath).data().toString().endsWith(shownName));

    View()->selectionModel()->select(QItemSelection(window.FoundList().index(0, 0), window.FoundList().index(1, 0)),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    window.UpdateCommands();
    window.findChild<QAction*>("P_Copyfullpath")->trigger();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied->hasFormat("text/uri-list"));
    EXPECT_EQ(copied->data("text/uri-list").toStdString(),
              platform::FileUrl(latin1) + "\r\n" + platform::FileUrl(odd) + "\r\n");
    EXPECT_NE(copied->data("text/uri-list").indexOf("caf%E9.txt"), -1) << "the byte itself, not a replacement";
}

TEST(ShownText, EveryLineBreakIsMarkedAndTheRestReadsAsUtf8)
{
    struct Case { std::string bytes; QString shown; };
    for (const Case& c : {Case{"plain.txt", "plain.txt"}, Case{"a\nb", QString::fromUtf8("a\u23CEb")},
                          Case{"a\r\n", QString::fromUtf8("a\u23CE\u23CE")}, Case{"tab\there", "tab\there"},
                          Case{"gr\xC3\xBC\xC3\x9F", QString::fromUtf8("gr\u00FC\u00DF")}}) {
        EXPECT_EQ(ShownText(c.bytes), c.shown);
    }
}

// Find in found names reached by a shortcut: the Ctrl still held must not toggle the found row off.
TEST_F(FoundListCommands, ARowFoundWhileCtrlIsHeldIsSelected)
{
    tree.File("a.txt");
    tree.File("b.txt");
    window.SB_runClick();
    ClickHeader(TFoundListModel::ColName, Qt::AscendingOrder);
    View()->setFocus();
    QKeyEvent ctrlDown(QEvent::KeyPress, Qt::Key_F, Qt::ControlModifier);
    QCoreApplication::sendEvent(View(), &ctrlDown);
    window.FindIndex = -1;
    window.FindDialog1Find("B.TXT", FindDirection::Down);
    EXPECT_EQ(window.SelectedFoundPath(), tree.Path("b.txt"));
    QKeyEvent ctrlUp(QEvent::KeyRelease, Qt::Key_F, Qt::NoModifier);
    QCoreApplication::sendEvent(View(), &ctrlUp);
}

// A list of a million paths takes seconds to look up: the window answers meanwhile, its commands
// disabled as during a search, and closing it stops the load.
struct FoundListLoad : FoundListCommands {
    std::string ListOf(int files)
    {
        std::string lines;
        for (int i = 0; i < files; ++i)
            lines += tree.File("f" + std::to_string(i) + ".txt") + "\r\n";
        return work.File("list.txt", lines);
    }
    void Load(const std::string& list)
    {
        window.LoadFoundListChosenBy([list] { return std::optional<std::string>(list); });
    }
    bool RunEnabled() { return window.findChild<QAbstractButton*>("SB_run")->isEnabled(); }
};

TEST_F(FoundListLoad, TheWindowAnswersDuringALoadWithItsCommandsDisabled)
{
    const std::string list = ListOf(40);
    std::optional<bool> startEnabledMeanwhile;
    QString runTextMeanwhile;
    QTimer::singleShot(0, [&] {
        startEnabledMeanwhile = window.findChild<QAction*>("N_Startsearch")->isEnabled();
        runTextMeanwhile = window.findChild<QAbstractButton*>("SB_run")->text();
    });
    Load(list);
    EXPECT_EQ(startEnabledMeanwhile, false);
    EXPECT_EQ(runTextMeanwhile, "Stop");  // the Run button stops a load as it stops a search
    EXPECT_EQ(window.FoundList().rowCount(), 40);
    EXPECT_TRUE(RunEnabled());
    EXPECT_FALSE(window.Searching);
}

TEST_F(FoundListLoad, ClosingTheWindowStopsTheLoadAndThenCloses)
{
    window.show();
    const std::string list = ListOf(40);
    QTimer::singleShot(0, [&] { window.close(); });
    Load(list);
    EXPECT_LT(window.FoundList().rowCount(), 40);
    EXPECT_FALSE(window.Searching);
    EXPECT_TRUE(window.isVisible()) << "the close waits for the load to unwind";
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(FoundListCommands, DraggedRowsCarryFileUrlsWithTheExactBytes)
{
    tree.File("caf\xE9.txt");
    tree.File("plain.txt");
    window.SB_runClick();
    ClickHeader(TFoundListModel::ColName, Qt::AscendingOrder);
    TFoundListModel& model = window.FoundList();
    // Every cell of both rows, as a drag hands them in.
    QModelIndexList cells;
    for (int column = 0; column < TFoundListModel::ColumnCount; ++column)
        cells << model.index(1, column) << model.index(0, column);
    std::unique_ptr<QMimeData> mime(model.mimeData(cells));
    const std::string root = platform::FileUrl(tree.Root());
    const std::string expected = root + "caf%E9.txt\r\n" + root + "plain.txt\r\n";
    EXPECT_EQ(mime->data("text/uri-list").toStdString(), expected);
    EXPECT_TRUE(mime->hasText());
    EXPECT_TRUE(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsDragEnabled));
}

TEST_F(FoundListCommands, TheSummaryShowsTheFunnelOfTheRun)
{
    tree.SizedFile("a.txt", 5000);
    tree.SizedFile("b.txt", 50);
    tree.SizedFile("c.jpg", 9000);
    tree.SizedFile("sub/d.txt", 7000);
    SwitchOn(0, {"Text files"});
    SwitchOn(1, {"Size limitation", "SIZE_MIN=2", "SIZE_MIN_UNIT=KB", "SIZE_MAX_UNIT=KB"});
    probe.test = [](const std::string& path) { return path.ends_with(".txt"); };
    window.SB_runClick();

    const TKrellerFunnel& funnel = window.Funnel();
    ASSERT_EQ(funnel.Stages.size(), 2u);
    EXPECT_EQ(funnel.Stages[0].Caption, "File mask condition");
    EXPECT_EQ(funnel.Stages[0].Asked, 4);
    EXPECT_EQ(funnel.Stages[0].Refused, 1);
    EXPECT_EQ(funnel.Stages[1].Caption, "File size condition");
    EXPECT_EQ(funnel.Stages[1].Asked, 3);
    EXPECT_EQ(funnel.Stages[1].Refused, 1);
    const std::string summary = window.SearchResultText();
    EXPECT_TRUE(summary.starts_with("File(s) passed through all the krellers:2\n\nEntries examined: 9\n")) << summary;
    EXPECT_NE(summary.find("\nFile mask condition: 4 files asked, 1 refused, "), std::string::npos) << summary;
    EXPECT_EQ(window.StatusPanelText(0), "Examined: 9");
    EXPECT_EQ(window.StatusPanelText(1), "Found: 2");
}

TEST_F(FoundListCommands, WhyNotFoundTakesATypedPathAndAnswersInOneMessage)
{
    tree.File("a.jpg");
    SwitchOn(0, {"Text files"});
    probe.test = [](const std::string& path) { return path.ends_with(".txt"); };
    EXPECT_TRUE(window.findChild<QAction*>("N_Whynotfound")->isEnabled());
    QString answer;
    ClickInNextModal("btn_ok", [&](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("Edit_path")->setText(QString::fromStdString(tree.Path("a.jpg")));
        ClickInNextModal("btn_ok", [&](QWidget*) { answer = msg.Text(); });
    });
    window.N_WhynotfoundClick();
    EXPECT_EQ(answer.toStdString(),
              "\"" + tree.Path("a.jpg") + "\" is refused by the kreller \"File mask condition\" (Text files).");
}

} // namespace
