#include "CommandLine.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    vortalux::cli::CommandLine commandLine(std::cin, std::cout, std::cerr);
    const int code = commandLine.Run(std::vector<std::string>(argv + 1, argv + argc));
    std::cout.flush();
    return code;
}
