#pragma once
#include <chrono>
#include <functional>
#include <string>

namespace platform {

// What became of a reveal: an open result code like OpenWithAssociatedApplication (above 32: done).
using RevealDone = std::function<void(int result)>;

// "Open containing folder": asks the desktop's file manager to show the folder of path with the
// file selected. Where no file manager answers, opens the folder with its default application.
// The window goes on answering while the file manager takes its time: done is called from the
// event loop once the file manager answered or its time ran out (at once when there is no bus or
// the path is relative).
void RevealInFileManager(const std::string& path, RevealDone done);

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
