#include "krellers/Masks.h"

#include "platform/Text.h"

#include <cstring>

namespace {

using TState = TMask::TState;
using TKind = TMask::TKind;

constexpr int kMaxSkipGroups = 30;
constexpr std::size_t kRefused = std::string_view::npos;

unsigned char ByteAt(std::string_view text, std::size_t pos)
{
    return static_cast<unsigned char>(text[pos]);
}

unsigned char UpperAscii(unsigned char byte)
{
    return (byte >= 'a' && byte <= 'z') ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
}

// Bytes of the character at pos (pos inside text); ASCII, the common case, needs no decoding.
std::size_t CharLengthAt(std::string_view text, std::size_t pos)
{
    return ByteAt(text, pos) < 0x80 ? 1 : platform::Utf8CharLength(text.substr(pos));
}

// Reads a mask from the left into states. Positions in errors count characters, as the user sees
// the mask, not bytes.
class TMaskCompiler {
public:
    explicit TMaskCompiler(std::string_view typed)
        : typed_(typed)
        , mask_(platform::UpperCaseLocale(typed))  // keeps every character's length and place
    {
    }

    std::vector<TState> Compile()
    {
        while (pos_ < mask_.size()) {
            const char c = mask_[pos_];
            if (c == '*') {
                skipPending_ = true;
                ++pos_;
            } else if (c == '?') {
                // "*?" is the same as "*": the '?' after a '*' is dropped.
                if (!skipPending_)
                    Add(State(TKind::AnyChar), pos_);
                ++pos_;
            } else if (c == '[') {
                const std::size_t start = pos_;
                Add(ReadSet(), start);
            } else {
                AddLiteral();
            }
        }
        Add(State(TKind::EndOfName), mask_.size());
        return std::move(states_);
    }

private:
    static TState State(TKind kind)
    {
        TState state;
        state.Kind = kind;
        return state;
    }

    [[noreturn]] void Fail(std::size_t bytePosition) const
    {
        std::size_t characters = 0;
        for (std::size_t i = 0; i < bytePosition; i += CharLengthAt(mask_, i))
            ++characters;
        throw EInvalidMask("'" + std::string(typed_) + "' is an invalid mask at (" + std::to_string(characters + 1) + ")");
    }

    void Add(TState state, std::size_t at)
    {
        state.SkipTo = skipPending_;
        skipPending_ = false;
        if (state.SkipTo && ++skipGroups_ > kMaxSkipGroups)
            Fail(at);
        states_.push_back(state);
    }

    void AddLiteral()
    {
        const std::size_t length = CharLengthAt(mask_, pos_);
        TState state = State(length > 1 ? TKind::MultiByteLiteral : TKind::Literal);
        state.Length = static_cast<std::uint8_t>(length);
        std::memcpy(state.Bytes, mask_.data() + pos_, length);
        Add(state, pos_);
        pos_ += length;
    }

    // From '[' to past its ']'. Multi-byte characters are passed over: they are never members.
    TState ReadSet()
    {
        TState set = State(TKind::Set);
        ++pos_;
        if (pos_ < mask_.size() && mask_[pos_] == '!') {
            set.Negate = true;
            ++pos_;
        }
        int previous = -1;  // the start of a range: the last single member added
        for (;;) {
            if (pos_ >= mask_.size())
                Fail(mask_.size());
            const unsigned char c = ByteAt(mask_, pos_);
            if (c == ']') {
                if (set.Members.none())
                    Fail(pos_);
                ++pos_;
                return set;
            }
            const std::size_t length = CharLengthAt(mask_, pos_);
            if (length > 1) {
                pos_ += length;
            } else if (c == '-') {
                if (previous < 0)
                    Fail(pos_);
                ReadRangeEnd(set, static_cast<unsigned char>(previous));
            } else {
                set.Members.set(c);
                previous = c;
                ++pos_;
            }
        }
    }

    // After '-': every byte from first up to the next character, which may be ']' itself; a range
    // that runs backwards adds nothing. The range's start stays, so "a-c-e" holds A to E.
    void ReadRangeEnd(TState& set, unsigned char first)
    {
        ++pos_;
        if (pos_ >= mask_.size())
            Fail(mask_.size());
        const std::size_t length = CharLengthAt(mask_, pos_);
        if (length == 1)
            for (unsigned last = ByteAt(mask_, pos_), c = first; c <= last; ++c)
                set.Members.set(c);
        pos_ += length;
    }

    std::string_view typed_;
    std::string mask_;
    std::size_t pos_ = 0;
    bool skipPending_ = false;
    int skipGroups_ = 0;
    std::vector<TState> states_;
};

// Bytes of the one character at pos that state takes, or kRefused. The end of the name is taken,
// with no bytes, by the final state only; nothing is ever read beyond the end.
std::size_t AcceptedLength(const TState& state, std::string_view name, std::size_t pos)
{
    if (pos == name.size())
        return state.Kind == TKind::EndOfName ? 0 : kRefused;
    const std::size_t length = CharLengthAt(name, pos);
    const unsigned char byte = UpperAscii(ByteAt(name, pos));
    switch (state.Kind) {
    case TKind::Literal:
        return length == 1 && byte == state.Bytes[0] ? 1 : kRefused;
    case TKind::AnyChar:
        return length;
    case TKind::Set:
        return ((length == 1 && state.Members.test(byte)) != state.Negate) ? length : kRefused;
    case TKind::MultiByteLiteral:
        return length == state.Length && std::memcmp(name.data() + pos, state.Bytes, length) == 0 ? length : kRefused;
    case TKind::EndOfName:
        break;
    }
    return kRefused;
}

// The first position from pos on whose character state takes, or kRefused.
std::size_t FirstAccepted(const TState& state, std::string_view name, std::size_t pos)
{
    for (;; pos += CharLengthAt(name, pos)) {
        if (AcceptedLength(state, name, pos) != kRefused)
            return pos;
        if (pos == name.size())
            return kRefused;
    }
}

} // namespace

TMask::TMask(std::string_view mask)
    : states_(TMaskCompiler(mask).Compile())
{
}

bool TMask::Matches(std::string_view name) const
{
    // Every state other than a '*' takes exactly one character, so when a run after a '*' fails
    // only the latest '*' needs to take one more character: giving an earlier '*' more cannot
    // succeed where the latest one failed. That keeps matching linear in the name per state, even
    // with 30 '*' groups, and finds a match exactly when one exists.
    std::size_t state = 0;
    std::size_t pos = 0;
    bool canRetry = false;
    std::size_t retryState = 0;
    std::size_t retryPos = 0;
    while (state < states_.size()) {
        const TState& current = states_[state];
        if (current.SkipTo) {
            pos = FirstAccepted(current, name, pos);
            if (pos == kRefused)
                return false;
            canRetry = pos < name.size();
            if (canRetry) {
                retryState = state;
                retryPos = pos + CharLengthAt(name, pos);
            }
        }
        const std::size_t taken = AcceptedLength(current, name, pos);
        if (taken != kRefused) {
            pos += taken;
            ++state;
        } else if (canRetry) {
            state = retryState;
            pos = retryPos;
        } else {
            return false;
        }
    }
    return true;
}

bool MatchesMask(std::string_view name, std::string_view mask)
{
    return TMask(mask).Matches(name);
}
