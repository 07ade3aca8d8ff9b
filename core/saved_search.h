#pragma once
#include <string>
#include <vector>

#include "krellers/condition_strings.h"

class TKrellerList;
class TNoxPigger;

// One kreller row of a saved search. Native rows are known by their caption, custom kreller rows
// by their plug-in's name, which is their caption too.
struct TSavedKreller {
    std::string Caption;
    bool Custom = false;
    bool Checked = false;
    TConditionStrings Strings;

    bool operator==(const TSavedKreller&) const = default;
};

// What a search file holds: everything the user set up before pressing Run.
struct TSavedSearch {
    std::vector<std::string> StartPaths;
    std::string NameBox;
    std::vector<TSavedKreller> Krellers;

    bool operator==(const TSavedSearch&) const = default;
};

// The search file's root element and the version this program writes and reads.
inline constexpr const char* SavedSearchRoot = "FILEKRELLER_SEARCH";
inline constexpr int SavedSearchVersion = 1;
inline constexpr const char* SavedSearchFilter = "FileKreller search|*.fks|All files|*.*";
inline constexpr const char* SavedSearchExtension = "fks";

// The search as a tagged document, and back. Reading throws std::runtime_error with the
// document's own message for damaged text, and a message of its own for another root element or a
// later version; nothing is returned then.
std::string SavedSearchText(const TSavedSearch& search);
TSavedSearch ParseSavedSearch(const std::string& text);

// Writes the file atomically; reads it. Both throw std::runtime_error with the system's message
// (or the document's, as ParseSavedSearch).
void SaveSearchFile(const std::string& file, const TSavedSearch& search);
TSavedSearch LoadSearchFile(const std::string& file);

// The rows of the kreller list as a search saves them. Rows still held from an opened search
// whose kreller is not in the list (a missing plug-in) are saved too, so they are not lost.
std::vector<TSavedKreller> CaptureKrellers(const TKrellerList& list, const std::vector<TSavedKreller>& unplaced);

// Gives every row of the list the condition and check state the search holds for it; rows the
// search does not name lose theirs. Returns the saved rows that found no row in the list.
std::vector<TSavedKreller> ApplyKrellers(TKrellerList& list, const std::vector<TSavedKreller>& saved);

// What the user is told about saved rows that found no kreller: each missing plug-in by name.
// Empty when there are none.
std::string UnplacedKrellersText(const std::vector<TSavedKreller>& unplaced);

// The recent searches list: file put first, an earlier mention of it dropped, at most limit kept.
inline constexpr std::size_t RecentSearchesLimit = 10;
void PushRecentSearch(std::vector<std::string>& recent, const std::string& file,
                      std::size_t limit = RecentSearchesLimit);
