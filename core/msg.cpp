#include "core/msg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QLabel* NewFramedText(QWidget* parent)
{
    auto* text = new QLabel(parent);
    text->setObjectName("Label_text");
    text->setWordWrap(true);
    text->setFrameShape(QFrame::StyledPanel);
    text->setMargin(10);
    text->setMinimumWidth(320);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return text;
}

TDmsg::TDmsg(QWidget* parent) : QDialog(parent)
{
    setObjectName("TDmsg");
    setWindowTitle("Message:");
    text_ = NewFramedText(this);
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
