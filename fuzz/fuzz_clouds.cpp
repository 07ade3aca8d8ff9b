// Any text loaded as a stored clouds diagram: no crash, no hang, and a diagram that loaded is
// written as a text that loads to the same diagram, with the same expression.
#include "conditions/CloudDiagram.h"
#include "conditions/ParsGlob.h"
#include "tagged/NoxPigger.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

[[noreturn]] void Broken(const char* what, const std::string& input)
{
    std::fprintf(stderr, "fuzz_clouds: %s (input of %zu bytes)\n", what, input.size());
    std::abort();
}

bool SameDiagram(const TCloudDiagram& a, const TCloudDiagram& b)
{
    if (a.CloudCount() != b.CloudCount() || a.PinCount() != b.PinCount())
        return false;
    for (int i = 0; i < a.CloudCount(); ++i)
        if (!(*a.CloudAt(i) == *b.CloudAt(i)))
            return false;
    for (int i = 0; i < a.PinCount(); ++i)
        if (!(*a.PinAt(i) == *b.PinAt(i)))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    TCloudDiagram diagram;
    bool loaded = true;
    try {
        diagram.LoadClouds(input);
    } catch (const ENoxPiggerError&) {
        loaded = false;
    } catch (const EConvertError&) {
        loaded = false;
    }
    if (!diagram.Active() || !diagram.AutoPin())
        Broken("loading left the diagram inactive or without AutoPin", input);
    const std::string saved = diagram.SaveClouds();
    if (!loaded) {
        diagram.BuildExpression();
        return 0;
    }

    TCloudDiagram reloaded;
    try {
        reloaded.LoadClouds(saved);
    } catch (const std::exception&) {
        Broken("a saved diagram does not load", input);
    }
    if (!SameDiagram(diagram, reloaded))
        Broken("a saved diagram loads as another diagram", input);
    if (diagram.BuildExpression() != reloaded.BuildExpression())
        Broken("a reloaded diagram gives another expression", input);
    return 0;
}
