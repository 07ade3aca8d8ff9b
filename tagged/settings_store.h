#pragma once
#include "tagged/NoxPigger.h"
#include "tagged/file_groups.h"

#include <functional>
#include <string>
#include <vector>

// Where the settings are written, and where they are read from while that file does not exist yet.
struct TSettingsLocation {
    std::string FileName;
    // The file beside a program whose directory cannot be written: read until the per-user file
    // exists, so settings shipped or kept there are taken over by the first write. Empty: none.
    std::string SeedFileName;
};

// Where a program keeps its settings file: beside the program, with the program's name and the
// extension ".set"; in <ConfigHome>/<program name>/ when the program's directory cannot be written.
struct TSettingsPlace {
    std::string ProgramPath;  // full path of the program
    std::string ConfigHome;   // the user's configuration directory; empty: no fallback
    std::function<bool(const std::string& dir)> CanWriteDirectory;

    // The running program, the user's real configuration directory and the real access check.
    static TSettingsPlace OfRunningProgram();
    // Decided once, from the state of the directories now.
    TSettingsLocation Locate() const;
    std::string SettingsFileName() const { return Locate().FileName; }
};

// Which built-in krellers are offered in the kreller list.
struct TBuiltInKrellers {
    bool Dirs = true;
    bool FileMask = true;
    bool FileSize = true;
    bool FileTime = true;
    bool Context = true;
    bool operator==(const TBuiltInKrellers&) const = default;
};

// The switches as MAIN_KRELLERS holds them: "N" is off, anything else on.
TBuiltInKrellers ReadBuiltInKrellers(const TNoxPigger& node);
// "N" for a switch that is off, no attribute for one that is on.
void WriteBuiltInKrellers(TNoxPigger& node, const TBuiltInKrellers& krellers);

// The directory as it is listed: exactly one '/' at its end ("/" stays "/").
std::string NormalisedDirectory(const std::string& folder);
// Appends the normalised folder unless the list already holds it (entries compared normalised,
// byte for byte: paths keep their case). True when it was appended.
bool AddDirectoryOnce(std::vector<std::string>& directories, const std::string& folder);

// Where a file or folder dialog opens: selected when it is an existing folder, the folder of
// selected when it is an existing file, the same for last, else the home directory.
std::string FirstExistingFolder(const std::string& selected, const std::string& last);

// The program's settings: the settings document, its file, and the values the program shares.
// Paths are kept as the file system's bytes. Nothing here touches a widget; dialogs show what the
// store holds and hand their values back to it.
class TSettingsStore {
public:
    explicit TSettingsStore(std::string fileName, std::string seedFileName = {});
    explicit TSettingsStore(const TSettingsLocation& location);
    TSettingsStore(const TSettingsStore&) = delete;
    TSettingsStore& operator=(const TSettingsStore&) = delete;

    const std::string& FileName() const { return fileName_; }
    // The file the settings were read from until the first write puts them into FileName.
    const std::string& ReadFrom() const { return readFrom_; }
    // A settings file the user made read-only is never replaced: changes cannot be saved.
    bool WriteProtected() const { return writeProtected_; }
    // Looks at the file again: it may have been made read-only, or writable, meanwhile.
    void CheckWriteProtection();
    // One sentence for the user on where the settings are kept, or why changes cannot be saved.
    std::string PlaceNote() const;
    TNoxPigger& Document() { return document_; }
    const TNoxPigger& Document() const { return document_; }

    // The document as it is when there is no settings file: an empty root named SETTINGS.
    static void StandardDefaults(TNoxPigger& document);
    // Replaces the document by the settings file. A file that cannot be read or parsed is kept
    // beside it under a dated name (KeepDamagedCopy); then, as for a missing file, setDefaults fills the document and it is written
    // at once. The file groups are read afresh.
    void Load(const std::function<void(TNoxPigger&)>& setDefaults = StandardDefaults);
    // Writes the document to the settings file; false (and the old file untouched) when that fails
    // or the file is read-only.
    bool Save();

    // parent's first child of that name (trimmed), created as its last child when there is none;
    // nullptr when parent is nullptr.
    static TNoxPigger* GetNode(TNoxPigger* parent, const std::string& name);
    // The VAL attributes of the children of the list element name (created when missing), in
    // order. Nothing happens, strings included, when the trimmed name is empty.
    void ReadList(std::vector<std::string>& strings, const std::string& name);
    // Replaces the children of the list element name by one LIST_ITEM per string, holding it in
    // VAL. Nothing happens when the trimmed name is empty.
    void WriteList(const std::vector<std::string>& strings, const std::string& name);

    // DEFAULT_PATH; when it is empty it first becomes the user's home directory.
    std::string DefaultPath();
    // Stores the path without the blanks around it.
    void SetDefaultPath(const std::string& path);
    // DONT_SEARCH_IN: the directories a search leaves out unless told otherwise.
    std::vector<std::string> ExcludedDirectories();
    void SetExcludedDirectories(const std::vector<std::string>& directories);
    // MAIN_KRELLERS: read when the kreller list is built, so a change applies at the next start.
    TBuiltInKrellers BuiltInKrellers();
    void SetBuiltInKrellers(const TBuiltInKrellers& krellers);
    // LAST_EXT: the extension mask last used in the File mask kreller; "*" when there is none.
    std::string LastExtensionMask() const;
    // An empty mask removes the key.
    void SetLastExtensionMask(const std::string& mask);
    // LVD: when the user last followed the progress window's web link.
    std::string LastVisit() const;
    void SetLastVisit(const std::string& date);

    // RECENT_SEARCHES: the search files opened or saved last, the latest first.
    std::vector<std::string> RecentSearches();
    void SetRecentSearches(const std::vector<std::string>& files);
    // DIALOG_FOLDERS: where a file or folder dialog opens. The selected path when it names an
    // existing folder (a file's folder for a file), else the folder the dialog of this purpose was
    // last left in, else the home directory: never the program's own folder.
    std::string DialogFolder(const std::string& purpose, const std::string& selected = {}) const;
    // Remembers the folder a dialog of this purpose was left in (a chosen file's folder).
    void RememberDialogFolder(const std::string& purpose, const std::string& folder);

    // FILE_GROUPS: every change reaches the document at once.
    TFileGroups& FileGroups() { return fileGroups_; }

    // Creates the keys of a fresh document in their order: DEFAULT_PATH, DONT_SEARCH_IN,
    // MAIN_KRELLERS, FILE_GROUPS.
    void CompleteKeys();

private:
    enum class TFileState { Loaded, Missing, Damaged };
    TFileState ReadFile();
    bool KeepDamagedFile();
    TNoxPigger* ListNode(const std::string& name);
    void ReadFileGroupsQuietly();
    TFileGroups::TSubscription WriteGroupsOnChange();

    TFileState ReadFrom(const std::string& fileName);

    std::string fileName_;
    std::string seedFileName_;
    std::string readFrom_;
    bool writeProtected_ = false;
    TNoxPigger document_;
    TFileGroups fileGroups_;
    TFileGroups::TSubscription groupsToDocument_;
};
