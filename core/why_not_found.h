#pragma once
#include <string>
#include <vector>

class TKrellerList;
struct TKrellerRow;

// "Why not found?": what the search would do with one path, in one message: it does not exist,
// lies under no start path, lies in a directory the walk does not enter (and which), is refused
// by a kreller (the first, with its description and why it refused, or the error its test
// raised), or passes
// every kreller. The chain is asked as the search asks it, so the krellers must have loaded
// their conditions first.
std::string WhyNotFound(std::string path, const std::vector<std::string>& startPaths, const TKrellerList& chain,
                        const TKrellerRow* directoriesRow);
