#include "tagged/file_groups.h"

#include "platform/Text.h"

#include <map>
#include <stdexcept>

namespace {

const char* const kGroupsNode = "FILE_GROUPS";
const char* const kGroupElement = "FILE_GROUP";
const char* const kExtensionElement = "GI";
const char* const kNameAttr = "NAME";
const char* const kExtensionAttr = "EXT";

std::vector<std::string> SplitAtSemicolons(const std::string& text)
{
    std::vector<std::string> pieces;
    std::string::size_type start = 0;
    for (;;) {
        const auto semicolon = text.find(';', start);
        if (semicolon == std::string::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, semicolon - start));
        start = semicolon + 1;
    }
}

bool EqualIgnoringCase(const std::string& a, const std::string& b)
{
    return platform::UpperCaseLocale(a) == platform::UpperCaseLocale(b);
}

std::string JoinedExtensionsOf(const TNoxPigger& group)
{
    std::vector<std::string> extensions;
    for (const TNoxPigger* item = group.FindChild(kExtensionElement); item; item = group.FindNextSibling(item))
        extensions.push_back(item->GetAttr(kExtensionAttr));
    return JoinExtensions(extensions);
}

void WriteGroup(TNoxPigger& groupsNode, const TFileGroup& group)
{
    auto* element = new TNoxPigger(&groupsNode);
    element->SetName(kGroupElement);
    element->SetAttr(kNameAttr, group.Name);
    for (const std::string& extension : SplitExtensionsForStoring(group.Extensions)) {
        auto* item = new TNoxPigger(element);
        item->SetName(kExtensionElement);
        item->SetAttr(kExtensionAttr, extension);
    }
}

TNoxPigger& GroupsNode(TNoxPigger& root)
{
    if (TNoxPigger* node = root.FindChild(kGroupsNode))
        return *node;
    auto* node = new TNoxPigger(&root);
    node->SetName(kGroupsNode);
    return *node;
}

} // namespace

// ---- Rules of the stored and edited forms ----

std::vector<std::string> SplitExtensionsForStoring(const std::string& text)
{
    if (text.empty())
        return {};
    // A final semicolon is no cut: it stays with the last extension.
    const bool finalSemicolon = text.back() == ';';
    std::vector<std::string> pieces = SplitAtSemicolons(finalSemicolon ? text.substr(0, text.size() - 1) : text);
    if (finalSemicolon)
        pieces.back() += ';';
    return pieces;
}

std::vector<std::string> SplitExtensionsForEditing(const std::string& text)
{
    if (text.empty())
        return {};
    std::vector<std::string> pieces = SplitAtSemicolons(text);
    if (text.back() == ';')
        pieces.pop_back();
    return pieces;
}

std::string JoinExtensions(const std::vector<std::string>& extensions)
{
    std::string joined;
    for (std::size_t i = 0; i < extensions.size(); ++i) {
        if (i > 0)
            joined += ';';
        joined += extensions[i];
    }
    return joined;
}

std::string CleanedExtension(const std::string& input)
{
    std::string cleaned;
    for (const char c : input)
        if (c != ' ' && c != '.' && c != '/' && c != '\\')
            cleaned += c;
    return cleaned;
}

TExtensionAdded AddExtension(std::vector<std::string>& extensions, const std::string& input)
{
    const std::string extension = CleanedExtension(input);
    if (extension.empty())
        return {};
    for (std::size_t i = 0; i < extensions.size(); ++i)
        if (EqualIgnoringCase(extensions[i], extension))
            return {static_cast<int>(i), false};
    extensions.push_back(extension);
    return {static_cast<int>(extensions.size()) - 1, true};
}

std::vector<TFileGroup> ReadFileGroups(TNoxPigger& root)
{
    std::vector<TFileGroup> groups;
    const TNoxPigger& node = GroupsNode(root);
    for (int i = 0; i < node.ChildCount(); ++i) {
        const TNoxPigger& group = *node.Child(i);
        groups.push_back({group.GetAttr(kNameAttr), JoinedExtensionsOf(group)});
    }
    return groups;
}

void WriteFileGroups(TNoxPigger& root, const std::vector<TFileGroup>& groups)
{
    // Every FILE_GROUPS element goes: a second one left over would be read as the groups next time.
    while (TNoxPigger* old = root.FindChild(kGroupsNode))
        delete old;
    TNoxPigger& node = GroupsNode(root);
    for (const TFileGroup& group : groups)
        WriteGroup(node, group);
}

// ---- TFileGroups ----

struct TFileGroups::TSubscription::TListeners {
    std::map<int, TListener> byId;
    int lastId = 0;
};

TFileGroups::TSubscription& TFileGroups::TSubscription::operator=(TSubscription&& other) noexcept
{
    if (this != &other) {
        Cancel();
        listeners_ = std::move(other.listeners_);
        id_ = other.id_;
    }
    return *this;
}

TFileGroups::TSubscription::~TSubscription() { Cancel(); }

void TFileGroups::TSubscription::Cancel()
{
    if (const auto listeners = listeners_.lock())
        listeners->byId.erase(id_);
    listeners_.reset();
}

TFileGroups::TFileGroups() : listeners_(std::make_shared<TSubscription::TListeners>()) {}

TFileGroups::TSubscription TFileGroups::Subscribe(TListener listener)
{
    const int id = ++listeners_->lastId;
    listeners_->byId.emplace(id, std::move(listener));
    return TSubscription(listeners_, id);
}

void TFileGroups::Changed()
{
    // A listener may subscribe or leave while it is told; the others are told from a copy.
    const auto listeners = listeners_->byId;
    for (const auto& [id, listener] : listeners)
        if (listeners_->byId.count(id))
            listener();
}

void TFileGroups::Assign(std::vector<TFileGroup> groups)
{
    if (groups == groups_)
        return;
    groups_ = std::move(groups);
    Changed();
}

std::size_t TFileGroups::Add(TFileGroup group)
{
    groups_.push_back(std::move(group));
    Changed();
    return groups_.size() - 1;
}

void TFileGroups::Replace(std::size_t index, TFileGroup group)
{
    if (groups_.at(index) == group)
        return;
    groups_[index] = std::move(group);
    Changed();
}

void TFileGroups::Remove(std::size_t index)
{
    if (index >= groups_.size())
        throw std::out_of_range("No file group at that place");
    groups_.erase(groups_.begin() + static_cast<std::ptrdiff_t>(index));
    Changed();
}
