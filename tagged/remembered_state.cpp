#include "tagged/remembered_state.h"

#include <charconv>

#include "tagged/NoxPigger.h"

namespace {

const char* const kListItem = "LIST_ITEM";
const char* const kItemValue = "VAL";

} // namespace

std::optional<int> ReadNumber(const std::string& text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || text.empty())
        return std::nullopt;
    return value;
}

TRememberedState::TRememberedState(TNoxPigger& document, std::string element)
    : document_(document), element_(std::move(element))
{
}

const TNoxPigger* TRememberedState::Element() const
{
    return document_.FindChild(element_);
}

TNoxPigger& TRememberedState::MadeElement()
{
    if (TNoxPigger* found = document_.FindChild(element_))
        return *found;
    auto* made = new TNoxPigger(&document_);
    made->SetName(element_);
    return *made;
}

std::string TRememberedState::Text(const std::string& key, const std::string& fallback) const
{
    const TNoxPigger* element = Element();
    const std::string value = element ? element->GetAttr(key) : std::string();
    return value.empty() ? fallback : value;
}

void TRememberedState::SetText(const std::string& key, const std::string& value)
{
    MadeElement().SetAttr(key, value);
}

int TRememberedState::Number(const std::string& key, int fallback) const
{
    return ReadNumber(Text(key)).value_or(fallback);
}

void TRememberedState::SetNumber(const std::string& key, int value)
{
    SetText(key, std::to_string(value));
}

bool TRememberedState::Switch(const std::string& key, bool fallback) const
{
    const std::string value = Text(key);
    if (value == "N")
        return false;
    return value == "Y" ? true : fallback;
}

void TRememberedState::SetSwitch(const std::string& key, bool on)
{
    SetText(key, on ? "Y" : "N");
}

std::optional<std::vector<int>> TRememberedState::Numbers(const std::string& key) const
{
    const std::string text = Text(key);
    if (text.empty())
        return std::nullopt;
    std::vector<int> values;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::optional<int> value = ReadNumber(text.substr(start, comma - start));
        if (!value)
            return std::nullopt;
        values.push_back(*value);
        start = comma + 1;
    }
    return values;
}

void TRememberedState::SetNumbers(const std::string& key, const std::vector<int>& values)
{
    std::string text;
    for (const int value : values)
        text += (text.empty() ? "" : ",") + std::to_string(value);
    SetText(key, text);
}

std::vector<std::string> TRememberedState::Texts(const std::string& key) const
{
    std::vector<std::string> values;
    const TNoxPigger* element = Element();
    const TNoxPigger* list = element ? element->FindChild(key) : nullptr;
    if (!list)
        return values;
    for (int i = 0; i < list->ChildCount(); ++i) {
        const std::string value = list->Child(i)->GetAttr(kItemValue);
        if (!value.empty())
            values.push_back(value);
    }
    return values;
}

void TRememberedState::SetTexts(const std::string& key, const std::vector<std::string>& values)
{
    TNoxPigger& element = MadeElement();
    TNoxPigger* list = element.FindChild(key);
    if (!list) {
        list = new TNoxPigger(&element);
        list->SetName(key);
    }
    while (list->ChildCount() > 0)
        delete list->Child(list->ChildCount() - 1);
    for (const std::string& value : values) {
        auto* item = new TNoxPigger(list);
        item->SetName(kListItem);
        item->SetAttr(kItemValue, value);
    }
}
