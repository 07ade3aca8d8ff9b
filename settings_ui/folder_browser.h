#pragma once
#include <optional>
#include <string>

class QWidget;

// The system's folder dialog, opened on start (file system bytes; empty: the dialog's own choice).
// The folder comes back as the file system's bytes, names that are not valid UTF-8 included;
// nothing when the user picked none.
std::optional<std::string> BrowseSystemFolder(QWidget* parent, const std::string& title, const std::string& start);
