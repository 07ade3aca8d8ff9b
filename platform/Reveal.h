#pragma once
#include <chrono>
#include <functional>
#include <string>

namespace platform {

// "Open containing folder": asks the desktop's file manager to show the folder of path with the
// file selected. Where no file manager answers, opens the folder with its default application.
// Answers an open result code like OpenWithAssociatedApplication (above 32: done).
int RevealInFileManager(const std::string& path);

// The road taken where no file manager answers: opens a directory, answering a result code like
// OpenWithAssociatedApplication.
using FolderOpener = std::function<int(const std::string& directory)>;

// Replace the folder opener and the time the file manager is given to answer, so tests can follow
// both roads without starting anything or waiting long. An empty opener puts the real one back,
// as does SetFileManagerTimeout(DefaultFileManagerTimeout).
void SetFolderOpener(FolderOpener opener);
inline constexpr std::chrono::milliseconds DefaultFileManagerTimeout{3000};
void SetFileManagerTimeout(std::chrono::milliseconds timeout);

} // namespace platform
