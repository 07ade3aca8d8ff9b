#include "krellers/kreller_context.h"

#include "conditions/_advCloud.h"
#include "plugins/plugin_host.h"

#include <QEvent>
#include <algorithm>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* NewSpeedButton(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    return button;
}

} // namespace

TD_kreller_context::TD_kreller_context(QWidget* parent)
    : TD_kreller(parent),
      // Services arrive after the dialog is made, so the engine asks for them at each call.
      engine_({[this] {
                   if (Services().ProcessEvents)
                       Services().ProcessEvents();
               },
               [this] { return Services().Abandoned(); }})
{
    setWindowTitle("Context kreller");
    resize(609, 435);
    ResetButton()->hide();
    connect(AddColumnButton("Cartridges", "btn_cartridges"), &QPushButton::clicked, this,
            &TD_kreller_context::btn_cartridgesClick);
    AddHelpButton("kreller_context");
    BuildPage();

    OClouds1->SetAsk([this](const std::string& question) { return Services().AskYes(question); });
    OClouds1->SetHelpOpener([this](const std::string& topic) {
        if (Services().ShowHelpTopic)
            Services().ShowHelpTopic(topic);
    });
    OClouds1->Deactivate();
    OClouds1->Activate();
    OClouds1->Diagram().OnSelect = [this] { UpdateActions(); };
    connect(OClouds1, &TOclouds::PopupCommandDone, this, &TD_kreller_context::AfterDiagramChange);
    connect(Edit_kw, &QLineEdit::textChanged, this, &TD_kreller_context::UpdateActions);
    connect(SB_add_condition, &QToolButton::clicked, this, &TD_kreller_context::AddKeyword);
    connect(SB_del_cond, &QToolButton::clicked, this, &TD_kreller_context::SB_del_condClick);
    Edit_kw->installEventFilter(this);
    UpdateActions();
}

void TD_kreller_context::BuildPage()
{
    PageControl1 = new QTabWidget(ContentArea());
    PageControl1->setObjectName("PageControl1");
    auto* page = new QWidget(PageControl1);
    page->setObjectName("TS_context");
    PageControl1->addTab(page, "Context condition");

    auto* label = new QLabel("Context:", page);
    label->setObjectName("Label1");
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    Edit_kw = new QLineEdit(page);
    Edit_kw->setObjectName("Edit_kw");
    SB_add_condition = NewSpeedButton(page, "SB_add_condition", "Add");
    SB_del_cond = NewSpeedButton(page, "SB_del_cond", "Remove");
    auto* row = new QHBoxLayout(page);
    row->addWidget(label);
    row->addWidget(Edit_kw, 1);
    row->addWidget(SB_add_condition);
    row->addWidget(SB_del_cond);

    OClouds1 = new TOadvCloud(ContentArea());
    OClouds1->setObjectName("OClouds1");
    LBL_warning = NewWarningLine(ContentArea(), "LBL_warning");
    auto* layout = new QVBoxLayout(ContentArea());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PageControl1);
    layout->addWidget(OClouds1, 1);
    layout->addWidget(LBL_warning);
}

void TD_kreller_context::LoadCondition(TConditionStrings* strings)
{
    EndReadingAhead();  // the workers judge by the condition they were given
    TD_kreller::LoadCondition(strings);
    expression_.clear();
    LoadContextConditionLines(OClouds1->Diagram(), ConditionLines());
    expression_ = OClouds1->Diagram().BuildExpression();
    UpdateActions();
}

void TD_kreller_context::StoreCondition()
{
    SetCondition(kContextDescription, ContextConditionLines(OClouds1->Diagram()));
    if (OClouds1->IsComplete())
        TD_kreller::StoreCondition();
    else
        ClearCondition();
}

bool TD_kreller_context::TestFile(const FileEntry& entry, const std::string& path)
{
    lastTextLimit_ = TTextLimit::None;
    // Without a condition no file passes, and none needs to be read to tell.
    if (expression_.empty())
        return false;
    if (ahead_)
        if (const std::optional<bool> answer = AnswerReadAhead(path))
            return *answer;
    struct TLimitNoted {
        TD_kreller_context& kreller;
        ~TLimitNoted() { kreller.lastTextLimit_ = kreller.engine_.LastTextLimit(); }
    } noted{*this};
    return engine_.TestFile(path, expression_, CartridgeText(), platform::IsListedRegular(entry));
}

// The file given up is the one the chain is at, as when it is read here; an error of the workers'
// test is raised here, so that it counts as it would have.
std::optional<bool> TD_kreller_context::AnswerReadAhead(const std::string& path)
{
    if (Services().Abandoned())
        return false;
    TAheadAnswer answer;
    const auto keepWaiting = [this] {
        if (Services().ProcessEvents)
            Services().ProcessEvents();
        return !Services().Abandoned();
    };
    switch (ahead_->Take(path, keepWaiting, answer)) {
    case TContextAhead::TTake::Answered:
        if (answer.Failed)
            throw std::runtime_error(answer.Error);
        return answer.Passes;
    case TContextAhead::TTake::GivenUp:
        return false;
    case TContextAhead::TTake::NotAhead:
        break;
    }
    return std::nullopt;
}

unsigned TD_kreller_context::DefaultAheadWorkers()
{
    return std::clamp(std::thread::hardware_concurrency() + 1, 2u, 9u);
}

bool TD_kreller_context::BeginReadingAhead()
{
    EndReadingAhead();
    if (AheadWorkers == 0 || CartridgesLoaded() || !TContextAhead::CanJudge(expression_))
        return false;
    TContextAhead::TLimits limits;
    limits.Workers = AheadWorkers;
    try {
        ahead_ = std::make_unique<TContextAhead>(expression_, limits);
    } catch (const std::system_error&) {
        return false;  // the system gives no thread: files are judged where the chain asks, as without workers
    }
    lastAheadCounts_ = {};
    return true;
}

bool TD_kreller_context::ReadAhead(std::vector<platform::TListedFile> files)
{
    return !ahead_ || ahead_->Queue(std::move(files));
}

void TD_kreller_context::EndReadingAhead()
{
    if (!ahead_)
        return;
    lastAheadCounts_ = ahead_->EndWorkers();
    ahead_.reset();
}

bool TD_kreller_context::CartridgesLoaded() const
{
    return Services().Plugins && !Services().Plugins->Cartridges().empty();
}

TCartridgeText TD_kreller_context::CartridgeText() const
{
    if (!CartridgesLoaded())
        return {};
    return FirstAcceptingCartridge(Services().Plugins->ContextCartridges());
}

void TD_kreller_context::UpdateActions()
{
    SB_add_condition->setEnabled(!Edit_kw->text().trimmed().isEmpty());
    SB_del_cond->setEnabled(OClouds1->Diagram().CurrentCloud() != nullptr);
    ShowWarning(LBL_warning, OClouds1->Diagram().CloudCount() == 0
                                 ? "There is no cloud yet: \"Ok\" leaves the kreller without a condition."
                                 : nullptr);
}

void TD_kreller_context::AddKeyword()
{
    if (!SB_add_condition->isEnabled() || PageControl1->currentIndex() != 0)
        return;
    placement_.AddKeyword(OClouds1->Diagram(), Edit_kw->text().toUtf8().toStdString());
    OClouds1->update();
    OClouds1->setFocus();
    Edit_kw->clear();
    UpdateActions();
}

void TD_kreller_context::AfterDiagramChange()
{
    placement_.AfterDiagramChange(OClouds1->Diagram());
    OClouds1->update();
    UpdateActions();
}

void TD_kreller_context::SB_del_condClick()
{
    OClouds1->Diagram().DeleteCurrentCloud();
    AfterDiagramChange();
}

void TD_kreller_context::btn_cartridgesClick()
{
    CloseRequested = Services().ShowCartridgeSettings && Services().ShowCartridgeSettings();
    if (CloseRequested)
        reject();
}

// Enter in the keyword box adds the keyword instead of closing the dialog with "Ok".
bool TD_kreller_context::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Edit_kw && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            AddKeyword();
            return true;
        }
    }
    return TD_kreller::eventFilter(watched, event);
}

// Without a window manager a dialog may never become active, so showing it counts as well.
bool TD_kreller_context::event(QEvent* event)
{
    if (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate) {
        CloseRequested = false;
        Edit_kw->setFocus();
    }
    return TD_kreller::event(event);
}
