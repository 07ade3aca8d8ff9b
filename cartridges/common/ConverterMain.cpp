#include "ConverterMain.h"

#include <cerrno>
#include <exception>
#include <unistd.h>

#include "TextCache.h"

int ConverterMain(int argc, char** argv, std::string (*convert)(const std::string& path))
{
    if (argc != 2)
        return 2;
    try {
        return WriteAll(STDOUT_FILENO, convert(argv[1])) ? 0 : 1;
    } catch (...) {
        // Out of memory under the limit lands here as well as a damaged document.
        return 1;
    }
}
