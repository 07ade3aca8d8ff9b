#include "PdfText.h"

#include "cartridges/common/TextSink.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

namespace {

// The library reports every oddity of a damaged document on its own; the outcome is what counts.
void Silence()
{
    static const bool silenced = [] {
        poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr);
        return true;
    }();
    (void)silenced;
}

// The text of every page into sink; false when the sink filled up before the last page.
bool TextOf(std::unique_ptr<poppler::document> document, TextSink& sink)
{
    if (!document || document->is_locked())
        throw EConversion("The PDF document cannot be opened.");
    const int pages = document->pages();
    for (int index = 0; index < pages && !sink.Full(); ++index) {
        const std::unique_ptr<poppler::page> page(document->create_page(index));
        if (!page)
            continue;
        const poppler::byte_array utf8 =
            page->text(poppler::rectf(), poppler::page::non_raw_non_physical_layout).to_utf8();
        std::string text(utf8.data(), utf8.size());
        // Pages end in a form feed; lines are what a search needs.
        std::replace(text.begin(), text.end(), '\f', '\n');
        sink.EnsureLineBreak();
        sink.Append(text);
    }
    return !sink.Full();
}

} // namespace

bool PdfTextOfFile(const std::string& path, TextSink& sink)
{
    Silence();
    return TextOf(std::unique_ptr<poppler::document>(poppler::document::load_from_file(path)), sink);
}

std::string PdfTextOfData(const char* data, std::size_t size)
{
    Silence();
    if (size > static_cast<std::size_t>(INT_MAX))
        throw EConversion("The PDF document is too large.");
    TextSink sink;
    TextOf(std::unique_ptr<poppler::document>(poppler::document::load_from_raw_data(data, static_cast<int>(size))), sink);
    return sink.Take();
}
