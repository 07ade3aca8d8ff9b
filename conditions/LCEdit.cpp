#include "conditions/LCEdit.h"
#include "platform/DialogManners.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>

#include <algorithm>
#include <limits>

namespace {

constexpr int kClientWidth = 400;
constexpr int kClientHeight = 430;
// Where the circle preview's top-left corner sits in the "View" group.
const QPoint kPreviewOrigin(176, 22);

// Clouds may have any radius and caption offset; the previews stay within what a widget can take.
constexpr std::int64_t kLargestPreview = 32767;

int PreviewExtent(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, -kLargestPreview, kLargestPreview));
}

// The circle preview: a circle filling the widget.
class TCirclePreview : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
        painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
};

QToolButton* NewTuningButton(QWidget* parent, const char* name, Qt::ArrowType arrow, int x, int y)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setArrowType(arrow);
    button->setAutoRaise(true);
    button->setGeometry(x, y, 26, 26);
    return button;
}

QLabel* NewLabel(QWidget* parent, const char* text, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    return label;
}

void SetTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

} // namespace

TFLCEdit::TFLCEdit(QWidget* parent) : QDialog(parent)
{
    setObjectName("TFLCEdit");
    setWindowTitle("Selected condition");
    setModal(true);
    setFixedSize(kClientWidth, kClientHeight);
    platform::SetDialogTitleButtons(this, platform::DialogFrame::Fixed);
    // F1 opens the editor's page, not that of the dialog it was opened from.
    setProperty(platform::HelpTopicProperty, "cond_edit");
    BuildView();
    BuildBody();
    BuildButtons();
}

void TFLCEdit::BuildView()
{
    auto* group = new QGroupBox("View", this);
    group->setGeometry(8, 6, 384, 282);
    GB_view = group;
    NewLabel(group, "Label text:", 12, 24);
    Edit1 = new QLineEdit(group);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(12, 42, 152, 24);
    connect(Edit1, &QLineEdit::textChanged, this, &TFLCEdit::Edit1Change);

    NewLabel(group, "Radius:", 12, 76);
    SE1 = new QSpinBox(group);
    SE1->setObjectName("SE1");
    // Any radius a cloud can have is shown as it is; only 20 to 100 are taken.
    SE1->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    SE1->setGeometry(12, 94, 64, 24);
    connect(SE1, &QSpinBox::valueChanged, this, &TFLCEdit::SE1Change);
    Label_OOR = NewLabel(group, "(out of range)", 82, 98);
    Label_OOR->setObjectName("Label_OOR");
    SetTextColour(Label_OOR, Qt::red);
    Label_OOR->hide();
    const QString range = QString("%1 to %2").arg(kMinEditRadius).arg(kMaxEditRadius);
    Label_range = NewLabel(group, ("allowed: " + range).toUtf8().constData(), 12, 117);
    Label_range->setObjectName("Label_range");
    Label_range->adjustSize();
    SetTextColour(Label_range, Qt::red);
    Label_range->hide();
    SE1->setToolTip("Radius, from " + range);

    auto* tuning = new QGroupBox("Tune label pos.:", group);
    tuning->setGeometry(12, 130, 152, 116);
    SBup = NewTuningButton(tuning, "SBup", Qt::UpArrow, 63, 22);
    SBl = NewTuningButton(tuning, "SBl", Qt::LeftArrow, 35, 50);
    SBr = NewTuningButton(tuning, "SBr", Qt::RightArrow, 91, 50);
    SBdn = NewTuningButton(tuning, "SBdn", Qt::DownArrow, 63, 78);
    connect(SBup, &QToolButton::clicked, this, [this] { MoveCaption(0, -1); });
    connect(SBl, &QToolButton::clicked, this, [this] { MoveCaption(-1, 0); });
    connect(SBr, &QToolButton::clicked, this, [this] { MoveCaption(1, 0); });
    connect(SBdn, &QToolButton::clicked, this, [this] { MoveCaption(0, 1); });

    Shape1 = new TCirclePreview(group);
    Shape1->setObjectName("Shape1");
    LabelC = new QLabel(group);
    LabelC->setObjectName("LabelC");
    SetTextColour(LabelC, Qt::red);
    LabelC->setCursor(Qt::PointingHandCursor);
    LabelC->installEventFilter(this);
}

void TFLCEdit::BuildBody()
{
    auto* group = new QGroupBox("Condition body", this);
    group->setGeometry(8, 294, 384, 92);
    CB_edit = new QCheckBox("Edit condition by hand", group);
    CB_edit->setObjectName("CB_edit");
    CB_edit->move(12, 22);
    connect(CB_edit, &QCheckBox::toggled, this, &TFLCEdit::CB_editClick);
    Edit_body = new QPlainTextEdit(group);
    Edit_body->setObjectName("Edit_body");
    Edit_body->setGeometry(12, 46, 360, 38);
    CB_editClick();
}

void TFLCEdit::BuildButtons()
{
    btn_help = new QPushButton("Help", this);
    btn_help->setObjectName("btn_help");
    btn_help->setGeometry(232, 394, 76, 28);
    btn_help->setAutoDefault(false);
    connect(btn_help, &QPushButton::clicked, this, [this] {
        if (help_)
            help_("cond_edit");
    });
    btn_close = new QPushButton("Close", this);
    btn_close->setObjectName("btn_close");
    btn_close->setGeometry(316, 394, 76, 28);
    btn_close->setDefault(true);
    connect(btn_close, &QPushButton::clicked, this, &TFLCEdit::btn_closeClick);
}

void TFLCEdit::showEvent(QShowEvent* event)
{
    if (const QScreen* screen = this->screen()) {
        QRect placed = frameGeometry();
        placed.moveCenter(screen->availableGeometry().center());
        move(placed.topLeft());
    }
    QDialog::showEvent(event);
}

// ---- editing --------------------------------------------------------------------------------

void TFLCEdit::EditCloud(TNOXlc* cloud)
{
    if (!cloud)
        return;
    cloud_ = cloud;
    Fill();
    exec();
    cloud_->Body = Edit_body->toPlainText().toStdString();
    CloudChanged();
    cloud_ = nullptr;
}

void TFLCEdit::Fill()
{
    const QSignalBlocker blockEdit(Edit1);
    const QSignalBlocker blockRadius(SE1);
    Edit1->setText(QString::fromStdString(cloud_->Caption));
    CB_edit->setChecked(false);
    SE1->setValue(cloud_->R);
    ShowRadiusInRange(RadiusInRange(cloud_->R));
    Edit_body->setPlainText(QString::fromStdString(cloud_->Body));
    PlaceCaptionPreview();
}

// The circle preview shows the radius; the caption preview sits where the caption sits on the cloud.
void TFLCEdit::PlaceCaptionPreview()
{
    const std::int64_t r = cloud_->R;
    const int diameter = std::max(0, PreviewExtent(2 * r));
    Shape1->setGeometry(QRect(kPreviewOrigin, QSize(diameter, diameter)));
    LabelC->setText(QString::fromStdString(cloud_->Caption));
    LabelC->adjustSize();
    LabelC->move(kPreviewOrigin + QPoint(PreviewExtent(r + cloud_->CSX), PreviewExtent(r + cloud_->CSY)));
    LabelC->raise();
}

void TFLCEdit::CloudChanged()
{
    if (OnCloudChanged)
        OnCloudChanged(*cloud_);
}

void TFLCEdit::Edit1Change()
{
    if (!cloud_)
        return;
    const QString caption = Edit1->text().trimmed();
    if (caption.isEmpty()) {
        Edit1->setText(QString::fromStdString(cloud_->Caption));
        return;
    }
    cloud_->SetCaption(caption.toStdString());
    PlaceCaptionPreview();
    CloudChanged();
}

void TFLCEdit::SE1Change(int radius)
{
    if (!cloud_)
        return;
    const bool inRange = RadiusInRange(radius);
    ShowRadiusInRange(inRange);
    if (!inRange)
        return;
    cloud_->R = radius;
    PlaceCaptionPreview();
    CloudChanged();
}

bool TFLCEdit::RadiusInRange(std::int64_t radius)
{
    return radius >= kMinEditRadius && radius <= kMaxEditRadius;
}

// A radius the dialog does not take shows red with the warning beside it.
void TFLCEdit::ShowRadiusInRange(bool inRange)
{
    SetTextColour(SE1, inRange ? palette().color(QPalette::Text) : QColor(Qt::red));
    Label_OOR->setVisible(!inRange);
    Label_range->setVisible(!inRange);
}

void TFLCEdit::MoveCaption(int dx, int dy)
{
    if (!cloud_)
        return;
    cloud_->CSX = SaturateToPixel(std::int64_t{cloud_->CSX} + dx);
    cloud_->CSY = SaturateToPixel(std::int64_t{cloud_->CSY} + dy);
    PlaceCaptionPreview();
    CloudChanged();
}

void TFLCEdit::CB_editClick()
{
    const bool byHand = CB_edit->isChecked();
    Edit_body->setReadOnly(!byHand);
    QPalette palette = Edit_body->palette();
    palette.setColor(QPalette::Base, this->palette().color(byHand ? QPalette::Base : QPalette::Button));
    Edit_body->setPalette(palette);
}

void TFLCEdit::btn_closeClick()
{
    if (cloud_) {
        cloud_->SetCaption(Edit1->text().trimmed().toStdString());
        CloudChanged();
    }
    accept();
}

// ---- dragging the caption preview onto the circle -------------------------------------------

bool TFLCEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == LabelC && cloud_ && CaptionPreviewMouse(event))
        return true;
    return QDialog::eventFilter(watched, event);
}

bool TFLCEdit::CaptionPreviewMouse(QEvent* event)
{
    auto* mouse = dynamic_cast<QMouseEvent*>(event);
    if (!mouse)
        return false;
    const QPoint at = mouse->position().toPoint();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (mouse->button() != Qt::LeftButton)
            return false;
        grab_ = at;
        dragging_ = true;
        return true;
    case QEvent::MouseMove:
        if (dragging_)
            LabelC->move(LabelC->mapToParent(at) - grab_);
        return dragging_;
    case QEvent::MouseButtonRelease:
        if (!dragging_)
            return false;
        dragging_ = false;
        DropCaption(mouse->globalPosition().toPoint());
        return true;
    default:
        return false;
    }
}

// Dropped on the circle, the caption's top-left corner goes where the grabbed point's offset puts
// it; dropped elsewhere, it goes back.
void TFLCEdit::DropCaption(const QPoint& globalPosition)
{
    const QPoint onCircle = Shape1->mapFromGlobal(globalPosition);
    if (Shape1->rect().contains(onCircle)) {
        cloud_->CSX = SaturateToPixel(std::int64_t{onCircle.x()} - cloud_->R - grab_.x());
        cloud_->CSY = SaturateToPixel(std::int64_t{onCircle.y()} - cloud_->R - grab_.y());
        CloudChanged();
    }
    PlaceCaptionPreview();
}
