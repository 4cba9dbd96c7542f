#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux::cli {

// What a command runs with: its arguments (after the command's name) and the streams it reads
// and writes, which tests replace.
struct CommandContext {
    std::vector<std::string> args;
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

// Exit codes of the command line.
enum ExitCode { ExitOk = 0, ExitFailure = 1, ExitUsage = 2 };

// Whether a command works on the home folder (Rules, Managers, reports); such a command fails
// when the folder is not there.
enum class HomeFolder { NotUsed, Needed };

struct Command {
    std::string_view name;
    std::string_view summary;
    // The whole help text of the command, starting with its usage line.
    std::string_view help;
    int (*run)(CommandContext& context);
    HomeFolder homeFolder = HomeFolder::NotUsed;
};

// The commands, each defined in its own file.
extern const Command VersionCommand;
extern const Command RulesCommand;
extern const Command RuleCommand;
extern const Command ManagersCommand;
extern const Command ReportsCommand;
extern const Command PatternCommand;
extern const Command FetchCommand;
extern const Command ConvertCommand;
extern const Command AddUrlCommand;
extern const Command AddUrlListCommand;
extern const Command HandOffCommand;
extern const Command ScriptCommand;
extern const Command UpdateCommand;
extern const Command BrowserCommand;

// Prints "vortalux COMMAND: message" and the usage line on the error stream; returns ExitUsage.
int UsageError(CommandContext& context, const Command& command, std::string_view message);

} // namespace vortalux::cli
