// Fuzz target: the office document converter on arbitrary bytes must end without a fault, with a
// text or a refusal.
#include "cartridges/common/TextSink.h"
#include "cartridges/office/OfficeText.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        OfficeTextOfData(reinterpret_cast<const char*>(data), size);
    } catch (const EConversion&) {
    }
    return 0;
}
