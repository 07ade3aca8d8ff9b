#pragma once
#include "platform/FileSystem.h"

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

// The file's content for these full paths: one path per line, each line ended by CR LF; empty
// paths are left out.
std::string FoundListText(const std::vector<std::string>& paths);
// The lines of a found list file: ended by CR LF, LF or CR, up to the first zero byte, untrimmed.
std::vector<std::string> FoundListLines(std::string_view text);

// Replaces file with the list, written atomically; throws std::runtime_error with the system's text.
void SaveFoundList(const std::string& file, const std::vector<std::string>& paths);

// Appends one found row built from entry, with path as its full path.
using AddFoundFileCallback = std::function<void(const FileEntry& entry, const std::string& path)>;
// Reads file and calls add for every line that names an existing entry (file or directory), in
// file order, with what the file system says of it now. Lines naming nothing are dropped silently.
// Each line is the exact path it names: '*' and '?' are ordinary characters of file names.
// Throws std::runtime_error with the system's text when the file cannot be read.
void LoadFoundList(const std::string& file, const AddFoundFileCallback& add);

// Asks for a file to save to or load from; nothing when the user cancels.
using FileChooser = std::function<std::optional<std::string>()>;

// "Save found files list as...": nothing when there are no rows; otherwise asks for the file and
// saves the non-empty paths. The working directory is restored however it ends.
void SaveFoundListAs(const std::vector<std::string>& rowPaths, const FileChooser& chooseFile);
// "Load found files list": asks for the file, then empties the list and loads the file into it.
// The working directory is restored however it ends.
void LoadFoundListFrom(const FileChooser& chooseFile, const std::function<void()>& clearFoundList,
                       const AddFoundFileCallback& add);

// The file dialogs of the two commands.
std::optional<std::string> AskFoundListSaveFile(QWidget* parent);
std::optional<std::string> AskFoundListLoadFile(QWidget* parent);
