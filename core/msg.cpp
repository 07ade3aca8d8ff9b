#include "core/msg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TDmsg::TDmsg(QWidget* parent) : QDialog(parent)
{
    setObjectName("TDmsg");
    setWindowTitle("Message:");
    text_ = new QLabel(this);
    text_->setObjectName("Label_text");
    text_->setWordWrap(true);
    text_->setFrameShape(QFrame::StyledPanel);
    text_->setMargin(10);
    text_->setMinimumWidth(320);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("btn_ok");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addLayout(buttons);
}

void TDmsg::Inform(const std::string& text)
{
    text_->setText(QString::fromUtf8(text));
    adjustSize();
    exec();
}

QString TDmsg::Text() const
{
    return text_->text();
}
