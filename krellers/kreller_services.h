#pragma once
#include <functional>
#include <optional>
#include <string>

class TPluginHost;
class TSettingsStore;

// What the program offers every native kreller, handed to it once when it is created. A kreller
// is then a plain condition and a thin dialog that needs nothing else of the main window. Any
// member may be left empty (tests fill in what they look at): an unanswered question counts as
// "No", a missing folder browser picks nothing, a missing abandon check never abandons.
struct TKrellerServices {
    // A yes/no question to the user; true for "Yes".
    std::function<bool(const std::string& question)> Ask;
    // A message the user acknowledges.
    std::function<void(const std::string& text)> Inform;
    // The folder browser with its title, opened at the selected folder (empty: where it was last
    // used); the picked folder's path bytes, or nothing.
    std::function<std::optional<std::string>(const std::string& title, const std::string& selected)> BrowseFolder;
    // Opens a help page by topic.
    std::function<void(const std::string& topic)> ShowHelpTopic;
    // The program's settings.
    TSettingsStore* Settings = nullptr;
    // The loaded plug-ins; the Context kreller asks their cartridges for the text of files.
    const TPluginHost* Plugins = nullptr;
    // True once the user asked to skip the file being tested, or to stop the search.
    std::function<bool()> CurrentFileAbandoned;
    // Lets pending window events run during a long test of one file.
    std::function<void()> ProcessEvents;
    // Shows the user settings on the page of the context cartridges; true when the user agreed
    // there to close the program (the set of krellers or plug-ins changed).
    std::function<bool()> ShowCartridgeSettings;

    bool AskYes(const std::string& question) const { return Ask && Ask(question); }
    bool Abandoned() const { return CurrentFileAbandoned && CurrentFileAbandoned(); }
};
