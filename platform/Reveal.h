#pragma once
#include <string>

namespace platform {

// "Open containing folder": asks the desktop's file manager to show the folder of path with the
// file selected. Where no file manager answers, opens the folder with its default application.
// Answers an open result code like OpenWithAssociatedApplication (above 32: done).
int RevealInFileManager(const std::string& path);

} // namespace platform
