#include "core/saved_search.h"

#include <algorithm>
#include <stdexcept>

#include "krellers/kreller_list.h"
#include "platform/Files.h"
#include "tagged/NoxPigger.h"

namespace {

constexpr const char* kVersionAttr = "VERSION";
constexpr const char* kNameBoxAttr = "NAME_BOX";
constexpr const char* kStartPathsNode = "START_PATHS";
constexpr const char* kKrellersNode = "KRELLERS";
constexpr const char* kKrellerNode = "KRELLER";
constexpr const char* kItemNode = "LIST_ITEM";
constexpr const char* kValueAttr = "VAL";
constexpr const char* kCaptionAttr = "CAPTION";
constexpr const char* kPluginAttr = "PLUGIN";
constexpr const char* kCheckedAttr = "CHECKED";

void WriteItems(TNoxPigger& parent, const std::vector<std::string>& values)
{
    for (const std::string& value : values) {
        auto* item = new TNoxPigger(&parent);
        item->SetName(kItemNode);
        item->SetAttr(kValueAttr, value);
    }
}

std::vector<std::string> ReadItems(const TNoxPigger* parent)
{
    std::vector<std::string> values;
    if (!parent)
        return values;
    for (const TNoxPigger* item = parent->FindChild(kItemNode); item; item = parent->FindNextSibling(item))
        values.push_back(item->GetAttr(kValueAttr));
    return values;
}

TNoxPigger* AddNode(TNoxPigger& parent, const char* name)
{
    auto* node = new TNoxPigger(&parent);
    node->SetName(name);
    return node;
}

TSavedKreller ReadKreller(const TNoxPigger& node)
{
    TSavedKreller kreller;
    const std::string plugin = node.GetAttr(kPluginAttr);
    kreller.Custom = !plugin.empty();
    kreller.Caption = kreller.Custom ? plugin : node.GetAttr(kCaptionAttr);
    // Switches are stored as "N" for off and nothing for on.
    kreller.Checked = node.GetAttr(kCheckedAttr) != "N";
    kreller.Strings = ReadItems(&node);
    return kreller;
}

bool Names(const TKrellerRow& row, const TSavedKreller& saved)
{
    return row.IsCustom() == saved.Custom && row.Caption == saved.Caption;
}

} // namespace

std::string SavedSearchText(const TSavedSearch& search)
{
    TNoxPigger root;
    root.SetName(SavedSearchRoot);
    root.SetAttr(kVersionAttr, std::to_string(SavedSearchVersion));
    root.SetAttr(kNameBoxAttr, search.NameBox);
    WriteItems(*AddNode(root, kStartPathsNode), search.StartPaths);
    TNoxPigger* krellers = AddNode(root, kKrellersNode);
    for (const TSavedKreller& saved : search.Krellers) {
        TNoxPigger* node = AddNode(*krellers, kKrellerNode);
        node->SetAttr(saved.Custom ? kPluginAttr : kCaptionAttr, saved.Caption);
        node->SetAttr(kCheckedAttr, saved.Checked ? "" : "N");
        WriteItems(*node, saved.Strings);
    }
    return root.GetAsText();
}

namespace {

TSavedSearch SearchOfDocument(const TNoxPigger& root)
{
    if (root.Name() != SavedSearchRoot)
        throw std::runtime_error("This is not a FileKreller search file.");
    const std::string version = root.GetAttr(kVersionAttr);
    int number = 0;
    try {
        number = std::stoi(version);
    } catch (const std::exception&) {
        throw std::runtime_error("The search file has no valid version.");
    }
    if (number < 1 || number > SavedSearchVersion)
        throw std::runtime_error("The search file was written by a later version of FileKreller (version " +
                                 version + ").");
    TSavedSearch search;
    search.NameBox = root.GetAttr(kNameBoxAttr);
    search.StartPaths = ReadItems(root.FindChild(kStartPathsNode));
    if (const TNoxPigger* krellers = root.FindChild(kKrellersNode)) {
        for (const TNoxPigger* node = krellers->FindChild(kKrellerNode); node; node = krellers->FindNextSibling(node))
            search.Krellers.push_back(ReadKreller(*node));
    }
    return search;
}

} // namespace

TSavedSearch ParseSavedSearch(const std::string& text)
{
    TNoxPigger root;
    root.SetAsText(text);  // a damaged document throws with its own message and position
    return SearchOfDocument(root);
}

void SaveSearchFile(const std::string& file, const TSavedSearch& search)
{
    platform::WriteFileAtomically(file, SavedSearchText(search));
}

TSavedSearch LoadSearchFile(const std::string& file)
{
    TNoxPigger root;
    root.LoadFromFile(file);
    return SearchOfDocument(root);
}

std::vector<TSavedKreller> CaptureKrellers(const TKrellerList& list, const std::vector<TSavedKreller>& unplaced)
{
    std::vector<TSavedKreller> saved;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const TKrellerRow& row = list.Row(i);
        saved.push_back({row.Caption, row.IsCustom(), row.Checked, row.Strings});
    }
    saved.insert(saved.end(), unplaced.begin(), unplaced.end());
    return saved;
}

std::vector<TSavedKreller> ApplyKrellers(TKrellerList& list, const std::vector<TSavedKreller>& saved)
{
    std::vector<bool> placed(saved.size(), false);
    for (std::size_t i = 0; i < list.Count(); ++i) {
        TKrellerRow& row = list.Row(i);
        row.Strings.clear();
        row.Checked = false;
        for (std::size_t s = 0; s < saved.size(); ++s) {
            if (!placed[s] && Names(row, saved[s])) {
                row.Strings = saved[s].Strings;
                row.Checked = saved[s].Checked;
                placed[s] = true;
                break;
            }
        }
    }
    list.ApplyCheckRules();  // a row without a condition cannot stay switched on
    std::vector<TSavedKreller> unplaced;
    for (std::size_t s = 0; s < saved.size(); ++s) {
        if (!placed[s])
            unplaced.push_back(saved[s]);
    }
    return unplaced;
}

std::string UnplacedKrellersText(const std::vector<TSavedKreller>& unplaced)
{
    if (unplaced.empty())
        return {};
    std::string text = "These krellers of the search are not in the kreller list; their conditions are kept "
                       "and saved with the search:";
    for (const TSavedKreller& saved : unplaced)
        text += saved.Custom ? "\nthe plug-in \"" + saved.Caption + "\" is missing"
                             : "\n\"" + saved.Caption + "\" is switched off in the settings";
    return text;
}

void PushRecentSearch(std::vector<std::string>& recent, const std::string& file, std::size_t limit)
{
    recent.erase(std::remove(recent.begin(), recent.end(), file), recent.end());
    recent.insert(recent.begin(), file);
    if (recent.size() > limit)
        recent.resize(limit);
}
