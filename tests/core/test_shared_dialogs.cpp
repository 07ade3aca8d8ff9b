#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

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

TEST(SharedDialogs, MessageShowsItsTextUntilOk)
{
    TDmsg msg;
    ClickInNextModal("btn_ok");
    msg.Inform("line one\nline two");
    EXPECT_EQ(msg.Text(), "line one\nline two");
    EXPECT_EQ(msg.windowTitle(), "Message:");
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
