#include <gtest/gtest.h>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QWindow>

#include <QApplication>
#include <QScreen>

#include "ModalDriver.h"
#include "core/msg.h"
#include "core/progress.h"
#include "core/sure.h"

namespace {

TEST(SharedDialogs, ConfirmationAnswersYesOnlyForYes)
{
    TFsure sure;
    ClickInNextModal("btn_yes");
    EXPECT_TRUE(sure.Ask("Really?"));
    ClickInNextModal("btn_no");
    EXPECT_FALSE(sure.Ask("Really?"));
    EXPECT_EQ(sure.windowTitle(), "Confirmation:");
}

TEST(SharedDialogs, CheckedConfirmationOffersYesOnlyWhileTicked)
{
    TFsure_checked sure;
    bool yesEnabledAtFirst = true;
    ClickInNextModal("btn_yes", [&](QWidget* dialog) {
        auto* yes = dialog->findChild<QPushButton*>("btn_yes");
        yesEnabledAtFirst = yes->isEnabled();
        dialog->findChild<QCheckBox*>("CB_sure")->click();
    });
    EXPECT_TRUE(sure.Ask("Delete everything?"));
    EXPECT_FALSE(yesEnabledAtFirst);
    // The next question starts unticked again.
    ClickInNextModal("btn_no", [&](QWidget* dialog) {
        yesEnabledAtFirst = dialog->findChild<QPushButton*>("btn_yes")->isEnabled();
    });
    EXPECT_FALSE(sure.Ask("Again?"));
    EXPECT_FALSE(yesEnabledAtFirst);
}

// Presses Return where the keyboard focus of the next modal dialog is, recording which button
// had the focus and which was the default when it opened.
void PressReturnInNextModal(QString& focused, QString& byDefault)
{
    ClickInNextModal("", [&](QWidget* dialog) {
        QWidget* focus = dialog->focusWidget();
        focused = focus ? focus->objectName() : QString();
        byDefault.clear();
        for (auto* button : dialog->findChildren<QPushButton*>())
            if (button->isDefault())
                byDefault = button->objectName();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(focus ? focus : dialog, &press);
    });
}

TEST(SharedDialogs, EveryQuestionOpensOnYesEvenAfterANo)
{
    TFsure sure;
    QString focused, byDefault;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        PressReturnInNextModal(focused, byDefault);
        EXPECT_TRUE(sure.Ask("Save as default?"));
        EXPECT_EQ(focused, "btn_yes");
        EXPECT_EQ(byDefault, "btn_yes");
        // A "No" reached with the keyboard leaves the focus on "No" when the dialog closes.
        ClickInNextModal("btn_no", [](QWidget* dialog) { dialog->findChild<QPushButton*>("btn_no")->setFocus(); });
        EXPECT_FALSE(sure.Ask("Save as default?"));
    }
}

TEST(SharedDialogs, BreakDialogOpensOnContinueAndCheckedQuestionOnItsCheckBox)
{
    TFbreak_scanning breakDialog;
    QString focused, byDefault;
    ClickInNextModal("btn_yes", [](QWidget* dialog) { dialog->findChild<QPushButton*>("btn_yes")->setFocus(); });
    EXPECT_TRUE(breakDialog.Ask("Break process?"));
    PressReturnInNextModal(focused, byDefault);
    EXPECT_FALSE(breakDialog.Ask("Break process?"));
    EXPECT_EQ(focused, "btn_no");
    EXPECT_EQ(byDefault, "btn_no");

    // "Yes" stays disabled until ticked, so the keyboard starts on the check box.
    TFsure_checked checked;
    ClickInNextModal("btn_no", [&](QWidget* dialog) { focused = dialog->focusWidget()->objectName(); });
    EXPECT_FALSE(checked.Ask("Delete everything?"));
    EXPECT_EQ(focused, "CB_sure");
}

TEST(SharedDialogs, BreakDialogAsksAboveTheProgressWindowCentredOnIt)
{
    QWidget owner;
    TFbreak_scanning breakDialog(&owner);
    TD_progress progress;
    progress.setGeometry(200, 150, 420, 300);
    progress.ReportProgress(1, 2);
    QWidget* parentWhileAsked = nullptr;
    QWindow* transientParent = nullptr;
    Qt::WindowFlags flags;
    QPoint centre;
    ClickInNextModal("btn_no", [&](QWidget* dialog) {
        parentWhileAsked = dialog->parentWidget();
        transientParent = dialog->windowHandle()->transientParent();
        flags = dialog->windowFlags();
        centre = dialog->frameGeometry().center();
    });
    EXPECT_FALSE(breakDialog.AskAbove(&progress, "Break process?"));
    EXPECT_EQ(parentWhileAsked, &progress);
    EXPECT_EQ(transientParent, progress.windowHandle());
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_LE((centre - progress.frameGeometry().center()).manhattanLength(), 2);
    // Afterwards it belongs to its owner again, as an ordinary dialog.
    EXPECT_EQ(breakDialog.parentWidget(), &owner);
    EXPECT_FALSE(breakDialog.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST(SharedDialogs, MessageShowsItsTextUntilOk)
{
    TDmsg msg;
    ClickInNextModal("btn_ok");
    msg.Inform("line one\nline two");
    EXPECT_EQ(msg.Text(), "line one\nline two");
    EXPECT_EQ(msg.windowTitle(), "Message:");
}

// A summary's lines keep to one row each while they fit two thirds of the screen; a longer one wraps
// within that width.
TEST(SharedDialogs, MessageLinesKeepToOneRowWhileTheyFit)
{
    TDmsg msg;
    const QString funnelLine = "File mask condition: 123456 files asked, 123 refused (12 by errors), 1.234 s";
    const QString endless = QString("word ").repeated(400);
    const int twoThirds = QGuiApplication::primaryScreen()->availableGeometry().width() * 2 / 3;
    struct Case {
        QString text;
        bool fitsOnOneRow;
    };
    for (const Case& c : {Case{"short", true}, Case{"File(s) passed through all the krellers:6\n\n" + funnelLine, true},
                          Case{endless, false}, Case{"short again", true}}) {
        int shownWidth = 0;
        int neededWidth = 0;
        ClickInNextModal("btn_ok", [&](QWidget* dialog) {
            auto* label = dialog->findChild<QLabel*>("Label_text");
            shownWidth = label->contentsRect().width() - 2 * label->margin();
            neededWidth = label->fontMetrics().horizontalAdvance(c.text.split('\n').last());
        });
        msg.Inform(c.text.toStdString());
        if (c.fitsOnOneRow) {
            EXPECT_GE(shownWidth, neededWidth) << c.text.toStdString();
            EXPECT_LE(shownWidth, std::max(neededWidth, 320) + 40) << c.text.toStdString();
        } else {
            EXPECT_LE(shownWidth, twoThirds) << "a long line wraps within two thirds of the screen";
        }
    }
}

TEST(SharedDialogs, ProgressCounterReadsFoundBeforeTotal)
{
    TD_progress progress;
    EXPECT_FALSE(progress.ShownFlag);
    EXPECT_TRUE(progress.ReportProgress(12, 3400));
    EXPECT_TRUE(progress.ShownFlag);
    EXPECT_EQ(progress.findChild<QLabel*>("Label_counter")->text(), "12/3400");
    progress.BreakProgress(false);
    EXPECT_FALSE(progress.ReportProgress(13, 3401));
    EXPECT_TRUE(progress.ShownFlag);
    progress.BreakProgress(true);
    EXPECT_FALSE(progress.ShownFlag);
    progress.ResetProgress();
    EXPECT_TRUE(progress.ContinueFlag);
    EXPECT_TRUE(progress.findChild<QLabel*>("Label_counter")->text().isEmpty());
}

} // namespace
