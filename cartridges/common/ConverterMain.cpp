#include "ConverterMain.h"

#include <cerrno>
#include <exception>
#include <unistd.h>

namespace {

bool WriteAll(const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

int ConverterMain(int argc, char** argv, std::string (*convert)(const std::string& path))
{
    if (argc != 2)
        return 2;
    try {
        return WriteAll(convert(argv[1])) ? 0 : 1;
    } catch (...) {
        // Out of memory under the limit lands here as well as a damaged document.
        return 1;
    }
}
