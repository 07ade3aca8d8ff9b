#pragma once
// What the found list's file actions decide before and after they touch a file: which new names
// are refused, what is asked, what is told, and what the properties show.
#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileActions.h"

// Why newName cannot become the name of the file at path; empty when it can. taken says whether
// something already has a path. The file's own name is not refused: renaming to it changes nothing.
std::string RenameRefusal(const std::string& path, const std::string& newName,
                          const std::function<bool(const std::string&)>& taken);
// The path the file gets: its own directory and newName.
std::string RenamedPath(const std::string& path, const std::string& newName);

std::string RenameQuestion(const std::string& path, const std::string& newName);
// The question asked before files go to the trash; it names the first few.
std::string TrashQuestion(const std::vector<std::string>& paths);

// Which files went to the trash and why the others did not.
struct TTrashOutcome {
    std::vector<std::size_t> Trashed;   // indexes into the paths given
    std::vector<std::string> Failures;  // the system's message for each file that stayed
};
// Trashes every path with trash, which throws the system's message for a file it cannot move;
// one failure does not stop the others.
TTrashOutcome TrashEach(const std::vector<std::string>& paths, const std::function<void(const std::string&)>& trash);
// What the user is told afterwards; empty when every file went.
std::string TrashFailureText(const TTrashOutcome& outcome);

// A time stamp with its seconds and nanoseconds, in UTC; "unknown" when the file system keeps none.
std::string StampText(const platform::TFileStamp& stamp);
// The rows of the properties of the file at path: caption and value, in the order shown.
std::vector<std::pair<std::string, std::string>> PropertyRows(const std::string& path,
                                                              const platform::TFileProperties& properties);
