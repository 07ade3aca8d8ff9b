#include "tagged/settings.h"

#include <QHBoxLayout>
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
    : QDialog(parent), store_(place.SettingsFileName())
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

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btn_ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PC_settings);
    layout->addLayout(buttons);
}

void TD_settings::LoadAtCreation()
{
    LoadSettings();
    AfterLoad();
}

void TD_settings::LoadSettings()
{
    store_.Load([this](TNoxPigger&) { SetDefaults(); });
}

bool TD_settings::SaveSettings() { return store_.Save(); }

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
