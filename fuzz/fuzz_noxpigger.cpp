// Any text given to the tagged document reader: no crash, no hang, an error position inside the
// text, and a tree that was read once is written as a text that reads back as the same tree.
#include "tagged/NoxPigger.h"
#include "tagged/NoxUtils.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

[[noreturn]] void Broken(const char* what, const std::string& input)
{
    std::fprintf(stderr, "fuzz_noxpigger: %s (input of %zu bytes)\n", what, input.size());
    std::abort();
}

// Elements without a name are not written, so the reread tree lacks them; apart from that the
// trees must agree in every name, attribute and text.
bool SameWrittenTree(const TNoxPigger& read, const TNoxPigger& reread)
{
    if (read.Name().empty())
        return reread.Name().empty() && reread.ChildCount() == 0 && reread.AttrNames().empty() && reread.Text().empty();
    if (read.Name() != reread.Name() || read.Text() != reread.Text() || read.AttrNames() != reread.AttrNames() ||
        read.AttrValues() != reread.AttrValues())
        return false;
    int next = 0;
    for (int i = 0; i < read.ChildCount(); ++i) {
        const TNoxPigger* child = read.Child(i);
        if (child->Name().empty())
            continue;
        if (!SameWrittenTree(*child, *reread.Child(next)))
            return false;
        ++next;
    }
    return next == reread.ChildCount();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);

    if (UnescapeText(EscapeText(input)) != input || UnescapeText(EscapeContentText(input)) != input)
        Broken("escaping does not round-trip", input);

    TNoxPigger read;
    try {
        read.SetAsText(input);
    } catch (const ENoxPiggerError& error) {
        if (error.Position() < 1 || error.Position() > size + 1)
            Broken("error position outside the text", input);
        return 0;
    }

    const std::string written = read.GetAsText();
    TNoxPigger reread;
    try {
        reread.SetAsText(written);
    } catch (const ENoxPiggerError&) {
        Broken("written text does not read back", input);
    }
    if (!SameWrittenTree(read, reread))
        Broken("written text reads back as another tree", input);
    // The reread tree holds only written elements, so from here on writing is a fixed point.
    const std::string rewritten = reread.GetAsText();
    TNoxPigger third;
    third.SetAsText(rewritten);
    if (third.GetAsText() != rewritten)
        Broken("writing is not stable", input);
    return 0;
}
