#pragma once

#include "Command.h"

#include <iosfwd>
#include <span>
#include <string>
#include <vector>

namespace vortalux::cli {

// The `vortalux` program: global options, then one command.
class CommandLine {
public:
    CommandLine(std::istream& in, std::ostream& out, std::ostream& err);

    // `args` without the program's own name. Returns the exit code.
    int Run(const std::vector<std::string>& args);

    static std::span<const Command* const> Commands();

private:
    void PrintHelp() const;
    int RunCommand(const std::vector<std::string>& args, std::ostream& err);

    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
};

} // namespace vortalux::cli
