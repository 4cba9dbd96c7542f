#include "Command.h"
#include "ScriptEnvironment.h"

#include "ApplicationScope.h"
#include "Coercion.h"
#include "ScriptHandOff.h"
#include "ScriptHost.h"
#include "TerminalText.h"

#include <fstream>
#include <iterator>
#include <ostream>

namespace vortalux::cli {

namespace {

void PrintError(CommandContext& context, const std::string& file, const script::ScriptErrorInfo& error)
{
    context.err << TerminalText(file) << '(' << error.line << ", " << error.column << ") error "
                << error.number << ": " << TerminalText(error.description) << '\n';
}

int RunScript(CommandContext& context)
{
    std::vector<std::string> args = context.args;
    if (!args.empty() && args.front() == "--")
        args.erase(args.begin());
    if (args.empty())
        return UsageError(context, ScriptCommand, "needs a FILE");
    const std::string& file = args.front();
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        context.err << "vortalux script: cannot read " << TerminalText(file) << '\n';
        return ExitFailure;
    }
    const std::string code((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());

    // The HTTP objects of scripts wait in Qt event loops.
    const ApplicationScope application(ApplicationScope::Kind::Console);
    script::ScriptHost host;
    RegisterScriptObjects(host);
    host.SetTimeLimit(ScriptHandOff::TimeLimit);
    if (!host.AddCode(code)) {
        PrintError(context, file, host.Error());
        return ExitFailure;
    }
    if (args.size() < 2)
        return ExitOk;
    std::vector<script::Variant> procedureArgs;
    for (size_t i = 2; i < args.size(); ++i)
        procedureArgs.push_back(script::Variant::FromString(args[i]));
    script::Variant result;
    if (!host.Run(args[1], procedureArgs, &result)) {
        PrintError(context, file, host.Error());
        return ExitFailure;
    }
    if (!result.IsEmpty())
        context.out << TerminalText(script::ToString(result)) << '\n';
    return ExitOk;
}

} // namespace

const Command ScriptCommand {"script", "run a VBScript file, as definitions run",
    "usage: vortalux script FILE [PROCEDURE [ARG ...]]\n\n"
    "Runs the global statements of the VBScript FILE, then PROCEDURE (a Sub or Function) with the\n"
    "ARGs as texts, with the objects and the 10 s time limit of a definition. A Function's value\n"
    "is printed. Errors are printed as \"FILE(line, column) error N: description\" and make the\n"
    "command fail. For writing and trying download-manager definitions.\n",
    RunScript};

} // namespace vortalux::cli
