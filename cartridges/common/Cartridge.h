#pragma once
#include "ChildRun.h"
#include "TextCache.h"

#include <optional>
#include <string>
#include <vector>

// What sets one cartridge apart from another.
struct CartridgeDescription {
    std::string name;                    // display name
    std::string id;                      // names its cache folder
    std::string helperName;              // converter program, in libexec/ beside the library
    std::vector<std::string> extensions; // lower case, without the dot
    std::string signature;               // the bytes every accepted file starts with
    std::string reads;                   // what it reads, for its settings dialog
};

// A context cartridge: accepts files by extension and signature, and turns an accepted file into
// text through its converter program, with the texts cached per file version.
class Cartridge {
public:
    static constexpr std::uint64_t kCacheLimitBytes = 250000000;

    Cartridge(CartridgeDescription description, std::string helperPath, TextCache cache, ChildLimits limits = {});

    const CartridgeDescription& Description() const { return description_; }
    TextCache& Cache() { return cache_; }

    // A regular file whose extension (case-blind) is one of the cartridge's and whose content
    // starts with its signature. Never opens anything but regular files.
    bool AcceptFile(const std::string& path) const;
    // Where the file's text lies (a cache entry, or for a text too long for the cache a file of
    // its own that stays until the next conversion), and whether a limit cut it short: a
    // conversion stopped by the time limit or a size limit keeps the text made before. Nothing
    // when the file has no text: it cannot be converted (damaged, hostile, crashed the converter)
    // or is no regular file.
    std::optional<StoredText> GetContextFile(const std::string& path);
    // The file's text in memory; empty when it has none.
    std::string GetContext(const std::string& path);

private:
    std::optional<StoredText> Convert(const FileKey& key, const std::string& path);

    CartridgeDescription description_;
    std::string helperPath_;
    TextCache cache_;
    ChildLimits limits_;
    std::optional<TextDraft> uncached_; // the last text too long for the cache
};

// The converter program helperName for the library at libraryPath: libexec/ in the library's folder.
std::string HelperPathBeside(const std::string& libraryPath, const std::string& helperName);
// "12 documents, 1.4 MB of 250.0 MB" (1 KB = 1000 bytes, 1 MB = 1000 KB).
std::string CacheUsageText(const CacheUsage& usage, std::uint64_t limitBytes);
