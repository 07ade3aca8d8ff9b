// Fuzz target: the PDF converter on arbitrary bytes must end without a fault, with a text or a refusal.
#include "cartridges/common/TextSink.h"
#include "cartridges/pdf/PdfText.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        PdfTextOfData(reinterpret_cast<const char*>(data), size);
    } catch (const EConversion&) {
    }
    return 0;
}
