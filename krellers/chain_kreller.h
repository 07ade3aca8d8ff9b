#pragma once
#include "krellers/condition_strings.h"
#include "platform/ContentFile.h"
#include "platform/FileSystem.h"
#include "plugins/text_limit.h"

#include <string>
#include <vector>

class TNoxCrtr_ckreller;

// What the kreller chain needs of a kreller object. The kreller dialogs implement it; the chain
// and its tests need no window.
class TChainKreller {
public:
    virtual ~TChainKreller() = default;

    // Takes the condition from a row's strings (may be none); they stay bound for later writes.
    virtual void LoadCondition(TConditionStrings* strings) = 0;
    // Runs the edit on a row's strings; true when it ended with "Ok" or "Reset".
    virtual bool EditCondition(TConditionStrings& strings) = 0;
    // Does the file meet the condition last loaded.
    virtual bool TestFile(const FileEntry& entry, const std::string& path) = 0;
    // Why the condition last loaded refuses a file TestFile refused, in words for the user
    // ("the name has no extension, and the mask needs one"); empty when it cannot tell.
    virtual std::string WhyRefused(const FileEntry&, const std::string&) const { return {}; }
    // Whether the last test saw the file's whole text, or a limit kept part of it from the test.
    virtual TTextLimit LastTextLimit() const { return TTextLimit::None; }

    virtual TConditionStrings* BoundStrings() const = 0;
    // Forgets the bound strings without touching them, for when their row goes away.
    virtual void UnbindStrings() = 0;

    // Whether the answer depends on nothing but the entry and its path, reads no file and calls
    // no plug-in, so that it may be asked ahead of the chain without changing anything.
    virtual bool JudgesEntryAlone() const { return false; }
    // Whether the test looks at what a stat tells of a file (size, times, owner, permission bits),
    // beyond its name, kind and contents; when no kreller of a run does, files are listed unstat'ed.
    virtual bool NeedsFileFacts() const { return true; }

    // Reading ahead: a kreller that can judge files on threads of its own, ahead of the chain,
    // says so when asked to begin (after its condition was loaded), then is handed the files
    // that will reach it, in the order it will be asked for them (false when it did not take them
    // all: they are to be handed again later), and is told when the run ends. The others do
    // nothing.
    virtual bool BeginReadingAhead() { return false; }
    virtual bool ReadAhead(std::vector<platform::TListedFile> files)
    {
        (void)files;
        return true;
    }
    virtual void EndReadingAhead() {}

    virtual bool IsPluginKreller() const = 0;
    virtual void DetachPlugin() = 0;
    virtual bool PluginAcceptsFile(const std::string& path) const = 0;
    virtual void ShowFileViaPlugin(const std::string& path, const TConditionStrings& strings) = 0;
};
