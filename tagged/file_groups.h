#pragma once
#include "tagged/NoxPigger.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A named list of file extensions, as the File mask kreller passes or restricts it as a whole.
// Extensions are kept as the user sees them: without dots, joined by semicolons ("doc;txt").
struct TFileGroup {
    std::string Name;
    std::string Extensions;
    bool operator==(const TFileGroup&) const = default;
};

// ---- Rules of the stored and edited forms ----

// The pieces that are stored as one GI element each: the text cut at every semicolon except a
// final one, which stays part of the last piece. An empty text has no pieces.
std::vector<std::string> SplitExtensionsForStoring(const std::string& text);
// The entries of the edit dialog's list: the text cut at every semicolon; an empty piece between
// two semicolons is an entry, nothing follows a final semicolon.
std::vector<std::string> SplitExtensionsForEditing(const std::string& text);
std::string JoinExtensions(const std::vector<std::string>& extensions);
// What the user typed, without the blanks, dots and slashes people put around extensions.
std::string CleanedExtension(const std::string& input);

// Where an extension typed into the edit dialog went: the entry to select, or none.
struct TExtensionAdded {
    int Index = -1;        // -1: nothing was left to add
    bool Appended = false; // false: an entry that is equal ignoring case was already listed
    bool operator==(const TExtensionAdded&) const = default;
};
TExtensionAdded AddExtension(std::vector<std::string>& extensions, const std::string& input);

// The groups under the root's FILE_GROUPS (created empty when missing), one per child whatever its name.
std::vector<TFileGroup> ReadFileGroups(TNoxPigger& root);
// Replaces FILE_GROUPS by the groups, in order, as the root's last child.
void WriteFileGroups(TNoxPigger& root, const std::vector<TFileGroup>& groups);

// The one list of file groups of the program. Every list that shows groups is a view of it and
// listens for changes, so an edit made in one view shows in every other and none of them can
// write back a stale copy.
class TFileGroups {
public:
    using TListener = std::function<void()>;

    // Ends a listener's subscription when it goes; harmless once the list itself is gone.
    class TSubscription {
    public:
        TSubscription() = default;
        TSubscription(TSubscription&&) noexcept = default;
        TSubscription& operator=(TSubscription&& other) noexcept;
        ~TSubscription();

    private:
        friend class TFileGroups;
        struct TListeners;
        TSubscription(std::weak_ptr<TListeners> listeners, int id) : listeners_(std::move(listeners)), id_(id) {}
        void Cancel();
        std::weak_ptr<TListeners> listeners_;
        int id_ = 0;
    };

    TFileGroups();

    const std::vector<TFileGroup>& Groups() const { return groups_; }
    std::size_t Count() const { return groups_.size(); }
    const TFileGroup& At(std::size_t index) const { return groups_.at(index); }

    // Each change tells every listener, unless it changed nothing.
    void Assign(std::vector<TFileGroup> groups);
    // Appends a group; its index.
    std::size_t Add(TFileGroup group);
    void Replace(std::size_t index, TFileGroup group);
    void Remove(std::size_t index);

    // The listener runs after every change until the subscription goes.
    [[nodiscard]] TSubscription Subscribe(TListener listener);

private:
    void Changed();

    std::vector<TFileGroup> groups_;
    std::shared_ptr<TSubscription::TListeners> listeners_;
};
