#include "CommandLine.h"

#include "FileDescriptorBuffer.h"
#include "TerminalTextBuffer.h"

#include "ProgramDirectory.h"
#include "TerminalText.h"

#include <array>
#include <cstring>
#include <iomanip>
#include <ostream>

namespace vortalux::cli {

namespace {

constexpr std::array KnownCommands = {&AddUrlCommand, &AddUrlListCommand, &HandOffCommand, &ConvertCommand,
    &FetchCommand, &RulesCommand, &RuleCommand, &ManagersCommand, &ReportsCommand, &PatternCommand,
    &ScriptCommand, &UpdateCommand, &BrowserCommand, &VersionCommand};

const Command* FindCommand(std::string_view name)
{
    for (const Command* command : KnownCommands) {
        if (command->name == name)
            return command;
    }
    return nullptr;
}

bool IsHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }

} // namespace

int UsageError(CommandContext& context, const Command& command, std::string_view message)
{
    const std::string_view help = command.help;
    context.err << "vortalux " << command.name << ": " << TerminalText(message) << '\n'
                << help.substr(0, help.find('\n')) << '\n';
    return ExitUsage;
}

CommandLine::CommandLine(std::istream& in, std::ostream& out, std::ostream& err)
    : m_in(in)
    , m_out(out)
    , m_err(err)
{
}

std::span<const Command* const> CommandLine::Commands() { return KnownCommands; }

void CommandLine::PrintHelp() const
{
    m_out << "usage: vortalux [--home DIR] COMMAND [ARGS]\n\n"
             "Turns links to thumbnails and picture-hosting pages into the addresses of the full-size\n"
             "pictures and hands them to your download manager.\n\n"
             "  --home DIR   the folder holding Rules, Managers and the failure reports\n"
             "               (default: $VORTALUX_HOME, else the program's own folder)\n\n"
             "commands:\n";
    for (const Command* command : KnownCommands)
        m_out << "  " << std::left << std::setw(14) << command->name << command->summary << '\n';
    m_out << "\n'vortalux COMMAND --help' describes a command.\n";
}

int CommandLine::Run(const std::vector<std::string>& args)
{
    // Messages quote links, names and scripts' errors: only printable text reaches the terminal.
    TerminalTextBuffer errorBuffer(m_err);
    std::ostream err(&errorBuffer);
    std::string who = "vortalux";
    int code = RunCommand(args, err, who);

    // An output that could not be written is a failure, whatever the command thought.
    m_out.flush();
    if (m_out.fail()) {
        err << who << ": cannot write the output";
        const auto* file = dynamic_cast<const FileDescriptorBuffer*>(m_out.rdbuf());
        if (file != nullptr && file->Error() != 0)
            err << ": " << std::strerror(file->Error());
        err << '\n';
        if (code == ExitOk)
            code = ExitFailure;
    }
    err.flush();
    return code;
}

int CommandLine::RunCommand(const std::vector<std::string>& args, std::ostream& err, std::string& who)
{
    size_t next = 0;
    while (next < args.size() && args[next].size() > 1 && args[next][0] == '-') {
        const std::string& option = args[next];
        if (IsHelp(option)) {
            PrintHelp();
            return ExitOk;
        }
        if (option == "--version")
            return RunCommand({"version"}, err, who);
        if (option == "--home" && next + 1 < args.size()) {
            SetProgramDirectory(args[next + 1]);
            next += 2;
        } else if (option.rfind("--home=", 0) == 0) {
            SetProgramDirectory(option.substr(7));
            next += 1;
        } else {
            err << "vortalux: unknown option " << TerminalText(option)
                << "\nusage: vortalux [--home DIR] COMMAND [ARGS]\n";
            return ExitUsage;
        }
    }
    if (next == args.size()) {
        PrintHelp();
        return ExitUsage;
    }

    std::string name = args[next++];
    std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(next), args.end());
    if (name == "help") {
        if (rest.empty()) {
            PrintHelp();
            return ExitOk;
        }
        name = rest.front();
        rest = {"--help"};
    }
    const Command* command = FindCommand(name);
    if (command == nullptr) {
        err << "vortalux: unknown command '" << TerminalText(name) << "' (see 'vortalux --help')\n";
        return ExitUsage;
    }
    who = "vortalux " + std::string(command->name);
    for (const std::string& arg : rest) {
        if (arg == "--")
            break;
        if (IsHelp(arg)) {
            m_out << command->help;
            return ExitOk;
        }
    }
    if (command->homeFolder == HomeFolder::Needed) {
        // A folder that is not there is a mistake, not an empty home: say so instead of
        // answering "0 rules".
        std::error_code ec;
        const std::filesystem::path home = ProgramDirectory();
        if (!std::filesystem::is_directory(home, ec)) {
            err << who << ": the home folder " << TerminalText(home.string()) << " does not exist\n";
            return ExitFailure;
        }
    }
    CommandContext context {std::move(rest), m_in, m_out, err};
    return command->run(context);
}

} // namespace vortalux::cli
