#include "core/sure.h"
#include "core/msg.h"
#include "platform/DialogManners.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TFsure::TFsure(QWidget* parent) : QDialog(parent)
{
    setObjectName("TFsure");
    setWindowTitle("Confirmation:");
    text_ = NewFramedText(this);
    extras_ = new QWidget(this);
    extras_->setLayout(new QVBoxLayout);
    extras_->layout()->setContentsMargins(0, 0, 0, 0);
    btn_yes_ = new QPushButton("Yes", this);
    btn_yes_->setObjectName("btn_yes");
    btn_yes_->setDefault(true);
    btn_no_ = new QPushButton("No", this);
    btn_no_->setObjectName("btn_no");
    connect(btn_yes_, &QPushButton::clicked, this, [this] {
        answer_ = true;
        accept();
    });
    connect(btn_no_, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->setObjectName("buttons");
    buttons->addStretch();
    buttons->addWidget(btn_yes_);
    buttons->addWidget(btn_no_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(extras_);
    layout->addLayout(buttons);
    platform::MakeFixedSizeDialog(this);
    platform::SetStandardButtonIcon(btn_yes_, platform::StandardButton::Yes);
    platform::SetStandardButtonIcon(btn_no_, platform::StandardButton::No);
}

void TFsure::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FocusDefaultAnswer();
}

void TFsure::FocusDefaultAnswer()
{
    btn_yes_->setDefault(true);
    btn_yes_->setFocus();
}

bool TFsure::Ask(const std::string& text)
{
    answer_ = false;
    SetFramedText(text_, QString::fromUtf8(text));
    adjustSize();
    exec();
    return answer_;
}

TFbreak_scanning::TFbreak_scanning(QWidget* parent) : TFsure(parent)
{
    setObjectName("TFbreak_scanning");
    setWindowTitle("Break scanning");
    btn_yes_->setText("Break process");
    btn_no_->setText("Continue");
    btn_ignore_ = new QPushButton("Ignore current file", this);
    btn_ignore_->setObjectName("btn_ignore");
    // Not a yes and a no: stop, skip and go on.
    btn_yes_->setIcon(style()->standardIcon(QStyle::SP_BrowserStop, nullptr, btn_yes_));
    btn_ignore_->setIcon(style()->standardIcon(QStyle::SP_MediaSkipForward, nullptr, btn_ignore_));
    btn_no_->setIcon(style()->standardIcon(QStyle::SP_MediaPlay, nullptr, btn_no_));
    auto* buttons = findChild<QHBoxLayout*>("buttons");
    buttons->insertWidget(buttons->indexOf(btn_no_), btn_ignore_);
    connect(btn_ignore_, &QPushButton::clicked, this, [this] {
        IgnoreRequested = true;
        reject();
    });
}

bool TFbreak_scanning::Ask(const std::string& text)
{
    IgnoreRequested = false;
    return TFsure::Ask(text);
}

bool TFbreak_scanning::AskAbove(QWidget* window, const std::string& text)
{
    // Made a window of its own above `window` for this question only: the window manager then
    // stacks it over a window that stays on top. Its owner is restored afterwards.
    QWidget* owner = parentWidget();
    const Qt::WindowFlags flags = windowFlags();
    setParent(window, flags | Qt::WindowStaysOnTopHint);
    above_ = window;
    const bool answer = Ask(text);
    above_ = nullptr;
    setParent(owner, flags);
    return answer;
}

void TFbreak_scanning::showEvent(QShowEvent* event)
{
    TFsure::showEvent(event);
    if (above_) {
        QRect placed = frameGeometry();
        placed.moveCenter(above_->frameGeometry().center());
        move(placed.topLeft());
    }
}

void TFbreak_scanning::FocusDefaultAnswer()
{
    btn_no_->setDefault(true);
    btn_no_->setFocus();
}

TFsure_checked::TFsure_checked(QWidget* parent) : TFsure(parent)
{
    setObjectName("TFsure_checked");
    CB_sure_ = new QCheckBox("Yes, I'm sure", this);
    CB_sure_->setObjectName("CB_sure");
    extras_->layout()->addWidget(CB_sure_);
    connect(CB_sure_, &QCheckBox::toggled, btn_yes_, &QPushButton::setEnabled);
}

void TFsure_checked::FocusDefaultAnswer()
{
    btn_yes_->setDefault(true);
    CB_sure_->setFocus();
}

bool TFsure_checked::Ask(const std::string& text)
{
    btn_yes_->setEnabled(false);
    CB_sure_->setChecked(false);
    return TFsure::Ask(text);
}
