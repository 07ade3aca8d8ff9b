#include "core/progress.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include "core/help_pages.h"
#include "core/window_placement.h"
#include "core/sure.h"
#include "platform/DialogManners.h"
#include "platform/Shell.h"

TD_progress::TD_progress(QWidget* parent) : QDialog(parent)
{
    setObjectName("TD_progress");
    setWindowTitle("Progress");
    setWindowFlags(platform::DialogTitleFlags(platform::DialogFrame::Fixed) | Qt::WindowStaysOnTopHint);
    Label_counter = new QLabel(this);
    Label_counter->setObjectName("Label_counter");
    ResetProgress();
}

bool TD_progress::ReportProgress(std::int64_t found, std::int64_t total)
{
    if (!ShownFlag)
        ShowCentred();
    Label_counter->setText(QString("%1/%2").arg(found).arg(total));
    return ContinueFlag;
}

void TD_progress::ShowCentred()
{
    // Laid out first: before its first show a window does not know its size yet, and would be
    // centred by a wrong one.
    if (layout())
        adjustSize();
    const QScreen* screen = this->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), size());
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    const QRect over = owner && owner->isVisible() ? owner->frameGeometry() : area;
    move(CentredOn(over, frameGeometry().size(), area));
    show();
}

void TD_progress::ResetProgress()
{
    Label_counter->clear();
    ContinueFlag = true;
}

void TD_progress::BreakProgress(bool close)
{
    ContinueFlag = false;
    if (close && ShownFlag)
        hide();
}

void TD_progress::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ShownFlag = true;
}

void TD_progress::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    ShownFlag = false;
}

TLastVisitLabel LastVisitLabelFor(const std::string& stored, const platform::CalendarDate& today)
{
    const auto date = stored.empty() ? std::nullopt : platform::ParseShortDate(stored);
    if (!date)
        return {"Last visit date:Unknown", true};
    return {"Last visit date:" + stored, platform::DaysBetween(*date, today) > 30};
}

TD_progress_user::TD_progress_user(TProgressHost& host, TFbreak_scanning& breakDialog, QWidget* parent)
    : TD_progress(parent), host_(host), break_(breakDialog)
{
    setObjectName("TD_progress_user");
    setWindowTitle("Progress...");
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);

    auto* title = new QLabel("The process can take some time...", this);
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    title->setFont(big);

    auto* counterRow = new QHBoxLayout;
    counterRow->addWidget(new QLabel("Watch files counter (found/total):", this));
    Label_counter->setStyleSheet("color: red; font-weight: bold;");
    counterRow->addWidget(Label_counter);
    counterRow->addStretch();

    QLabel* stopLink = Link("Click here to stop", "Label_stop");
    connect(stopLink, &QLabel::linkActivated, this, [this] { StopLinkClick(); });
    QLabel* webLink = Link("FileKreller plug-ins and products", "Label_web");
    connect(webLink, &QLabel::linkActivated, this, [this] { WebLinkClick(); });
    Label_lvd_ = new QLabel(this);
    Label_lvd_->setObjectName("Label_lvd");
    Label_lvd_->setCursor(Qt::PointingHandCursor);
    Label_lvd_->setMargin(2);
    connect(Label_lvd_, &QLabel::linkActivated, this, [this] { WebLinkClick(); });
    QLabel* searchLink = Link("Click here to search", "Label_search");
    connect(searchLink, &QLabel::linkActivated, this, [this] { host_.SearchInWeb(); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(title);
    layout->addWidget(new QLabel("Now you can:", this));
    layout->addLayout(counterRow);
    layout->addWidget(new QLabel("OR", this));
    layout->addWidget(new QLabel("Interrupt search process:", this));
    layout->addWidget(stopLink);
    layout->addWidget(new QLabel("OR", this));
    layout->addWidget(new QLabel("Use this time to find more freeware \r\nand shareware products/updates:", this));
    layout->addWidget(webLink);
    layout->addWidget(Label_lvd_);
    layout->addWidget(new QLabel("OR", this));
    layout->addWidget(new QLabel("Search information on-line ", this));
    layout->addWidget(searchLink);
    RefreshLastVisit();
}

QLabel* TD_progress_user::Link(const QString& text, const char* objectName)
{
    auto* label = new QLabel(QString("<a href=\"#\">%1</a>").arg(text.toHtmlEscaped()), this);
    label->setObjectName(objectName);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    return label;
}

void TD_progress_user::StopLinkClick()
{
    const bool answer = break_.AskAbove(this, "Break process?");
    if (break_.IgnoreRequested)
        host_.IgnoreCurrentFile();
    if (answer) {
        BreakProgress(true);
        host_.StopSearch();
    }
}

void TD_progress_user::keyPressEvent(QKeyEvent* event)
{
    // Escape means "stop", not "hide the window and let the search go on".
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        EscapePressed();
        return;
    }
    TD_progress::keyPressEvent(event);
}

void TD_progress_user::EscapePressed()
{
    BreakProgress(true);
    host_.StopSearch();
}

void TD_progress_user::WebLinkClick()
{
    host_.WriteLastVisit(platform::FormatShortDate(platform::Today()));
    platform::OpenAddress(ProductListAddress());
    RefreshLastVisit();
}

void TD_progress_user::RefreshLastVisit()
{
    const TLastVisitLabel label = LastVisitLabelFor(host_.ReadLastVisit(), platform::Today());
    lastVisitHighlighted_ = label.Highlighted;
    lastVisitText_ = QString::fromUtf8(label.Text);
    Label_lvd_->setText(QString("<a href=\"#\" style=\"color: %1; text-decoration: none;\">%2</a>")
                            .arg(label.Highlighted ? "white" : "rgb(192,192,192)",
                                 lastVisitText_.toHtmlEscaped()));
    Label_lvd_->setStyleSheet(label.Highlighted ? "background: navy;" : "background: white;");
}

void TD_progress_user::paintEvent(QPaintEvent* event)
{
    TD_progress::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QPen(Qt::red, 3));
    painter.drawRect(rect().adjusted(1, 1, -2, -2));
}
