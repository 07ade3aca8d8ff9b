// A stand-in converter for the tests of the child limits:
//   crtr_test_child echo TEXT   writes TEXT
//   crtr_test_child exit N      ends with status N
//   crtr_test_child hang        never ends
//   crtr_test_child grow        takes memory without end
//   crtr_test_child talk        writes without end
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "echo" && argc > 2)
        return ::write(STDOUT_FILENO, argv[2], std::strlen(argv[2])) < 0;
    if (mode == "exit" && argc > 2)
        return std::atoi(argv[2]);
    if (mode == "hang")
        for (;;)
            ::pause();
    if (mode == "grow") {
        std::vector<char*> blocks;
        for (;;) {
            char* block = static_cast<char*>(std::malloc(16 << 20));
            if (!block)
                return 3;
            std::memset(block, 1, 16 << 20);
            blocks.push_back(block);
        }
    }
    if (mode == "talk") {
        const std::string line(4096, 'x');
        for (;;)
            if (::write(STDOUT_FILENO, line.data(), line.size()) < 0)
                return 4;
    }
    return 2;
}
