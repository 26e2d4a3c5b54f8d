#include "cli/Cli.h"
#include "platform/SystemInfo.h"

#include <iostream>

int main(int argc, char** argv)
{
    bm::platform::KeepFreedMemoryForReuse();
    std::vector<std::string> words(argv + 1, argv + argc);
    return bm::cli::Main(words, std::cout, std::cerr);
}
