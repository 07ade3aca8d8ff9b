#include "tagged/settings.h"

#include "platform/Files.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cerrno>
#include <sstream>

namespace {

const char* const kDamagedSuffix = ".damaged";

// The file name without its extension; a leading dot does not start an extension.
std::string WithoutExtension(const std::string& fileName)
{
    const auto dot = fileName.rfind('.');
    return dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

} // namespace

// ---- TSettingsPlace ----

TSettingsPlace TSettingsPlace::OfRunningProgram()
{
    return {platform::RunningProgramPath(), platform::UserConfigDirectory(), platform::IsDirectoryWritable};
}

std::string TSettingsPlace::SettingsFileName() const
{
    const std::string programDir = platform::DirectoryPart(ProgramPath);
    const std::string programName = WithoutExtension(platform::FileNamePart(ProgramPath));
    const std::string fileName = programName + ".set";
    const bool besideProgram = ConfigHome.empty() || !CanWriteDirectory || CanWriteDirectory(programDir);
    if (besideProgram)
        return platform::WithTrailingSlash(programDir) + fileName;
    return platform::WithTrailingSlash(ConfigHome) + programName + "/" + fileName;
}

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
    : QDialog(parent), settingsFileName_(place.SettingsFileName())
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
    const TFileState state = ReadSettingsFile();
    if (state == TFileState::Loaded)
        return;
    SetDefaults();
    // A damaged file that could not be put aside stays where it is rather than being overwritten now.
    if (state == TFileState::Damaged && !KeepDamagedFile())
        return;
    SaveSettings();
}

TD_settings::TFileState TD_settings::ReadSettingsFile()
{
    try {
        std::istringstream bytes(platform::ReadWholeFile(settingsFileName_));
        if (bytes.str().empty())
            return TFileState::Missing;  // nothing in it that could be lost
        document_.LoadFromStream(bytes);
        // A file that starts with a NUL byte gives no element at all, yet may hold something.
        return document_.Name().empty() ? TFileState::Damaged : TFileState::Loaded;
    } catch (const platform::EFileError& error) {
        return error.Code() == ENOENT ? TFileState::Missing : TFileState::Damaged;
    } catch (const std::exception&) {
        return TFileState::Damaged;
    }
}

bool TD_settings::KeepDamagedFile()
{
    try {
        platform::RenameReplacing(settingsFileName_, settingsFileName_ + kDamagedSuffix);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool TD_settings::SaveSettings()
{
    try {
        platform::CreateDirectories(platform::DirectoryPart(settingsFileName_));
        document_.SaveToFile(settingsFileName_);
        return true;
    } catch (const std::exception&) {
        // A location that cannot be written keeps its old file; the program goes on.
        return false;
    }
}

TNoxPigger* TD_settings::GetNode(TNoxPigger* parent, const std::string& name)
{
    if (!parent)
        return nullptr;
    // Looked up trimmed, as it is stored, so that a name with blanks finds the node it created.
    const std::string nodeName = platform::Trimmed(name);
    if (TNoxPigger* node = parent->FindChild(nodeName))
        return node;
    auto* node = new TNoxPigger(parent);
    node->SetName(nodeName);
    return node;
}

TNoxPigger* TD_settings::ListNode(const std::string& name)
{
    const std::string listName = platform::Trimmed(name);
    return listName.empty() ? nullptr : GetNode(&document_, listName);
}

void TD_settings::ReadList(std::vector<std::string>& strings, const std::string& name)
{
    TNoxPigger* node = ListNode(name);
    if (!node)
        return;
    strings.clear();
    for (int i = 0; i < node->ChildCount(); ++i)
        strings.push_back(node->Child(i)->GetAttr("VAL"));
}

void TD_settings::WriteList(const std::vector<std::string>& strings, const std::string& name)
{
    TNoxPigger* node = ListNode(name);
    if (!node)
        return;
    while (node->ChildCount() > 0)
        delete node->Child(node->ChildCount() - 1);
    for (const std::string& value : strings) {
        auto* item = new TNoxPigger(node);
        item->SetName("LIST_ITEM");
        item->SetAttr("VAL", value);
    }
}

void TD_settings::AfterLoad()
{
}

void TD_settings::SetDefaults()
{
    document_.Clear();
    document_.SetName("SETTINGS");
}

void TD_settings::btn_okClick()
{
    SaveSettings();
    accept();
}
