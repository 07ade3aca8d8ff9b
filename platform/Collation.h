#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// The order of names in a locale: without regard to case, runs of digits by their value (file2
// before file10), letters beyond ASCII among their kin (an umlaut beside its base letter).
// Texts are UTF-8; a byte that is not UTF-8 counts as a replacement character.
class TNameCollator {
public:
    // The collator of the locale the environment names for collation (LC_ALL, LC_COLLATE, LANG);
    // none for the C and POSIX locales, or one the library does not know: the program then sorts
    // by its own rule.
    static std::unique_ptr<TNameCollator> ForUserLocale();
    // The collator of a locale named like "de_DE.UTF-8" or "sv_SE"; none as above.
    static std::unique_ptr<TNameCollator> ForLocale(const std::string& name);

    ~TNameCollator();
    TNameCollator(const TNameCollator&) = delete;
    TNameCollator& operator=(const TNameCollator&) = delete;

    // The first size bytes of text's sort key (the rest zero): keys that differ order the texts as
    // Compare does; equal ones leave the decision to Compare.
    void KeyStart(std::string_view text, unsigned char* key, std::size_t size) const;
    // Negative, zero or positive.
    int Compare(std::string_view a, std::string_view b) const;

private:
    struct TState;
    explicit TNameCollator(std::unique_ptr<TState> state);
    std::unique_ptr<TState> state_;
};

} // namespace platform
