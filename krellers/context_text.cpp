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

TLanes Splat(char c)
{
    TLanes lanes;
    for (std::size_t i = 0; i < kLanes; ++i)
        lanes[i] = static_cast<signed char>(c);
    return lanes;
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

// The filter compares the keyword's first and last bytes with kLanes candidate starts at once,
// and hands the starts where both agree to sameRest. A keyword byte k matches a text byte equal
// to k or to other(k). Whether the keyword occurs; nothing when the filter gives up, 'at' telling
// where it stopped.
template <typename TOther, typename TSameRest>
std::optional<bool> FilterSearch(std::string_view text, std::string_view keyword, TOther other, TSameRest sameRest, std::size_t& at)
{
    const std::size_t last = keyword.size() - 1;
    const std::size_t starts = text.size() - last;  // candidate starts are 0 .. starts-1
    const TLanes first = Splat(keyword.front()), firstOther = Splat(other(keyword.front()));
    const TLanes final = Splat(keyword.back()), finalOther = Splat(other(keyword.back()));
    std::size_t falseCandidates = 0;
    for (at = 0; at + kLanes <= starts; at += kLanes) {
        const TLanes head = Load(text.data() + at), tail = Load(text.data() + at + last);
        const TLanes hits = ((head == first) | (head == firstOther)) & ((tail == final) | (tail == finalOther));
        std::uint64_t words[kWords];
        ToWords(hits, words);
        for (std::size_t w = 0; w < kWords; ++w) {
            if (words[w] == 0)
                continue;
            for (std::size_t lane = w * sizeof words[w]; lane < (w + 1) * sizeof words[w]; ++lane) {
                if (hits[lane] == 0)
                    continue;
                if (sameRest(text.data() + at + lane + 1))
                    return true;
                ++falseCandidates;
            }
        }
        if (falseCandidates > 16 + at / kBytesPerFalseCandidate) {
            at += kLanes;
            return std::nullopt;
        }
    }
    // The last few starts, fewer than the lanes.
    for (; at < starts; ++at) {
        const char head = text[at], tail = text[at + last];
        if ((head == keyword.front() || head == other(keyword.front())) && (tail == keyword.back() || tail == other(keyword.back())) &&
            sameRest(text.data() + at + 1))
            return true;
    }
    return false;
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
    const auto itself = [](char c) { return c; };
    const auto sameRest = [&keyword](const char* at) { return std::memcmp(at, keyword.data() + 1, keyword.size() - 2) == 0; };
    std::size_t stop = 0;
    if (const std::optional<bool> found = FilterSearch(text, keyword, itself, sameRest, stop))
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
    const auto sameRest = [&keyword](const char* at) {
        for (std::size_t i = 1; i + 1 < keyword.size(); ++i, ++at)
            if (AsciiUpper(*at) != keyword[i])
                return false;
        return true;
    };
    std::size_t stop = 0;
    return FilterSearch(text, keyword, AsciiLower, sameRest, stop);  // nothing where the filter gave up
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
