// The kreller dialogs and the kreller list as the keyboard reaches them.
#include "krellers/kreller.h"
#include "krellers/kreller_date.h"
#include "krellers/kreller_dirs.h"
#include "krellers/kreller_list_view.h"
#include "krellers/kreller_mask.h"
#include "krellers/kreller_size.h"
#include "support/ModalDriver.h"

#include <QKeyEvent>
#include <QLayout>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

void Press(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(widget, &press);
}

// Every native kreller dialog: F1 opens its help page as "Help" does, it keeps the size of its
// contents without minimise or maximise, and its standard buttons carry icons.
TEST(KrellerKeys, EveryKrellerDialogAnswersF1AndIsASmallFixedDialog)
{
    struct Case { std::unique_ptr<TD_kreller> kreller; const char* topic; };
    Case cases[] = {
        {std::make_unique<TD_kreller_dirs>(), "kreller_dir"},
        {std::make_unique<TD_kreller_mask>(), "kreller_filetype"},
        {std::make_unique<TD_kreller_date>(), "kreller_date"},
        {std::make_unique<TD_kreller_size>(), "index"},  // no page of its own: the main help
    };
    for (Case& c : cases) {
        std::vector<std::string> topics;
        TKrellerServices services;
        services.ShowHelpTopic = [&topics](const std::string& topic) { topics.push_back(topic); };
        c.kreller->SetServices(services);
        Press(c.kreller.get(), Qt::Key_F1);
        EXPECT_EQ(topics, std::vector<std::string>{c.topic}) << c.topic;

        EXPECT_EQ(c.kreller->layout()->sizeConstraint(), QLayout::SetFixedSize) << c.topic;
        EXPECT_FALSE(c.kreller->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)) << c.topic;
        for (const char* button : {"btn_ok", "btn_cancel", "btn_reset"})
            EXPECT_FALSE(c.kreller->findChild<QPushButton*>(button)->icon().isNull()) << c.topic << " " << button;
    }
}

class EditCounter : public TD_kreller {
public:
    int edits = 0;
    bool EditCondition(TConditionStrings&) override
    {
        ++edits;
        return false;
    }
};

TEST(KrellerKeys, EnterOnAKrellerRowEditsIt)
{
    EditCounter kreller;
    TKrellerList list;
    TKrellerListView view(list);
    view.AppendNativeRow("File size condition", &kreller);
    Press(&view, Qt::Key_Return);
    EXPECT_EQ(kreller.edits, 0) << "no row is selected yet";
    view.setCurrentItem(view.topLevelItem(0));
    Press(&view, Qt::Key_Return);
    Press(&view, Qt::Key_Enter);
    EXPECT_EQ(kreller.edits, 2);
    view.SetSearching(true);
    Press(&view, Qt::Key_Return);
    EXPECT_EQ(kreller.edits, 2) << "no edit while a search runs";
}

} // namespace
