#pragma once
#include "platform/FileSystem.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

// File dialog filters of the found list file, as "name|pattern|name|pattern".
inline constexpr const char* FoundListSaveFilter = "Text format|*.txt";
inline constexpr const char* FoundListLoadFilter = "Text format|*.txt|All files|*.*";
inline constexpr const char* FoundListDefaultExtension = "txt";

// A "name|pattern|..." filter in the form QFileDialog takes ("name (pattern);;..."). "*.*" becomes
// "*", so that "All files" also shows names without a dot.
std::string QtFileDialogFilter(std::string_view filter);

// Whether path can be a line of the file: a path holding CR or LF would load as other paths.
bool FitsOnOneLine(std::string_view path);

// The file's content for these full paths: one path per line, each line ended by CR LF; empty
// paths and those that do not fit on one line are left out.
std::string FoundListText(const std::vector<std::string>& paths);

// Splits the bytes of a found list file into lines as they arrive, a piece at a time, so that
// only the line being read is held: lines end at CR LF, LF or CR (also when a piece ends between
// CR and LF), the text at the first zero byte; lines are untrimmed.
class TFoundListLineSplitter {
public:
    using LineCallback = std::function<void(std::string_view line)>;
    // Calls line for every line the bytes complete. False once a zero byte has ended the text.
    bool Feed(std::string_view bytes, const LineCallback& line);
    // The last line, when the text does not end with a line break.
    void Finish(const LineCallback& line);

private:
    std::string partial_;
    bool afterCr_ = false;
    bool ended_ = false;
};

// The lines of a found list file's text, as TFoundListLineSplitter gives them.
std::vector<std::string> FoundListLines(std::string_view text);

// Replaces file with the list, written atomically; throws std::runtime_error with the system's
// text. Returns how many paths were left out because they do not fit on one line.
std::size_t SaveFoundList(const std::string& file, const std::vector<std::string>& paths);
// What the user is told when paths were left out of a saved list.
std::string LeftOutOfListText(std::size_t leftOut);

// Appends one found row built from entry, with path as its full path.
using AddFoundFileCallback = std::function<void(const FileEntry& entry, const std::string& path)>;

// What loading a list gave: the rows loaded, and the paths of the list that name nothing now.
struct TFoundListLoad {
    static constexpr std::size_t MissingKept = 10;  // the first missing paths named
    std::string File;
    std::int64_t Loaded = 0;
    std::int64_t Missing = 0;
    std::vector<std::string> FirstMissing;  // at most MissingKept, in file order
};
// The status bar's line after a load: "120 files loaded from list.txt; 3 of its paths no longer exist".
std::string LoadedListText(const TFoundListLoad& load);
// The missing paths named, one a line, with how many more there are; empty when none is missing.
std::string MissingPathsText(const TFoundListLoad& load);

// Reads file and calls add for every line that names an existing entry (file or directory), in
// file order, with what the file system says of it now. Lines naming nothing are left out and
// counted; empty lines are neither.
// Each line is the exact path it names: '*' and '?' are ordinary characters of file names.
// The file is read in pieces: the memory taken grows with the rows kept, not with the file.
// Throws std::runtime_error with the system's text when the file cannot be read.
TFoundListLoad LoadFoundList(const std::string& file, const AddFoundFileCallback& add);

// Asks for a file to save to or load from; nothing when the user cancels.
using FileChooser = std::function<std::optional<std::string>()>;

// "Save found files list as...": nothing when there are no rows; otherwise asks for the file and
// saves the non-empty paths. The working directory is restored however it ends. Returns how many
// paths were left out because they do not fit on one line.
std::size_t SaveFoundListAs(const std::vector<std::string>& rowPaths, const FileChooser& chooseFile);
// "Load found files list": asks for the file, then empties the list and loads the file into it.
// The working directory is restored however it ends. Nothing when the user cancelled.
std::optional<TFoundListLoad> LoadFoundListFrom(const FileChooser& chooseFile, const std::function<void()>& clearFoundList,
                       const AddFoundFileCallback& add);

// The system's file dialogs, opened in folder, with a "name|pattern|..." filter; nothing when the
// user cancels. chosenFilter, when given, receives the filter picked, as shown.
std::optional<std::string> AskFileToSave(QWidget* parent, const std::string& folder, const char* objectName,
                                         const char* filter, const char* defaultExtension,
                                         std::string* chosenFilter = nullptr);
std::optional<std::string> AskFileToOpen(QWidget* parent, const std::string& folder, const char* objectName,
                                         const char* filter);

// The file dialogs of the two commands, opened in folder. A bare name typed into the save dialog
// names a file in that folder.
std::optional<std::string> AskFoundListSaveFile(QWidget* parent, const std::string& folder);
std::optional<std::string> AskFoundListLoadFile(QWidget* parent, const std::string& folder);
