#include "conditions/_clouds.h"

#include "conditions/CloudsPainter.h"
#include "conditions/LCEdit.h"

#include <QAction>
#include <QContextMenuEvent>
#include <qdrawutil.h>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kPanelBorder = 3;
constexpr int kBevelWidth = 2;
constexpr int kRepaintInterval = 500;  // ms

int WidgetExtent(std::int32_t modelExtent, int viewportExtent)
{
    return std::clamp<std::int64_t>(std::max<std::int64_t>(modelExtent, viewportExtent), 0, QWIDGETSIZE_MAX);
}

TMouseKeys KeysOf(const QMouseEvent& event)
{
    TMouseKeys keys;
    keys.Left = event.buttons() & Qt::LeftButton;
    keys.OtherButton = event.buttons() & ~Qt::MouseButtons(Qt::LeftButton);
    keys.Shift = event.modifiers() & Qt::ShiftModifier;
    keys.Ctrl = event.modifiers() & Qt::ControlModifier;
    keys.Alt = event.modifiers() & Qt::AltModifier;
    return keys;
}

} // namespace

TOclouds::TOclouds(QWidget* parent) : QFrame(parent)
{
    BuildPanel();
    BuildMenu();
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(kRepaintInterval);
    connect(Timer1, &QTimer::timeout, PB1, qOverload<>(&QWidget::update));
    diagram_.OnChange = [this](TDiagramChange change) { ShowDiagramChange(change); };
}

TOclouds::~TOclouds()
{
    diagram_.OnChange = nullptr;
    diagram_.OnSelect = nullptr;
    diagram_.OnDelete = nullptr;
}

// The focus target sits under the panel: it holds the keyboard focus for the diagram unseen.
void TOclouds::BuildPanel()
{
    btnTarget = new QPushButton(this);
    btnTarget->setObjectName("btnTarget");
    btnTarget->setAutoDefault(false);
    btnTarget->setFocusPolicy(Qt::StrongFocus);
    btnTarget->setGeometry(0, 0, 1, 1);
    btnTarget->installEventFilter(this);
    // Whoever gives the editor the focus gives it to the diagram.
    setFocusProxy(btnTarget);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    auto* frameLayout = new QVBoxLayout(this);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    frameLayout->addWidget(Panel1);

    SB1 = new QScrollArea(Panel1);
    SB1->setObjectName("SB1");
    SB1->setFrameShape(QFrame::NoFrame);
    SB1->setBackgroundRole(QPalette::Base);
    SB1->setWidgetResizable(false);
    // The focus target holds the diagram's keyboard focus; a Tab stop on the scroll area would
    // show nothing and hand Enter to the dialog.
    SB1->setFocusPolicy(Qt::NoFocus);
    SB1->viewport()->installEventFilter(this);
    Panel1->installEventFilter(this);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(kPanelBorder, kPanelBorder, kPanelBorder, kPanelBorder);
    panelLayout->addWidget(SB1);

    PB1 = new QWidget;
    PB1->setObjectName("PB1");
    PB1->setBackgroundRole(QPalette::Base);
    PB1->setAutoFillBackground(true);
    PB1->installEventFilter(this);
    SB1->setWidget(PB1);
    btnTarget->lower();
}

void TOclouds::BuildMenu()
{
    PM1 = new QMenu(this);
    PM1->setObjectName("PM1");
    N_Clear = PM1->addAction("Clear");
    N_Clear->setObjectName("N_Clear");
    PM1->addSeparator();
    N_Edit = PM1->addAction("Edit selected condition");
    N_Edit->setObjectName("N_Edit");
    N_Delete = PM1->addAction("Delete selected condition");
    N_Delete->setObjectName("N_Delete");
    connect(PM1, &QMenu::aboutToShow, this, [this] {
        const bool current = diagram_.CurrentCloud() != nullptr;
        N_Edit->setEnabled(current);
        N_Delete->setEnabled(current);
    });
    connect(N_Clear, &QAction::triggered, this, [this] {
        ClearDiagram();
        emit PopupCommandDone();
    });
    connect(N_Delete, &QAction::triggered, this, [this] {
        DeleteSelectedCloud();
        emit PopupCommandDone();
    });
    connect(N_Edit, &QAction::triggered, this, &TOclouds::EditCurrentCloud);
}

void TOclouds::SetHelpOpener(THelpFunction open)
{
    help_ = std::move(open);
    if (editDialog_)
        editDialog_->SetHelpOpener(help_);
}

TFLCEdit* TOclouds::EditDialog()
{
    if (!editDialog_) {
        editDialog_ = new TFLCEdit(this);
        editDialog_->SetHelpOpener(help_);
        editDialog_->OnCloudChanged = [this](TNOXlc& cloud) { diagram_.CloudChanged(cloud); };
    }
    return editDialog_;
}

// ---- the diagram's life ---------------------------------------------------------------------

void TOclouds::Activate()
{
    diagram_.Activate();
}

void TOclouds::Deactivate()
{
    diagram_.Deactivate();
}

void TOclouds::ShowDiagramChange(TDiagramChange change)
{
    if (change == TDiagramChange::Reset) {
        mouse_.Reset();
        if (diagram_.Active())
            Timer1->start();
        else
            Timer1->stop();
    } else if (change == TDiagramChange::CloudRemoved) {
        mouse_.ForgetDrag();
    }
    FitPaintBox();
    PB1->update();
}

// The drawing area fills the scroll box and grows beyond it to hold every cloud.
void TOclouds::FitPaintBox()
{
    const QSize viewport = SB1->viewport()->size();
    const QSize wanted(WidgetExtent(diagram_.ExtentWidth(), viewport.width()),
                       WidgetExtent(diagram_.ExtentHeight(), viewport.height()));
    if (PB1->size() != wanted)
        PB1->resize(wanted);
}

// ---- commands -------------------------------------------------------------------------------

void TOclouds::EditCurrentCloud()
{
    if (TNOXlc* cloud = diagram_.CurrentCloud())
        EditDialog()->EditCloud(cloud);
}

void TOclouds::ClearDiagram()
{
    if (ask_ && ask_("Clear all conditions?")) {
        Deactivate();
        Activate();
    }
}

// Without a current cloud there is nothing to ask about.
void TOclouds::DeleteSelectedCloud()
{
    if (diagram_.CurrentCloud() && ask_ && ask_("Delete current condition?"))
        diagram_.DeleteCurrentCloud();
}

// ---- events ---------------------------------------------------------------------------------

bool TOclouds::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == PB1)
        return PaintBoxEvent(event);
    if (watched == btnTarget)
        return FocusTargetEvent(event);
    if (watched == Panel1 && event->type() == QEvent::Paint) {
        PaintPanel();
    } else if (watched == SB1->viewport()) {
        if (event->type() == QEvent::Resize)
            FitPaintBox();
        else if (event->type() == QEvent::MouseButtonPress)
            TakeFocus();
        else if (event->type() == QEvent::ContextMenu)
            PopupAt(static_cast<QContextMenuEvent*>(event)->globalPos());
    }
    return QFrame::eventFilter(watched, event);
}

// True for the events the drawing area takes itself.
bool TOclouds::PaintBoxEvent(QEvent* event)
{
    const auto* mouse = dynamic_cast<QMouseEvent*>(event);
    const QPoint at = mouse ? mouse->position().toPoint() : QPoint();
    switch (event->type()) {
    case QEvent::Paint:
        if (diagram_.Active()) {
            QPainter painter(PB1);
            PaintDiagram(painter, diagram_, mouse_.HatchPins(), PB1->rect(), static_cast<QPaintEvent*>(event)->rect());
        }
        return true;
    case QEvent::ContextMenu:
        PopupAt(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    case QEvent::MouseButtonPress:
        TakeFocus();
        mouse_.Press(at.x(), at.y(), mouse->button() == Qt::LeftButton);
        break;
    case QEvent::MouseButtonDblClick:
        mouse_.Press(at.x(), at.y(), mouse->button() == Qt::LeftButton);
        mouse_.DoubleClick();
        break;
    case QEvent::MouseMove:
        mouse_.Move(at.x(), at.y(), KeysOf(*mouse));
        break;
    case QEvent::MouseButtonRelease:
        if (mouse_.Release())
            DiagramChanged();
        break;
    default:
        return false;
    }
    PB1->update();
    return true;
}

// True for the keys the focus target takes itself.
bool TOclouds::FocusTargetEvent(QEvent* event)
{
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
        Panel1->update();
    if (event->type() != QEvent::KeyPress)
        return false;
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Delete:
        DeleteSelectedCloud();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        EditCurrentCloud();
        return true;
    default:
        return false;
    }
}

void TOclouds::PopupAt(const QPoint& globalPosition)
{
    PM1->popup(globalPosition);
}

// The focus target may refuse the focus while the frame is not showing; then nothing happens.
void TOclouds::TakeFocus()
{
    btnTarget->setFocus(Qt::MouseFocusReason);
}

// A lowered bevel in the panel's border while the diagram has the keyboard focus.
void TOclouds::PaintPanel()
{
    if (!btnTarget->hasFocus())
        return;
    QPainter painter(Panel1);
    qDrawShadePanel(&painter, Panel1->rect(), Panel1->palette(), true, kBevelWidth);
}
