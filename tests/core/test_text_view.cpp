#include "core/find_dialog.h"
#include "core/text_view.h"

#include "support/TempTree.h"

#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QApplication>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::string_literals;

TEST(TextForView, CutsAtTheFirstZeroByteAndMakesEveryLineBreakOne)
{
    struct Case {
        std::string bytes;
        std::string shown;
    };
    for (const Case& c : {Case{"0123456789\0rest\nmore"s, "0123456789"}, Case{"\0abc"s, ""},
                          Case{"a\r\nb\nc\rd", "a\nb\nc\nd"}, Case{"a\r\r\nb\n\r", "a\n\nb\n\n"},
                          Case{"tail\r", "tail\n"}, Case{"", ""}}) {
        EXPECT_EQ(TextForView(c.bytes), c.shown);
    }
}

TEST(FindTextFrom, AsciiLettersIgnoreCaseOtherCharactersMustBeEqual)
{
    struct Case {
        QString text, key;
        qsizetype from, found;
    };
    for (const Case& c : {Case{"abc ABC", "bC", 0, 1}, Case{"abc ABC", "bC", 2, 5}, Case{"abc", "c", 3, -1},
                          Case{"abc", "", 0, -1}, Case{"abc", "abcd", 0, -1}, Case{"x\u00E4 \u00C4", "\u00C4", 0, 3},
                          Case{"[a]{A}", "{a", 0, 3}, Case{"a  b", " b", 0, 2}}) {
        EXPECT_EQ(FindTextFrom(c.text, c.key, c.from), c.found) << c.text.toStdString() << " / " << c.key.toStdString();
    }
}

class TextView : public ::testing::Test {
protected:
    TextView()
        : view([this](const std::string& text) { Messages.push_back(text); })
    {
    }
    QString Shown() const { return view.Memo_text()->toPlainText(); }
    QString Selected() const { return view.Memo_text()->textCursor().selectedText(); }
    int SelectionStart() const { return view.Memo_text()->textCursor().selectionStart(); }

    TempTree tree;
    std::vector<std::string> Messages;
    TF_text_view view;
};

TEST_F(TextView, ShowsTheFileUpToItsFirstZeroByte)
{
    view.LoadFile(tree.File("zero.txt", "0123456789\0hidden"s));
    EXPECT_EQ(Shown(), "0123456789");
}

TEST_F(TextView, ALoadFailureIsToldAndTheWindowIsNotShown)
{
    bool shown = false;
    QTimer::singleShot(0, &view, [&] {
        shown = view.isVisible();
        view.reject();
    });
    view.ViewFile(tree.Path("missing.txt"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(shown);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_NE(Messages[0].find("missing.txt"), std::string::npos) << Messages[0];
}

TEST_F(TextView, ViewFileShowsModallyAndEscapeInTheTextCloses)
{
    const std::string path = tree.File("a.txt", "line one\r\nline two\r\n");
    QString seen;
    bool modal = false;
    QTimer::singleShot(0, &view, [&] {
        seen = Shown();
        modal = view.isModal() && view.isVisible();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(view.Memo_text(), &escape);
    });
    QTimer::singleShot(5000, &view, [&] { view.reject(); });  // a failed close must not hang the test
    view.ViewFile(path);
    EXPECT_TRUE(modal);
    EXPECT_EQ(seen, "line one\nline two\n");
    EXPECT_FALSE(view.isVisible());
    EXPECT_TRUE(Messages.empty());
}

TEST_F(TextView, RepeatedFindWalksThroughTheOccurrencesAndGoesRoundFromTheTopSayingSo)
{
    view.LoadFile(tree.File("a.txt", "xAx\r\nax\rA"));
    std::vector<int> starts;
    for (int i = 0; i < 3; ++i) {
        view.FindNext("a");
        EXPECT_EQ(Selected().toUpper(), "A");
        EXPECT_TRUE(view.FindDialog()->Note().isEmpty());
        starts.push_back(SelectionStart());
    }
    EXPECT_EQ(starts, (std::vector<int>{1, 4, 7}));
    view.FindNext("a");
    EXPECT_EQ(SelectionStart(), 1);
    EXPECT_EQ(view.FindDialog()->Note(), "Continued from the top");
    EXPECT_TRUE(Messages.empty());
    view.FindNext("q");
    EXPECT_EQ(Messages, std::vector<std::string>{"Not found"});
    EXPECT_EQ(SelectionStart(), 1) << "a failed find keeps the selection";
}

TEST_F(TextView, TitleNamesTheFileTextIsFixedWidthAndTheKeysFind)
{
    const std::string path = tree.File("notes\nnew.txt", "one two two");
    QString title;
    bool fixedPitch = false;
    bool findShown = false;
    bool findCoversText = true;
    int afterF3 = -1, afterSecondF3 = -1;
    view.resize(300, 200);  // room beside it on the small test screen
    QTimer::singleShot(0, &view, [&] {
        title = view.windowTitle();
        fixedPitch = QFontInfo(view.Memo_text()->font()).fixedPitch();
        QKeyEvent ctrlF(QEvent::KeyPress, Qt::Key_F, Qt::ControlModifier);
        QApplication::sendEvent(view.Memo_text(), &ctrlF);
        findShown = view.FindDialog()->isVisible();
        findCoversText = view.FindDialog()->frameGeometry().intersects(view.frameGeometry());
        view.FindDialog()->findChild<QLineEdit*>("Edit_find")->setText("two");
        QKeyEvent f3(QEvent::KeyPress, Qt::Key_F3, Qt::NoModifier);
        QApplication::sendEvent(view.Memo_text(), &f3);
        afterF3 = SelectionStart();
        QApplication::sendEvent(view.Memo_text(), &f3);
        afterSecondF3 = SelectionStart();
        view.reject();
    });
    view.ViewFile(path);
    EXPECT_EQ(title, QString::fromUtf8("notes\u23CEnew.txt - View as text"));
    EXPECT_TRUE(fixedPitch);
    EXPECT_TRUE(findShown);
    EXPECT_FALSE(findCoversText) << "the find box opens beside the text";
    EXPECT_EQ(afterF3, 4);
    EXPECT_EQ(afterSecondF3, 8);
}

TEST(FindTextWrapping, AfterTheLastOccurrenceTheFirstFromTheTop)
{
    struct Case { QString text, key; qsizetype from, at; bool wrapped; };
    for (const Case& c : {Case{"ab ab", "ab", 1, 3, false}, Case{"ab ab", "ab", 4, 0, true}, Case{"ab", "ab", 2, 0, true},
                          Case{"ab", "x", 0, -1, false}, Case{"", "x", 0, -1, false}}) {
        const TTextFindResult found = FindTextWrapping(c.text, c.key, c.from);
        EXPECT_EQ(found.At, c.at) << c.text.toStdString() << " " << c.from;
        EXPECT_EQ(found.Wrapped, c.wrapped) << c.text.toStdString() << " " << c.from;
    }
}

TEST_F(TextView, FindStartsAfterTheSelectionOrAtTheCaret)
{
    view.LoadFile(tree.File("a.txt", "ab ab\nab"));
    QTextCursor cursor = view.Memo_text()->textCursor();
    cursor.setPosition(1);
    view.Memo_text()->setTextCursor(cursor);
    view.FindNext("AB");
    EXPECT_EQ(SelectionStart(), 3);
    view.FindNext("b a");  // the text as typed, blanks included: only before the selection
    EXPECT_EQ(SelectionStart(), 1);
    EXPECT_TRUE(Messages.empty());
    view.FindNext("b  a");
    EXPECT_EQ(Messages, std::vector<std::string>{"Not found"});
    view.FindNext("b");
    EXPECT_EQ(SelectionStart(), 4);
}

TEST_F(TextView, ABigFileArrivesInPiecesAndFindSearchesAllOfIt)
{
    // A character outside the basic plane right where a piece might end.
    const std::string head(262143, 'a');
    const std::string content = head + "\xF0\x9F\x98\x80" + std::string(300000, 'b') + "\r\nneedle";
    view.LoadFile(tree.File("big.txt", content));
    EXPECT_TRUE(view.IsFeeding());
    EXPECT_EQ(SelectionStart(), 0);
    view.FindNext("NEEDLE");
    EXPECT_FALSE(view.IsFeeding());
    EXPECT_EQ(Selected(), "needle");
    EXPECT_EQ(Shown(), QString::fromUtf8(TextForView(content)));
}

QString ReadInSteps(TViewTextReader& reader, std::size_t step)
{
    QString text;
    while (!reader.AtEnd())
        text += reader.NextStep(step);
    return text;
}

// Steps may end inside CR LF or inside a character; the text is the same as read at once.
TEST(ViewTextReader, TextReadInStepsIsTheTextReadAtOnce)
{
    TempTree tree;
    const std::string content = "a\r\nb\xF0\x9F\x98\x80\xC3\xA4\r\r\n\xFF\xE2\x82\xAC z\r";
    const std::string path = tree.File("steps.txt", content);
    for (std::size_t step : {1, 2, 3, 5, 64}) {
        TViewTextReader reader(path, ViewTextLimit);
        EXPECT_EQ(ReadInSteps(reader, step), QString::fromUtf8(TextForView(content))) << step;
        EXPECT_FALSE(reader.LimitReached());
    }
}

TEST(ViewTextReader, StopsAtTheLimitOrTheFirstZeroByte)
{
    TempTree tree;
    struct Case { std::string content; std::int64_t limit; const char* text; bool limitReached; };
    const Case cases[] = {
        {"0123456789abc", 10, "0123456789", true},
        {"0123456789", 10, "0123456789", false},  // all of it fits
        {"0123\0" "56789abc"s, 10, "0123", false},
    };
    for (const Case& c : cases) {
        TViewTextReader reader(tree.File("limit.txt", c.content), c.limit);
        EXPECT_EQ(ReadInSteps(reader, 3), c.text);
        EXPECT_EQ(reader.LimitReached(), c.limitReached) << c.text;
    }
    // A huge sparse file ends at its first byte, after one step.
    TViewTextReader sparse(tree.SizedFile("sparse.bin", std::int64_t{3} << 30), ViewTextLimit);
    EXPECT_EQ(sparse.NextStep(1 << 20), "");
    EXPECT_TRUE(sparse.AtEnd());
}

TEST_F(TextView, AFileBeyondTheLimitShowsItsStartAndSaysTheRestIsNotShown)
{
    view.TextLimit = 6;
    view.LoadFile(tree.File("long.txt", "line1\nline2\n"));
    view.FindNext("zzz");  // reads everything there is to read
    EXPECT_EQ(Shown(), "line1\n");
    EXPECT_FALSE(view.RestNote()->isHidden());
    EXPECT_EQ(view.RestNote()->text(), RestNotShownText);
    view.LoadFile(tree.File("short.txt", "line1"));
    EXPECT_TRUE(view.RestNote()->isHidden());
}

TEST_F(TextView, FifosSocketsAndDevicesAreRefusedInPlainWords)
{
    const std::string fifo = tree.Path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const std::string socketPath = tree.Path("sock");
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    for (const std::string& path : {fifo, socketPath, "/dev/null"s}) {
        view.ViewFile(path);
        ASSERT_FALSE(Messages.empty());
        EXPECT_EQ(Messages.back(), path + NotRegularFileText);
    }
    close(fd);
    EXPECT_EQ(Messages.size(), 3u);
}

TEST_F(TextView, TheFindButtonOffersTheFindDialogDownwardsOnly)
{
    view.LoadFile(tree.File("a.txt", "one two two"));
    view.findChild<QPushButton*>("btn_find")->click();
    TD_find* find = view.FindDialog();
    EXPECT_TRUE(find->isVisible());
    EXPECT_FALSE(find->isModal());
    EXPECT_FALSE(find->findChild<QWidget*>("RG_direction")->isVisibleTo(find));
    find->findChild<QLineEdit*>("Edit_find")->setText("TWO");
    find->findChild<QPushButton*>("btn_find_next")->click();
    EXPECT_EQ(SelectionStart(), 4);
    EXPECT_EQ(Selected(), "two");
    find->hide();
}

TEST(FindDialog, ReportsTextAndDirectionAndNeedsText)
{
    TD_find find;
    std::vector<std::pair<QString, FindDirection>> reports;
    QObject::connect(&find, &TD_find::FindNext,
                     [&](const QString& text, FindDirection direction) { reports.emplace_back(text, direction); });
    auto* next = find.findChild<QPushButton*>("btn_find_next");
    EXPECT_FALSE(next->isEnabled());
    find.findChild<QLineEdit*>("Edit_find")->setText(" txt ");
    next->click();
    find.findChild<QRadioButton*>("RB_up")->setChecked(true);
    next->click();
    EXPECT_EQ(reports, (std::vector<std::pair<QString, FindDirection>>{{" txt ", FindDirection::Down},
                                                                     {" txt ", FindDirection::Up}}));
}

} // namespace
