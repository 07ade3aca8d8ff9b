// Evaluates arbitrary text: whatever it holds, the evaluator answers a value or raises one of its
// errors; it never crashes, overflows the stack or trips a sanitizer.
#include "conditions/ParsFunc.h"
#include "conditions/Parser.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string_view>

namespace {

bool FakeExists(int count, ExprValue* args, ExprValue& result)
{
    if (count != 1)
        return false;
    constexpr std::string_view fileText = "INVOICE 2024 COPY TOTAL";
    result.SetBoolean(args[0].type == vtString && !args[0].text.empty() && fileText.find(args[0].text) != std::string_view::npos);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool registered = (RegisterFunction("EXISTS", FakeExists), true);
    (void)registered;
    static TExprParser parser;
    try {
        parser.Evaluate(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const std::exception&) {
        // Every error of the text is an exception with its message; only a crash is a finding.
    }
    return 0;
}
