#include "kreller_gfs/settings.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace gfs {
namespace {

int liveDialogs = 0;

} // namespace

bool SettingsAlive()
{
    return liveDialogs > 0;
}

TD_settings::TD_settings(QWidget* parent)
    : QDialog(parent)
{
    ++liveDialogs;
    setObjectName("TD_settings_user");
    setWindowTitle(kPluginName);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    btmOk = new QPushButton("Ok", this);
    btmOk->setObjectName("btmOk");
    btmOk->setDefault(true);
    connect(btmOk, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btmOk);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);
    resize(600, 460);
    // A dialog of its owner: closed or maximised, never minimised on its own.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMaximizeButtonHint);
}

TD_settings::~TD_settings()
{
    --liveDialogs;
}

void TD_settings::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        setWindowTitle(kPluginName);
    QDialog::changeEvent(event);
}

} // namespace gfs
