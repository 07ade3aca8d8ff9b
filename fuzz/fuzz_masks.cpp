// Compiles the first part of the input as a mask and matches the rest against it: whatever the
// bytes, compiling answers a mask or its error, and matching never crashes, reads beyond the name
// or hangs (30 '*' groups against a long name included).
#include "krellers/Masks.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // A NUL byte parts mask and name; without one the input is both.
    const std::size_t split = input.find('\0');
    const std::string_view mask = input.substr(0, split);
    const std::string_view name = split == std::string_view::npos ? input : input.substr(split + 1);
    try {
        const TMask compiled(mask);
        (void)compiled.Matches(name);
    } catch (const EInvalidMask&) {
        // A malformed mask is an answer, not a finding.
    }
    return 0;
}
