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

    // `args` without the program's own name. Returns the exit code: a command that could not
    // write its output fails, with a message.
    int Run(const std::vector<std::string>& args);

    static std::span<const Command* const> Commands();

private:
    void PrintHelp() const;
    // `who` becomes "vortalux COMMAND" once the command is known.
    int RunCommand(const std::vector<std::string>& args, std::ostream& err, std::string& who);

    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
};

} // namespace vortalux::cli
