#include "ConverterMain.h"

#include "TextSink.h"

#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::uint64_t FileBytes(const char* path)
{
    struct stat st {};
    return ::stat(path, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

} // namespace

int ConverterMain(int argc, char** argv, Converter convert)
{
    if (argc != 2)
        return kWrongCall;
    TextSink sink(STDOUT_FILENO, GrowthLimit(FileBytes(argv[1])));
    try {
        const bool whole = convert(argv[1], sink);
        return sink.Flush() && whole ? kConvertedWhole : kConvertedInPart;
    } catch (const std::bad_alloc&) {
        // Out of memory under the limit: the text made so far is good as far as it goes.
        sink.Flush();
        return kConvertedInPart;
    } catch (...) {
        return kNotConverted;
    }
}
