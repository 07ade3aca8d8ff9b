#include "tagged/settings.h"
#include "platform/DialogManners.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

// ---- TD_settings ----

TD_settings::TD_settings(QWidget* parent)
    : TD_settings(TSettingsPlace::OfRunningProgram(), parent)
{
}

TD_settings::TD_settings(const TSettingsPlace& place, QWidget* parent)
    : TD_settings(place, DeferredLoad, parent)
{
    LoadAtCreation();
}

TD_settings::TD_settings(const TSettingsPlace& place, TDeferredLoad, QWidget* parent)
    : QDialog(parent), store_(place.Locate())
{
    BuildControls();
}

TD_settings::~TD_settings()
{
    SaveSettings();
}

void TD_settings::BuildControls()
{
    setObjectName("TD_settings");
    setWindowTitle("Settings");

    PC_settings = new QTabWidget(this);
    PC_settings->setObjectName("PC_settings");
    TS_main = new QWidget(PC_settings);
    TS_main->setObjectName("TS_main");
    PC_settings->addTab(TS_main, "main");

    auto* btn_ok = new QPushButton("Ok", this);
    btn_ok->setObjectName("btn_ok");
    btn_ok->setDefault(true);
    connect(btn_ok, &QPushButton::clicked, this, &TD_settings::btn_okClick);

    L_settings_file = new QLabel(this);
    L_settings_file->setObjectName("L_settings_file");
    L_settings_file->setWordWrap(true);
    L_settings_file->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(L_settings_file, 1);
    buttons->addWidget(btn_ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PC_settings);
    layout->addLayout(buttons);
    platform::SetDialogTitleButtons(this, platform::DialogFrame::Resizable);
}

void TD_settings::LoadAtCreation()
{
    LoadSettings();
    AfterLoad();
}

void TD_settings::LoadSettings()
{
    store_.Load([this](TNoxPigger&) { SetDefaults(); });
    ShowSettingsPlace();
}

bool TD_settings::SaveSettings()
{
    const bool saved = store_.Save();
    ShowSettingsPlace();
    return saved;
}

void TD_settings::showEvent(QShowEvent* event)
{
    // The user may have made the file read-only since it was read.
    store_.CheckWriteProtection();
    ShowSettingsPlace();
    QDialog::showEvent(event);
}

void TD_settings::ShowSettingsPlace()
{
    L_settings_file->setText(QString::fromUtf8(store_.PlaceNote()));
}

TNoxPigger* TD_settings::GetNode(TNoxPigger* parent, const std::string& name)
{
    return TSettingsStore::GetNode(parent, name);
}

void TD_settings::ReadList(std::vector<std::string>& strings, const std::string& name)
{
    store_.ReadList(strings, name);
}

void TD_settings::WriteList(const std::vector<std::string>& strings, const std::string& name)
{
    store_.WriteList(strings, name);
}

void TD_settings::AfterLoad()
{
}

void TD_settings::SetDefaults()
{
    TSettingsStore::StandardDefaults(Document());
}

void TD_settings::btn_okClick()
{
    StoreControls();
    SaveSettings();
    accept();
}
