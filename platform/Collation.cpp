#include "platform/Collation.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <unicode/ucol.h>
#include <unicode/uiter.h>

namespace platform {

struct TNameCollator::TState {
    UCollator* Collator = nullptr;
    ~TState()
    {
        if (Collator)
            ucol_close(Collator);
    }
};

namespace {

// "de_DE.UTF-8@euro" names the locale "de_DE"; "" when it names the C or POSIX locale.
std::string IcuLocaleName(const std::string& name)
{
    std::string locale = name.substr(0, name.find_first_of(".@"));
    return locale == "C" || locale == "POSIX" ? std::string() : locale;
}

std::string CollationLocaleOfEnvironment()
{
    for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"})
        if (const char* value = std::getenv(variable); value && *value)
            return value;
    return {};
}

int32_t Length(std::string_view text)
{
    return static_cast<int32_t>(std::min<std::size_t>(text.size(), std::numeric_limits<int32_t>::max()));
}

} // namespace

std::unique_ptr<TNameCollator> TNameCollator::ForUserLocale()
{
    return ForLocale(CollationLocaleOfEnvironment());
}

std::unique_ptr<TNameCollator> TNameCollator::ForLocale(const std::string& name)
{
    const std::string locale = IcuLocaleName(name);
    if (locale.empty())
        return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    auto state = std::make_unique<TState>();
    state->Collator = ucol_open(locale.c_str(), &status);
    // A locale the library does not know falls back to the root order, which is still better
    // than bytes; only a failure to open any leaves the program's own rule.
    if (U_FAILURE(status) || !state->Collator)
        return nullptr;
    ucol_setAttribute(state->Collator, UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
    ucol_setAttribute(state->Collator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
    if (U_FAILURE(status))
        return nullptr;
    return std::unique_ptr<TNameCollator>(new TNameCollator(std::move(state)));
}

TNameCollator::TNameCollator(std::unique_ptr<TState> state) : state_(std::move(state)) {}

TNameCollator::~TNameCollator() = default;

void TNameCollator::KeyStart(std::string_view text, unsigned char* key, std::size_t size) const
{
    std::memset(key, 0, size);
    UCharIterator characters;
    uiter_setUTF8(&characters, text.data(), Length(text));
    uint32_t position[2] = {0, 0};
    UErrorCode status = U_ZERO_ERROR;
    // Only as much of the key as fits is made: the rest of a long path costs nothing.
    ucol_nextSortKeyPart(state_->Collator, &characters, position, key, static_cast<int32_t>(size), &status);
    if (U_FAILURE(status))
        std::memset(key, 0, size);  // equal keys: Compare decides
}

int TNameCollator::Compare(std::string_view a, std::string_view b) const
{
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result = ucol_strcollUTF8(state_->Collator, a.data(), Length(a), b.data(), Length(b), &status);
    if (U_FAILURE(status))
        return a.compare(b);
    return result == UCOL_LESS ? -1 : (result == UCOL_GREATER ? 1 : 0);
}

} // namespace platform
