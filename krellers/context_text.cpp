#include "krellers/context_text.h"

#include "platform/Text.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>

namespace {

// Generic vectors: the compiler maps them on the machine's vector registers (an SSE2 register
// on a plain x86-64 build), with no intrinsics of one instruction set in the code.
constexpr std::size_t kLanes = 16;
using TLanes = signed char __attribute__((vector_size(kLanes)));
constexpr std::size_t kWords = kLanes / sizeof(std::uint64_t);

TLanes Load(const char* at)
{
    TLanes lanes;
    std::memcpy(&lanes, at, kLanes);
    return lanes;
}

void Store(char* at, TLanes lanes)
{
    std::memcpy(at, &lanes, kLanes);
}

// The lanes as 64-bit words, to test many of them at once.
void ToWords(TLanes lanes, std::uint64_t (&words)[kWords])
{
    std::memcpy(words, &lanes, kLanes);
}

bool AllAscii(TLanes lanes)
{
    // As signed bytes, everything from 0x80 up is negative.
    std::uint64_t words[kWords];
    ToWords(lanes < 0, words);
    std::uint64_t any = 0;
    for (std::uint64_t word : words)
        any |= word;
    return any == 0;
}

// Bit i set when lane i holds a byte from 0x80 up.
std::uint32_t HighLanes(TLanes lanes)
{
    std::uint64_t words[kWords];
    ToWords(lanes, words);
    std::uint32_t bits = 0;
    for (std::size_t w = 0; w < kWords; ++w) {
        std::uint64_t word = words[w];
        if constexpr (std::endian::native == std::endian::big)
            word = __builtin_bswap64(word);  // lane 0 in the low byte
        // The top bit of every byte moved to the bottom, then all eight gathered into one byte.
        const std::uint64_t tops = (word >> 7) & 0x0101010101010101ULL;
        bits |= static_cast<std::uint32_t>((tops * 0x0102040810204080ULL) >> 56) << (w * 8);
    }
    return bits;
}

// a-z to A-Z. Bytes from 0x80 up are negative as signed bytes, so they stay as they are.
TLanes UpperCaseAsciiLanes(TLanes lanes)
{
    const TLanes lower = (lanes >= 'a') & (lanes <= 'z');
    return lanes ^ (lower & 0x20);
}

// A candidate start that the filter let through but that is no occurrence costs a comparison;
// once they come more often than one in this many bytes (a text like "AAAA..." searched for
// "AAB"), the filter gives up and a search that is linear whatever the text takes over.
constexpr std::size_t kBytesPerFalseCandidate = 8;

bool MemMem(std::string_view text, std::size_t from, std::string_view keyword)
{
    return from < text.size() && ::memmem(text.data() + from, text.size() - from, keyword.data(), keyword.size()) != nullptr;
}

char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// How often a byte turns up in ordinary text, from 0 (hardly ever) up; letters of either case
// by their letter. The filter compares the keyword's two rarest bytes, which let fewer false
// candidates through than its first and last (a keyword ending in "t" or "e" would stop the
// filter every few words).
unsigned Commonness(unsigned char byte)
{
    static constexpr const char* kLettersByFrequency = "zqjxkvbpgwyfmculdrhsnioate";  // rarest first
    if (byte == ' ')
        return 255;
    if (byte == '\n')
        return 200;
    const unsigned char letter = byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
    if (const char* at = std::strchr(kLettersByFrequency, letter); at && letter != 0)
        return 100 + 6 * static_cast<unsigned>(at - kLettersByFrequency);
    if (byte >= '0' && byte <= '9')
        return 140;
    if (byte == ',' || byte == '.' || byte == '-' || byte == '\t')
        return 160;
    if (byte >= 0x80)
        return 120;  // UTF-8: any letter beyond ASCII starts with one of a few bytes
    if (byte < 0x20)
        return 20;
    return 90;
}

// One byte of the keyword as the filter compares it: a text byte b matches when (b | Fold) equals
// Value, so a letter is found in either case with one comparison.
struct TProbe {
    std::size_t Offset = 0;
    char Fold = 0;
    char Value = 0;
};

TProbe ProbeOf(std::string_view keyword, std::size_t offset, bool caseBlind)
{
    const char byte = keyword[offset];
    const bool letter = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
    if (caseBlind && letter)
        return {offset, 0x20, static_cast<char>(byte | 0x20)};
    return {offset, 0, byte};
}

// The keyword's rarest byte and its rarest other one (another value when it has one).
std::pair<TProbe, TProbe> RarestProbes(std::string_view keyword, bool caseBlind)
{
    const auto rank = [&keyword](std::size_t i) { return Commonness(static_cast<unsigned char>(keyword[i])); };
    std::size_t first = 0;
    for (std::size_t i = 1; i < keyword.size(); ++i)
        if (rank(i) < rank(first))
            first = i;
    std::size_t second = first == 0 ? 1 : 0;
    for (std::size_t i = 0; i < keyword.size(); ++i) {
        if (i == first)
            continue;
        const bool otherValue = keyword[i] != keyword[first], secondOtherValue = keyword[second] != keyword[first];
        if ((otherValue && !secondOtherValue) || (otherValue == secondOtherValue && rank(i) < rank(second)))
            second = i;
    }
    return {ProbeOf(keyword, first, caseBlind), ProbeOf(keyword, second, caseBlind)};
}

constexpr std::size_t kWideLanes = 32;
using TWideLanes = signed char __attribute__((vector_size(kWideLanes)));

// The first candidate start in [from, starts) where both probes match; starts when there is none.
// Inlined into one copy per instruction set.
[[gnu::always_inline]] inline std::size_t NextCandidateIn(const char* text, std::size_t from, std::size_t starts, TProbe a, TProbe b)
{
    const TWideLanes foldA = static_cast<signed char>(a.Fold) - TWideLanes{}, valueA = static_cast<signed char>(a.Value) - TWideLanes{};
    const TWideLanes foldB = static_cast<signed char>(b.Fold) - TWideLanes{}, valueB = static_cast<signed char>(b.Value) - TWideLanes{};
    std::size_t at = from;
    for (; at + kWideLanes <= starts; at += kWideLanes) {
        TWideLanes atA, atB;  // loaded here, not by a function: a vector this wide is not returned
        std::memcpy(&atA, text + at + a.Offset, kWideLanes);
        std::memcpy(&atB, text + at + b.Offset, kWideLanes);
        const TWideLanes hits = ((atA | foldA) == valueA) & ((atB | foldB) == valueB);
        std::uint64_t words[kWideLanes / 8];
        std::memcpy(words, &hits, kWideLanes);
        if ((words[0] | words[1] | words[2] | words[3]) == 0)
            continue;
        for (std::size_t lane = 0; lane < kWideLanes; ++lane)
            if (hits[lane] != 0)
                return at + lane;
    }
    for (; at < starts; ++at)
        if ((text[at + a.Offset] | a.Fold) == a.Value && (text[at + b.Offset] | b.Fold) == b.Value)
            return at;
    return starts;
}

#if defined(__x86_64__) && defined(__GNUC__)
[[gnu::target("avx2")]] std::size_t NextCandidateAvx2(const char* text, std::size_t from, std::size_t starts, TProbe a, TProbe b)
{
    return NextCandidateIn(text, from, starts, a, b);
}
#endif

std::size_t NextCandidatePlain(const char* text, std::size_t from, std::size_t starts, TProbe a, TProbe b)
{
    return NextCandidateIn(text, from, starts, a, b);
}

// The widest vectors the processor has: a plain x86-64 build runs everywhere, and a machine with
// AVX2 compares twice the bytes an instruction.
std::size_t NextCandidate(const char* text, std::size_t from, std::size_t starts, TProbe a, TProbe b)
{
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2)
        return NextCandidateAvx2(text, from, starts, a, b);
#endif
    return NextCandidatePlain(text, from, starts, a, b);
}

// Candidate starts where the keyword's two rarest bytes match are handed to sameWhole. Whether
// the keyword occurs; nothing when the filter gives up, 'at' telling where it stopped.
template <typename TSameWhole>
std::optional<bool> FilterSearch(std::string_view text, std::string_view keyword, bool caseBlind, TSameWhole sameWhole, std::size_t& at)
{
    const auto [a, b] = RarestProbes(keyword, caseBlind);
    const std::size_t starts = text.size() - (keyword.size() - 1);  // candidate starts are 0 .. starts-1
    std::size_t falseCandidates = 0;
    for (at = 0;; ++at) {
        at = NextCandidate(text.data(), at, starts, a, b);
        if (at == starts)
            return false;
        if (sameWhole(text.data() + at))
            return true;
        if (++falseCandidates > 16 + at / kBytesPerFalseCandidate)
            return std::nullopt;
    }
}

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

std::size_t UpperCaseLocaleRange(char* text, std::size_t length, std::size_t from, std::size_t until)
{
    std::size_t at = from;
    while (until - at >= kLanes) {
        // The ASCII step leaves bytes from 0x80 up alone, so it may run over every lane.
        const TLanes lanes = Load(text + at);
        Store(text + at, UpperCaseAsciiLanes(lanes));
        if (AllAscii(lanes)) {
            at += kLanes;
            continue;
        }
        // Only the characters beyond ASCII are left. One may run on into the next lanes; its
        // continuation bytes are beyond ASCII too, so the next ASCII step leaves them alone.
        std::size_t next = at + kLanes;
        for (std::uint32_t high = HighLanes(lanes); high != 0;) {
            const auto lane = static_cast<std::size_t>(std::countr_zero(high));
            const std::size_t end = lane + platform::UpperCaseCharacterInPlace(text + at + lane, length - at - lane);
            next = std::max(next, at + end);
            high &= ~((std::uint32_t{1} << end) - 1);  // end is below 32: at most 15 + 4
        }
        at = next;
        if (at >= until)
            return at;
    }
    while (at < until)
        at += platform::UpperCaseCharacterInPlace(text + at, length - at);
    return at;
}

bool ContainsBytes(std::string_view text, std::string_view keyword)
{
    if (keyword.empty() || keyword.size() > text.size())
        return false;
    if (keyword.size() == 1)
        return std::memchr(text.data(), keyword[0], text.size()) != nullptr;
    const auto sameWhole = [&keyword](const char* at) { return std::memcmp(at, keyword.data(), keyword.size()) == 0; };
    std::size_t stop = 0;
    if (const std::optional<bool> found = FilterSearch(text, keyword, false, sameWhole, stop))
        return *found;
    return MemMem(text, stop, keyword);
}

std::optional<bool> ContainsInUpperCased(std::string_view text, std::string_view keyword)
{
    if (keyword.empty() || keyword.size() > text.size())
        return false;
    if (!IsAscii(keyword))
        return std::nullopt;
    // Upper-casing leaves no byte from a to z in the text, and maps no other byte onto ASCII.
    if (std::any_of(keyword.begin(), keyword.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
        return false;
    if (keyword.size() == 1)
        return std::memchr(text.data(), keyword[0], text.size()) || std::memchr(text.data(), AsciiLower(keyword[0]), text.size());
    const auto sameWhole = [&keyword](const char* at) {
        for (std::size_t i = 0; i < keyword.size(); ++i, ++at)
            if (AsciiUpper(*at) != keyword[i])
                return false;
        return true;
    };
    std::size_t stop = 0;
    return FilterSearch(text, keyword, true, sameWhole, stop);  // nothing where the filter gave up
}

std::string_view TContextText::RawView() const
{
    return adopted_ ? std::string_view(adoptedText_) : std::string_view(buffer_.get(), length_);
}

std::string_view TContextText::View() const
{
    if (!upperCased_) {
        if (upperCaser_) {
            upperCaser_();
        } else {
            auto* self = const_cast<TContextText*>(this);
            UpperCaseLocaleRange(self->Data(), length(), 0, length());
        }
        upperCased_ = true;
    }
    return RawView();
}

bool TContextText::Contains(std::string_view keyword) const
{
    if (!upperCased_)
        if (const std::optional<bool> found = ContainsInUpperCased(RawView(), keyword))
            return *found;
    return ContainsBytes(View(), keyword);
}

bool TContextText::Exists(int argumentCount, ExprValue* arguments, ExprValue& result) const
{
    if (argumentCount != 1)
        return false;
    const ExprValue& keyword = arguments[0];
    result.SetBoolean(keyword.type == vtString && Contains(keyword.text));
    return true;
}

char* TContextText::Reserve(std::size_t size)
{
    Clear();
    if (size > capacity_) {
        buffer_.reset();  // the old buffer goes before the new one comes: never two of them
        buffer_.reset(new char[size]);
        capacity_ = size;
    }
    return buffer_.get();
}

void TContextText::SetLength(std::size_t length)
{
    length_ = length <= capacity_ ? length : capacity_;
}

void TContextText::Adopt(std::string text)
{
    Clear();
    adoptedText_ = std::move(text);
    adopted_ = true;
}

void TContextText::Clear()
{
    length_ = 0;
    adopted_ = false;
    upperCased_ = false;
    std::string().swap(adoptedText_);
    if (capacity_ > kKeptCapacity) {
        buffer_.reset();
        capacity_ = 0;
    }
}
