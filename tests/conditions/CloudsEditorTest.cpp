#include <functional>

#include "ModalDriver.h"
#include "conditions/LCEdit.h"
#include "conditions/_advCloud.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

// An active editor in a shown window, with clouds A at (100, 100) and B at (300, 100), both of
// radius 60, and no pins; its questions are recorded and answered with `answer`.
class CloudsEditor : public testing::Test {
protected:
    void SetUp() override
    {
        editor.resize(520, 400);
        editor.SetAsk([this](const std::string& question) {
            questions.push_back(question);
            return answer;
        });
        editor.show();
        editor.Activate();
        editor.Diagram().SetAutoPin(false);
        a = editor.Diagram().AddCloud("A", "EXISTS('A')", 100, 100, 60);
        b = editor.Diagram().AddCloud("B", "EXISTS('B')", 300, 100, 60);
        paintBox = editor.findChild<QWidget*>("PB1");
        ASSERT_NE(paintBox, nullptr);
    }

    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent event(type, QPointF(at), paintBox->mapToGlobal(QPointF(at)), button, held, modifiers);
        QApplication::sendEvent(paintBox, &event);
    }
    void Press(QPoint at, Qt::MouseButton button = Qt::LeftButton) { Mouse(QEvent::MouseButtonPress, at, button, button); }
    void MoveTo(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        Mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton, modifiers);
    }
    void Release(QPoint at) { Mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }
    void DoubleClick(QPoint at)
    {
        Press(at);
        Release(at);
        Mouse(QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
        Release(at);
    }
    void Key(int key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(editor.findChild<QWidget*>("btnTarget"), &event);
    }
    QAction* Action(const char* name) { return editor.findChild<QAction*>(name); }

    TOadvCloud editor;
    TNOXlc* a = nullptr;
    TNOXlc* b = nullptr;
    QWidget* paintBox = nullptr;
    std::vector<std::string> questions;
    bool answer = true;
};

TEST_F(CloudsEditor, APressSelectsOnlyOnAnOutline)
{
    struct Case {
        QPoint at;
        const TNOXlc* selected;
    };
    const Case cases[] = {
        {{130, 100}, nullptr}, {{157, 100}, nullptr}, {{158, 100}, a}, {{162, 100}, a},
        {{163, 100}, nullptr}, {{100, 38}, a},        {{240, 100}, b}, {{20, 300}, nullptr},
    };
    for (const Case& c : cases) {
        Press(c.at);
        EXPECT_EQ(editor.Diagram().CurrentCloud(), c.selected) << c.at.x() << "," << c.at.y();
        EXPECT_EQ(editor.DragCloud(), c.selected);
        Release(c.at);
    }
    Press({160, 100}, Qt::RightButton);
    EXPECT_EQ(editor.Diagram().CurrentCloud(), a);
    EXPECT_EQ(editor.DragCloud(), nullptr) << "only the left button drags";
}

TEST_F(CloudsEditor, DraggingMovesTheCloudWithoutHatchUntilRelease)
{
    Press({160, 100});
    MoveTo({200, 150});
    EXPECT_EQ(a->X, 140);
    EXPECT_EQ(a->Y, 150);
    EXPECT_FALSE(editor.HatchPins());
    MoveTo({60, 30});  // the margin holds the cloud at 65 from the top
    EXPECT_EQ(a->X, 65);
    EXPECT_EQ(a->Y, 65);
    Release({60, 30});
    EXPECT_TRUE(editor.HatchPins());
    EXPECT_EQ(editor.DragCloud(), nullptr);
}

TEST_F(CloudsEditor, ReleasingADragRemovesEveryDuplicatePin)
{
    editor.Diagram().AddPin(90, 100);
    editor.Diagram().AddPin(300, 300);
    editor.Diagram().AddPin(110, 100);
    editor.Diagram().AddPin(100, 120);
    Press({160, 100});
    MoveTo({161, 100});
    Release({161, 100});
    EXPECT_EQ(editor.Diagram().PinCount(), 2);
}

TEST_F(CloudsEditor, DraggingOffTheLeftOrTopEdgeDeletesWithoutAQuestion)
{
    struct Case {
        QPoint to;
        bool deleted;
    };
    for (const Case& c : {Case{{-31, 100}, true}, {{100, -31}, true}, {{-30, -30}, false}}) {
        SetUp();
        Press({160, 100});
        MoveTo(c.to);
        EXPECT_EQ(editor.Diagram().CloudCount(), c.deleted ? 1 : 2) << c.to.x() << "," << c.to.y();
        if (c.deleted) {
            EXPECT_EQ(editor.DragCloud(), nullptr);
            MoveTo({250, 250});
            EXPECT_EQ(editor.Diagram().CloudAt(0)->X, 300) << "later moves do nothing";
        }
        Release(c.to);
    }
    EXPECT_TRUE(questions.empty());
}

TEST_F(CloudsEditor, DraggingOffDeletesTheCloudInHandWhereOutlinesCross)
{
    TNOXlc* c = editor.Diagram().AddCloud("C", "EXISTS('C')", 180, 100, 20);  // its outline meets A's at 160
    Press({160, 100});
    EXPECT_EQ(editor.DragCloud(), a);
    EXPECT_EQ(editor.Diagram().CurrentCloud(), c);
    MoveTo({-40, 100});
    ASSERT_EQ(editor.Diagram().CloudCount(), 2);
    EXPECT_EQ(editor.Diagram().CloudAt(0), b);
    EXPECT_EQ(editor.Diagram().CloudAt(1), c);
}

TEST_F(CloudsEditor, ShiftDraggingResizes)
{
    Press({160, 100});
    MoveTo({180, 100}, Qt::ShiftModifier);
    EXPECT_EQ(a->R, 80);
    EXPECT_EQ(a->CSX, 24);
    EXPECT_EQ(a->CSY, 28);
    EXPECT_TRUE(editor.HatchPins()) << "a Shift drag keeps the hatch";
}

TEST_F(CloudsEditor, DoubleClicksToggleAPin)
{
    DoubleClick({50, 60});
    ASSERT_EQ(editor.Diagram().PinCount(), 1);
    EXPECT_EQ(*editor.Diagram().PinAt(0), (TNOXpin{50, 60}));
    DoubleClick({55, 55});  // on the tick
    EXPECT_EQ(editor.Diagram().PinCount(), 0);
    DoubleClick({0, 40});
    DoubleClick({40, 0});
    EXPECT_EQ(editor.Diagram().PinCount(), 0);
    DoubleClick({420, 300});
    DoubleClick({430, 310});  // the same region: the earlier pin goes
    ASSERT_EQ(editor.Diagram().PinCount(), 1);
    EXPECT_EQ(*editor.Diagram().PinAt(0), (TNOXpin{430, 310}));
}

TEST_F(CloudsEditor, AnInactiveEditorIgnoresTheMouse)
{
    editor.Deactivate();
    DoubleClick({50, 60});
    EXPECT_EQ(editor.Diagram().PinCount(), 0);
    EXPECT_FALSE(editor.findChild<QTimer*>("Timer1")->isActive());
    editor.Activate();
    EXPECT_TRUE(editor.findChild<QTimer*>("Timer1")->isActive());
}

TEST_F(CloudsEditor, TabReachesTheDiagramThroughItsFocusTargetOnly)
{
    QStringList stops;
    for (QWidget* control : editor.findChildren<QWidget*>()) {
        if (control->focusPolicy() & Qt::TabFocus)
            stops << control->objectName();
    }
    EXPECT_EQ(stops, QStringList{"btnTarget"});
}

TEST_F(CloudsEditor, PopupCommandsAskAndTellTheOwner)
{
    int done = 0;
    QObject::connect(&editor, &TOclouds::PopupCommandDone, [&done] { ++done; });
    auto* menu = editor.findChild<QMenu*>("PM1");
    Press({20, 300});
    emit menu->aboutToShow();
    EXPECT_FALSE(Action("N_Edit")->isEnabled());
    EXPECT_FALSE(Action("N_Delete")->isEnabled());
    Press({160, 100});
    Release({160, 100});
    emit menu->aboutToShow();
    EXPECT_TRUE(Action("N_Edit")->isEnabled());
    EXPECT_TRUE(Action("N_Delete")->isEnabled());

    answer = false;
    Action("N_Delete")->trigger();
    Action("N_Clear")->trigger();
    EXPECT_EQ(editor.Diagram().CloudCount(), 2);
    answer = true;
    Action("N_Delete")->trigger();
    EXPECT_EQ(editor.Diagram().CloudCount(), 1);
    Action("N_Clear")->trigger();
    EXPECT_EQ(editor.Diagram().CloudCount(), 0);
    EXPECT_TRUE(editor.Diagram().Active());
    EXPECT_EQ(questions, (std::vector<std::string>{"Delete current condition?", "Clear all conditions?",
                                                   "Delete current condition?", "Clear all conditions?"}));
    EXPECT_EQ(done, 4);
}

TEST_F(CloudsEditor, KeysOnTheFocusTargetDeleteAndEdit)
{
    Press({20, 300});
    Key(Qt::Key_Delete);
    EXPECT_TRUE(questions.empty()) << "nothing is selected";
    Press({160, 100});
    Release({160, 100});
    Key(Qt::Key_Delete);
    EXPECT_EQ(questions, std::vector<std::string>{"Delete current condition?"});
    EXPECT_EQ(editor.Diagram().CloudCount(), 1);

    Press({240, 100});
    Release({240, 100});
    for (int key : {Qt::Key_Return, Qt::Key_Space}) {
        bool shown = false;
        ClickInNextModal("btn_close", [&shown](QWidget* dialog) { shown = dialog->objectName() == "TFLCEdit"; });
        Key(key);
        EXPECT_TRUE(shown) << "key " << key;
    }
}

TEST_F(CloudsEditor, PinnedRegionsAreHatchedExactly)
{
    editor.Diagram().AddCloud("C", "EXISTS('C')", 160, 100, 60);  // overlaps A
    editor.Diagram().AddPin(60, 100);                                // in A alone
    editor.Diagram().SelectCloud(nullptr);
    const QImage image = paintBox->grab().toImage();
    // The boxes keep clear of outlines and captions, so whatever is not white in them is hatch.
    auto hatchIn = [&image](QRect box) {
        int count = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                count += image.pixelColor(x, y) != QColor(Qt::white);
        return count;
    };
    EXPECT_GT(hatchIn({65, 80, 20, 40}), 40) << "A alone";
    EXPECT_EQ(hatchIn({120, 90, 20, 20}), 0) << "A and C";
    EXPECT_EQ(hatchIn({280, 80, 40, 40}), 0) << "B";
    EXPECT_EQ(hatchIn({400, 250, 40, 40}), 0) << "outside";
    const QColor tick = image.pixelColor(60, 100);
    EXPECT_TRUE(tick.red() > 200 && tick.green() < 120) << "the tick";
}

TEST_F(CloudsEditor, TheAreaGrowsToHoldEveryCloudEvenHugeOnes)
{
    editor.Diagram().AddCloud("far", "EXISTS('F')", 900, 700, 60);
    EXPECT_GE(paintBox->width(), 965);
    EXPECT_GE(paintBox->height(), 765);
    editor.Diagram().LoadClouds("<ALC><LC X=\"2147483647\" Y=\"0\" R=\"2147483647\"/><PIN X=\"5\" Y=\"5\"/></ALC>");
    EXPECT_EQ(paintBox->width(), QWIDGETSIZE_MAX);
    paintBox->grab(QRect(0, 0, 200, 200));  // paints without overflow or hang
}

// ---- the "Selected condition" dialog --------------------------------------------------------

class SelectedCondition : public testing::Test {
protected:
    void SetUp() override
    {
        cloud.Caption = "Context:\"x\"";
        cloud.Body = "EXISTS('X')";
        cloud.R = 60;
        cloud.SetDefaultCaptionOffset();
        dialog.OnCloudChanged = [this](TNOXlc&) { ++changes; };
        dialog.SetHelpOpener([this](const std::string& topic) { topics.push_back(topic); });
    }

    // Shows the dialog on the cloud, lets act work on it and closes it with the button named.
    void Edit(std::function<void(QWidget*)> act, const QString& closeWith = "btn_close")
    {
        ClickInNextModal(closeWith, std::move(act));
        dialog.EditCloud(&cloud);
    }

    TNOXlc cloud;
    TFLCEdit dialog;
    int changes = 0;
    std::vector<std::string> topics;
};

TEST_F(SelectedCondition, TheRadiusTakesOnlyValuesFrom20To100)
{
    struct Case {
        int typed;
        int radius;
        bool outOfRange;
    };
    for (const Case& c : {Case{19, 60, true}, {101, 60, true}, {20, 20, false}, {100, 100, false}}) {
        cloud.R = 60;
        bool warned = false;
        QString range;
        Edit([&](QWidget* d) {
            d->findChild<QSpinBox*>("SE1")->setValue(c.typed);
            warned = !d->findChild<QLabel*>("Label_OOR")->isHidden();
            const QLabel* allowed = d->findChild<QLabel*>("Label_range");
            range = allowed->isHidden() ? QString() : allowed->text();
        });
        EXPECT_EQ(range, c.outOfRange ? "allowed: 20 to 100" : "") << "the warning says what is taken";
        EXPECT_EQ(cloud.R, c.radius) << c.typed;
        EXPECT_EQ(warned, c.outOfRange) << c.typed;
        EXPECT_EQ(cloud.CSX, 18) << "the caption offset stays";
    }
}

TEST_F(SelectedCondition, CloudsOfAnySizeAreShownAsTheyAreAndTunedWithoutOverflow)
{
    struct Case {
        std::int32_t r, offset;
        int step;  // +1: SBr and SBdn, -1: SBl and SBup
        bool warned;
        std::int32_t tuned;
    };
    const Case cases[] = {
        {60, 18, +1, false, 19},
        {150, 45, -1, true, 44},  // a Shift-drag made it larger than the dialog takes
        {INT_MAX, INT_MAX, +1, true, INT_MAX},
        {INT_MIN, INT_MIN, -1, true, INT_MIN},
    };
    for (const Case& c : cases) {
        cloud.R = c.r;
        cloud.CSX = cloud.CSY = c.offset;
        int shown = 0;
        bool warned = false;
        Edit([&](QWidget* d) {
            shown = d->findChild<QSpinBox*>("SE1")->value();
            warned = !d->findChild<QLabel*>("Label_OOR")->isHidden();
            for (const char* name : c.step > 0 ? std::vector{"SBr", "SBdn"} : std::vector{"SBl", "SBup"})
                d->findChild<QToolButton*>(name)->click();
        });
        EXPECT_EQ(shown, c.r);
        EXPECT_EQ(warned, c.warned) << c.r;
        EXPECT_EQ(cloud.R, c.r);
        EXPECT_EQ(cloud.CSX, c.tuned) << c.r;
        EXPECT_EQ(cloud.CSY, c.tuned) << c.r;
    }
}

TEST_F(SelectedCondition, AnEmptiedCaptionComesBackAndCloseTrimsIt)
{
    QString shown;
    Edit([&](QWidget* d) {
        auto* edit = d->findChild<QLineEdit*>("Edit1");
        edit->setText("  ");
        shown = edit->text();
        edit->setText("  new caption ");
    });
    EXPECT_EQ(shown, "Context:\"x\"");
    EXPECT_EQ(cloud.Caption, "new caption");
    EXPECT_GT(changes, 0);
}

TEST_F(SelectedCondition, TuningButtonsMoveTheCaptionByOnePixel)
{
    Edit([](QWidget* d) {
        for (const char* name : {"SBl", "SBl", "SBup", "SBr", "SBdn", "SBdn", "SBdn"})
            d->findChild<QToolButton*>(name)->click();
    });
    EXPECT_EQ(cloud.CSX, 18 - 1);
    EXPECT_EQ(cloud.CSY, 21 + 2);
}

TEST_F(SelectedCondition, TheCaptionDroppedOnTheCircleSetsTheOffset)
{
    Edit([](QWidget* d) {
        auto* label = d->findChild<QLabel*>("LabelC");
        auto* circle = d->findChild<QWidget*>("Shape1");
        auto send = [label](QEvent::Type type, QPoint global, Qt::MouseButtons held) {
            QMouseEvent event(type, QPointF(label->mapFromGlobal(global)), QPointF(global), Qt::LeftButton, held,
                              Qt::NoModifier);
            QApplication::sendEvent(label, &event);
        };
        send(QEvent::MouseButtonPress, label->mapToGlobal(QPoint(3, 4)), Qt::LeftButton);
        send(QEvent::MouseMove, circle->mapToGlobal(QPoint(40, 50)), Qt::LeftButton);
        send(QEvent::MouseButtonRelease, circle->mapToGlobal(QPoint(70, 80)), Qt::NoButton);
        // Dropped outside the circle: nothing changes.
        send(QEvent::MouseButtonPress, label->mapToGlobal(QPoint(1, 1)), Qt::LeftButton);
        send(QEvent::MouseButtonRelease, circle->mapToGlobal(QPoint(-20, 10)), Qt::NoButton);
    });
    EXPECT_EQ(cloud.CSX, 70 - 60 - 3);
    EXPECT_EQ(cloud.CSY, 80 - 60 - 4);
}

TEST_F(SelectedCondition, TheBodyIsKeptHoweverTheDialogCloses)
{
    bool readOnlyFirst = false;
    bool readOnlyAfterTick = true;
    Edit(
        [&](QWidget* d) {
            auto* body = d->findChild<QPlainTextEdit*>("Edit_body");
            readOnlyFirst = body->isReadOnly();
            d->findChild<QCheckBox*>("CB_edit")->setChecked(true);
            readOnlyAfterTick = body->isReadOnly();
            body->setPlainText("EXISTS('X') || EXISTS('Y')");
            d->findChild<QPushButton*>("btn_help")->click();
            static_cast<QDialog*>(d)->reject();  // the window's close box
        },
        "none");
    EXPECT_TRUE(readOnlyFirst);
    EXPECT_FALSE(readOnlyAfterTick);
    EXPECT_EQ(cloud.Body, "EXISTS('X') || EXISTS('Y')");
    EXPECT_EQ(topics, std::vector<std::string>{"cond_edit"});
}

} // namespace
