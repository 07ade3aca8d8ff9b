#pragma once
#include <functional>
#include <optional>
#include <string>

class QWidget;
class TSettingsStore;

// The system's folder dialog, opened on start (file system bytes; empty: the dialog's own choice).
// The folder comes back as the file system's bytes, names that are not valid UTF-8 included;
// nothing when the user picked none.
std::optional<std::string> BrowseSystemFolder(QWidget* parent, const std::string& title, const std::string& start);

// A file or folder dialog opened at a start folder; the chosen path, or nothing.
using TChooseFrom = std::function<std::optional<std::string>(const std::string& start)>;
enum class TChosenKind { Folder, File };

// Opens choose where the dialogs of purpose open (the store's DialogFolder for selected; without
// a store: selected's folder, else home) and remembers the folder of what was chosen.
std::optional<std::string> ChooseRemembered(TSettingsStore* store, const std::string& purpose,
                                            const std::string& selected, TChosenKind kind, const TChooseFrom& choose);
