#include "core/about.h"

#include "core/help_pages.h"
#include "platform/DialogManners.h"
#include "platform/Shell.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignHCenter);
    return label;
}

QString TermsOfUse()
{
    return "FileKreller is freeware: you may use it and pass it on free of charge,\n"
           "unchanged and complete.\n"
           "It is provided as is, without warranty of any kind. You use it at your own risk;\n"
           "the publisher is not liable for any damage or loss of data it may cause.";
}

QLabel* PublisherLink(QWidget* parent)
{
    const QString address = QString::fromStdString(HomePageAddress());
    auto* link = NamedLabel("Label_link", QString("<a href=\"%1\">FileKreller home page</a>").arg(address.toHtmlEscaped()), parent);
    link->setTextFormat(Qt::RichText);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    // The platform layer opens it, so a missing browser stays as quiet as anywhere else.
    QObject::connect(link, &QLabel::linkActivated, link,
                     [](const QString& target) { platform::OpenAddress(target.toStdString()); });
    return link;
}

} // namespace

TF_about::TF_about(QWidget* parent)
    : QDialog(parent)
{
    setObjectName("TF_about");
    setWindowTitle("About");

    auto* name = NamedLabel("Label_program", "FileKreller", this);
    QFont large = name->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    name->setFont(large);

    auto* ok = new QPushButton("Ok", this);
    ok->setObjectName("btn_ok");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name);
    layout->addWidget(NamedLabel("Label_version", "v 4.2.1", this));
    layout->addSpacing(8);
    layout->addWidget(NamedLabel("Label_terms", TermsOfUse(), this));
    layout->addSpacing(8);
    layout->addWidget(PublisherLink(this));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();
    layout->addLayout(buttons);
    platform::MakeFixedSizeDialog(this);
    platform::SetStandardButtonIcon(ok, platform::StandardButton::Ok);
}
