#pragma once
#include <optional>
#include <string>
#include <vector>

class TNoxPigger;

// What a window remembers between sessions (its size, columns, switches, texts), kept in the
// settings document as one element of its own whose attributes and lists hold the values, so an
// older copy of the program, which does not know the element, ignores it. Every reading takes a
// default: a value that is missing or does not read as what it should be gives the default,
// never an error. Keys are upper case, as every key of the settings file.
class TRememberedState {
public:
    // The element of that name below the document's root, made when first written.
    TRememberedState(TNoxPigger& document, std::string element);

    int Number(const std::string& key, int fallback) const;
    void SetNumber(const std::string& key, int value);
    // Stored as the settings file stores switches: "N" for off, "Y" for on.
    bool Switch(const std::string& key, bool fallback) const;
    void SetSwitch(const std::string& key, bool on);
    // A list of numbers, "300,330,60"; nothing when any of them does not read.
    std::optional<std::vector<int>> Numbers(const std::string& key) const;
    void SetNumbers(const std::string& key, const std::vector<int>& values);
    std::string Text(const std::string& key, const std::string& fallback = {}) const;
    void SetText(const std::string& key, const std::string& value);
    // A list of texts, as LIST_ITEM elements with the text in VAL.
    std::vector<std::string> Texts(const std::string& key) const;
    void SetTexts(const std::string& key, const std::vector<std::string>& values);

private:
    const TNoxPigger* Element() const;
    TNoxPigger& MadeElement();

    TNoxPigger& document_;
    std::string element_;
};

// A number as written in the settings file; nothing for text that is not a whole int.
std::optional<int> ReadNumber(const std::string& text);
