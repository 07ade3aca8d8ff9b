#include "core/msg.h"

#include "platform/DialogManners.h"

#include <algorithm>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr int kFramedTextMinimumWidth = 320;

int WidestLine(const QFontMetrics& metrics, const QString& text)
{
    int widest = 0;
    for (const QString& line : text.split('\n'))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

} // namespace

QLabel* NewFramedText(QWidget* parent)
{
    auto* text = new QLabel(parent);
    text->setObjectName("Label_text");
    text->setWordWrap(true);
    text->setFrameShape(QFrame::StyledPanel);
    text->setMargin(10);
    text->setMinimumWidth(kFramedTextMinimumWidth);
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
    platform::MakeFixedSizeDialog(this);
    platform::SetStandardButtonIcon(ok, platform::StandardButton::Ok);
}

void SetFramedText(QLabel* framed, const QString& text)
{
    const QScreen* screen = framed->screen() ? framed->screen() : QGuiApplication::primaryScreen();
    const int widest = screen ? screen->availableGeometry().width() * 2 / 3 : kFramedTextMinimumWidth;
    const int margins = 2 * (framed->margin() + framed->frameWidth()) + 2;
    const int wanted = WidestLine(framed->fontMetrics(), text) + margins;
    framed->setMinimumWidth(std::clamp(wanted, kFramedTextMinimumWidth, std::max(widest, kFramedTextMinimumWidth)));
    framed->setText(text);
}

void TDmsg::Inform(const std::string& text)
{
    SetFramedText(text_, QString::fromUtf8(text));
    adjustSize();
    exec();
}

QString TDmsg::Text() const
{
    return text_->text();
}
