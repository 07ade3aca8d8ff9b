#include "tagged/settings_store.h"

#include "platform/FileSystem.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "tagged/DamagedCopies.h"

#include <cerrno>
#include <sstream>

namespace {

const char* const kDefaultPathKey = "DEFAULT_PATH";
const char* const kExcludedDirectoriesKey = "DONT_SEARCH_IN";
const char* const kBuiltInKrellersKey = "MAIN_KRELLERS";
const char* const kFileGroupsKey = "FILE_GROUPS";
const char* const kLastExtensionKey = "LAST_EXT";
const char* const kLastVisitKey = "LVD";
const char* const kRecentSearchesKey = "RECENT_SEARCHES";
const char* const kDialogFoldersKey = "DIALOG_FOLDERS";
const char* const kSwitchedOff = "N";
const char* const kAnyExtension = "*";

struct TSwitchAttr {
    const char* Attr;
    bool TBuiltInKrellers::*Flag;
};

const TSwitchAttr kSwitches[] = {
    {"FILEMASK", &TBuiltInKrellers::FileMask}, {"DIRS", &TBuiltInKrellers::Dirs},
    {"FILESIZE", &TBuiltInKrellers::FileSize}, {"FILETIME", &TBuiltInKrellers::FileTime},
    {"CONTEXT", &TBuiltInKrellers::Context},
};

// The file name without its extension; a leading dot does not start an extension.
std::string WithoutExtension(const std::string& fileName)
{
    const auto dot = fileName.rfind('.');
    return dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

} // namespace

std::string FirstExistingFolder(const std::string& selected, const std::string& last)
{
    // A relative path would be resolved against the working directory, the program's own folder.
    for (const std::string& path : {selected, last}) {
        if (path.empty() || path.front() != '/')
            continue;
        if (platform::DirectoryExists(path))
            return path;
        if (platform::PathExists(path))
            return platform::ParentDirectory(path);
    }
    return platform::DefaultStartPath();
}

// ---- TSettingsPlace ----

TSettingsPlace TSettingsPlace::OfRunningProgram()
{
    return {platform::RunningProgramPath(), platform::UserConfigDirectory(), platform::IsDirectoryWritable};
}

TSettingsLocation TSettingsPlace::Locate() const
{
    const std::string programDir = platform::DirectoryPart(ProgramPath);
    const std::string programName = WithoutExtension(platform::FileNamePart(ProgramPath));
    const std::string besideProgram = platform::WithTrailingSlash(programDir) + programName + ".set";
    if (ConfigHome.empty() || !CanWriteDirectory || CanWriteDirectory(programDir))
        return {besideProgram, {}};
    return {platform::WithTrailingSlash(ConfigHome) + programName + "/" + programName + ".set", besideProgram};
}

// ---- Rules of the values ----

TBuiltInKrellers ReadBuiltInKrellers(const TNoxPigger& node)
{
    TBuiltInKrellers krellers;
    for (const TSwitchAttr& binding : kSwitches)
        krellers.*binding.Flag = node.GetAttr(binding.Attr) != kSwitchedOff;
    return krellers;
}

void WriteBuiltInKrellers(TNoxPigger& node, const TBuiltInKrellers& krellers)
{
    for (const TSwitchAttr& binding : kSwitches)
        node.SetAttr(binding.Attr, krellers.*binding.Flag ? "" : kSwitchedOff);
}

std::string NormalisedDirectory(const std::string& folder)
{
    std::string directory = folder;
    while (directory.size() > 1 && directory.back() == '/')
        directory.pop_back();
    return platform::WithTrailingSlash(directory);
}

bool AddDirectoryOnce(std::vector<std::string>& directories, const std::string& folder)
{
    const std::string directory = NormalisedDirectory(folder);
    for (const std::string& listed : directories)
        if (NormalisedDirectory(listed) == directory)
            return false;
    directories.push_back(directory);
    return true;
}

// ---- Loading and saving ----

TSettingsStore::TSettingsStore(const TSettingsLocation& location)
    : TSettingsStore(location.FileName, location.SeedFileName)
{
}

TSettingsStore::TSettingsStore(std::string fileName, std::string seedFileName)
    : fileName_(std::move(fileName)), seedFileName_(std::move(seedFileName))
{
    StandardDefaults(document_);
    groupsToDocument_ = WriteGroupsOnChange();
}

void TSettingsStore::StandardDefaults(TNoxPigger& document)
{
    document.Clear();
    document.SetName("SETTINGS");
}

void TSettingsStore::Load(const std::function<void(TNoxPigger&)>& setDefaults)
{
    CheckWriteProtection();
    const TFileState state = ReadFile();
    if (state != TFileState::Loaded) {
        setDefaults(document_);
        // A damaged file that could not be put aside stays where it is rather than being overwritten now.
        if (state != TFileState::Damaged || KeepDamagedFile())
            Save();
    }
    ReadFileGroupsQuietly();
}

void TSettingsStore::ReadFileGroupsQuietly()
{
    // Reading is no change: a document without FILE_GROUPS keeps its shape until groups are edited.
    groupsToDocument_ = {};
    fileGroups_.Assign(document_.FindChild(kFileGroupsKey) ? ReadFileGroups(document_) : std::vector<TFileGroup>{});
    groupsToDocument_ = WriteGroupsOnChange();
}

TFileGroups::TSubscription TSettingsStore::WriteGroupsOnChange()
{
    return fileGroups_.Subscribe([this] { WriteFileGroups(document_, fileGroups_.Groups()); });
}

TSettingsStore::TFileState TSettingsStore::ReadFile()
{
    readFrom_.clear();
    const TFileState own = ReadFrom(fileName_);
    if (own != TFileState::Missing || seedFileName_.empty() || !platform::PathExists(seedFileName_))
        return own;
    // A seed that cannot be read is left where it is: the defaults go into the per-user file.
    if (ReadFrom(seedFileName_) != TFileState::Loaded)
        return TFileState::Missing;
    readFrom_ = seedFileName_;
    return TFileState::Loaded;
}

TSettingsStore::TFileState TSettingsStore::ReadFrom(const std::string& fileName)
{
    try {
        std::istringstream bytes(platform::ReadWholeFile(fileName));
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

bool TSettingsStore::KeepDamagedFile()
{
    return KeepDamagedCopy(fileName_, std::chrono::system_clock::now());
}

bool TSettingsStore::Save()
{
    CheckWriteProtection();
    if (writeProtected_)
        return false;
    try {
        platform::CreateDirectories(platform::DirectoryPart(fileName_));
        document_.SaveToFile(fileName_);
        readFrom_.clear();
        return true;
    } catch (const std::exception&) {
        // A location that cannot be written keeps its old file; the program goes on.
        return false;
    }
}

void TSettingsStore::CheckWriteProtection()
{
    writeProtected_ = platform::IsWriteProtected(fileName_);
}

std::string TSettingsStore::PlaceNote() const
{
    if (writeProtected_)
        return "The settings file " + fileName_ + " is read-only: changes to the settings cannot be saved.";
    if (!readFrom_.empty())
        return "Settings were read from " + readFrom_ + ". Changes will be saved to " + fileName_ + ".";
    return "Settings are kept in " + fileName_ + ".";
}

// ---- Elements and lists ----

TNoxPigger* TSettingsStore::GetNode(TNoxPigger* parent, const std::string& name)
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

TNoxPigger* TSettingsStore::ListNode(const std::string& name)
{
    const std::string listName = platform::Trimmed(name);
    return listName.empty() ? nullptr : GetNode(&document_, listName);
}

void TSettingsStore::ReadList(std::vector<std::string>& strings, const std::string& name)
{
    TNoxPigger* node = ListNode(name);
    if (!node)
        return;
    strings.clear();
    for (int i = 0; i < node->ChildCount(); ++i)
        strings.push_back(node->Child(i)->GetAttr("VAL"));
}

void TSettingsStore::WriteList(const std::vector<std::string>& strings, const std::string& name)
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

// ---- Values ----

std::string TSettingsStore::DefaultPath()
{
    if (document_.GetAttr(kDefaultPathKey).empty())
        SetDefaultPath(platform::DefaultStartPath());
    return document_.GetAttr(kDefaultPathKey);
}

void TSettingsStore::SetDefaultPath(const std::string& path)
{
    document_.SetAttr(kDefaultPathKey, platform::Trimmed(path));
}

std::vector<std::string> TSettingsStore::ExcludedDirectories()
{
    std::vector<std::string> directories;
    ReadList(directories, kExcludedDirectoriesKey);
    return directories;
}

void TSettingsStore::SetExcludedDirectories(const std::vector<std::string>& directories)
{
    WriteList(directories, kExcludedDirectoriesKey);
}

TBuiltInKrellers TSettingsStore::BuiltInKrellers()
{
    return ReadBuiltInKrellers(*GetNode(&document_, kBuiltInKrellersKey));
}

void TSettingsStore::SetBuiltInKrellers(const TBuiltInKrellers& krellers)
{
    WriteBuiltInKrellers(*GetNode(&document_, kBuiltInKrellersKey), krellers);
}

std::string TSettingsStore::LastExtensionMask() const
{
    const std::string mask = document_.GetAttr(kLastExtensionKey);
    return mask.empty() ? kAnyExtension : mask;
}

void TSettingsStore::SetLastExtensionMask(const std::string& mask) { document_.SetAttr(kLastExtensionKey, mask); }

std::string TSettingsStore::LastVisit() const { return document_.GetAttr(kLastVisitKey); }

void TSettingsStore::SetLastVisit(const std::string& date) { document_.SetAttr(kLastVisitKey, date); }

std::vector<std::string> TSettingsStore::RecentSearches()
{
    std::vector<std::string> files;
    ReadList(files, kRecentSearchesKey);
    return files;
}

void TSettingsStore::SetRecentSearches(const std::vector<std::string>& files) { WriteList(files, kRecentSearchesKey); }


std::string TSettingsStore::DialogFolder(const std::string& purpose, const std::string& selected) const
{
    const TNoxPigger* folders = document_.FindChild(kDialogFoldersKey);
    const std::string last = folders ? folders->GetAttr(purpose) : std::string();
    return FirstExistingFolder(selected, last);
}

void TSettingsStore::RememberDialogFolder(const std::string& purpose, const std::string& folder)
{
    if (!folder.empty() && !platform::Trimmed(purpose).empty())
        GetNode(&document_, kDialogFoldersKey)->SetAttr(purpose, folder);
}

void TSettingsStore::CompleteKeys()
{
    DefaultPath();
    ExcludedDirectories();
    BuiltInKrellers();
    GetNode(&document_, kFileGroupsKey);
}
