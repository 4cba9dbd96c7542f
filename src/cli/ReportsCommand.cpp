#include "ArgumentParser.h"
#include "Command.h"
#include "Confirmation.h"
#include "JsonWriter.h"

#include "ApplicationScope.h"
#include "InterruptWatcher.h"
#include "ProgramDirectory.h"
#include "ReportList.h"
#include "SendReports.h"
#include "ServerAddress.h"
#include "ServerExchange.h"
#include "TerminalText.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <ostream>

namespace vortalux::cli {

namespace {

void WriteJson(std::ostream& out, const ReportList& reports)
{
    JsonWriter json(out);
    json.BeginArray();
    for (const ReportEntry& entry : reports.Entries()) {
        json.BeginObject();
        json.Key("number").Number(entry.number);
        json.Key("rule").String(entry.ruleName);
        json.Key("url").String(entry.url);
        json.Key("sent").Bool(entry.sent);
        json.EndObject();
    }
    json.EndArray();
    json.Finish();
}

void WritePlain(std::ostream& out, const ReportList& reports)
{
    for (const ReportEntry& entry : reports.Entries())
        out << entry.number << (entry.sent ? "  sent    " : "  unsent  ") << TerminalText(entry.ruleName)
            << "  " << TerminalText(entry.url) << '\n';
    out << reports.Entries().size() << " reports, " << reports.Unsent().size() << " waiting to be sent\n";
}

// The listed reports the call names (every one with --all); nothing when a number is not listed.
std::optional<std::vector<ReportEntry>> Chosen(
    CommandContext& context, const ReportList& reports, const std::vector<std::string>& numbers, bool all)
{
    const std::vector<ReportEntry> listed = reports.Unsent();
    if (all)
        return listed;
    std::vector<ReportEntry> chosen;
    for (const std::string& text : numbers) {
        int number = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        const bool whole = error == std::errc() && end == text.data() + text.size();
        const auto found = std::find_if(listed.begin(), listed.end(),
            [&](const ReportEntry& entry) { return whole && entry.number == number; });
        if (found == listed.end()) {
            context.err << "vortalux reports: no report waiting to be sent has the number '"
                        << TerminalText(text) << "'\n";
            return std::nullopt;
        }
        chosen.push_back(*found);
    }
    return chosen;
}

int Delete(CommandContext& context, const ReportList& reports, const std::vector<std::string>& numbers,
    bool all, bool confirmed)
{
    const auto chosen = Chosen(context, reports, numbers, all);
    if (!chosen)
        return ExitFailure;
    if (chosen->empty()) {
        context.out << "no reports to delete\n";
        return ExitOk;
    }
    const size_t n = chosen->size();
    const std::string question = "Are you sure you want to delete "
        + (n == 1 ? std::string("the report") : "thoose " + std::to_string(n) + " reports")
        + " without sending " + (n == 1 ? "it" : "them") + " ?";
    switch (Confirm(context, question, confirmed)) {
    case Confirmation::Given:
        break;
    case Confirmation::NobodyToAsk:
        context.err
            << "vortalux reports: deleting reports needs a confirmation; give --yes when no one is at a "
               "terminal\n";
        return ExitFailure;
    case Confirmation::Refused:
        context.err << "vortalux reports: nothing was deleted\n";
        return ExitFailure;
    }
    int code = ExitOk;
    for (const ReportEntry& entry : *chosen) {
        const std::error_code error = ReportList::Delete(ProgramDirectory(), entry.number);
        if (error) {
            context.err << "vortalux reports: report " << entry.number
                        << " was not deleted: " << error.message() << '\n';
            code = ExitFailure;
            continue;
        }
        context.out << "deleted report " << entry.number << '\n';
    }
    return code;
}

int Send(
    CommandContext& context, const ReportList& reports, const std::vector<std::string>& numbers, bool all)
{
    const auto named = Chosen(context, reports, numbers, all);
    if (!named)
        return ExitFailure;
    // In list order, as the panel sends its selected lines, each report once.
    std::vector<ReportEntry> chosen;
    for (const ReportEntry& entry : reports.Unsent())
        if (std::any_of(named->begin(), named->end(),
                [&](const ReportEntry& asked) { return asked.number == entry.number; }))
            chosen.push_back(entry);
    if (chosen.empty()) {
        context.out << "no reports to send\n";
        return ExitOk;
    }
    const std::string url = ServerUrl();
    std::string why;
    if (!ServerAddress::FromUrl(url, why)) {
        context.err << "vortalux reports: " << TerminalText(why) << '\n';
        return ExitFailure;
    }

    const ApplicationScope application(ApplicationScope::Kind::Console);
    ServerExchange exchange(url);
    // Ctrl-C ends the wait as the panel's Cancel does: the reports not yet sent stay unsent.
    const InterruptWatcher interrupt([&exchange] { exchange.Cancel(); });
    const SendReportsResult result = SendReports(exchange, ProgramDirectory(), chosen);
    for (const ReportSendStatus& status : result.reports)
        if (status.outcome != ReportSendOutcome::Sent)
            context.err << "vortalux reports: report " << status.number
                        << " was not sent: " << TerminalText(status.reason) << '\n';
    context.out << "[VTL] " << result.sentCount << " reports succesfully sent\n";
    return result.sentCount == static_cast<int>(chosen.size()) ? ExitOk : ExitFailure;
}

int RunReports(CommandContext& context)
{
    ArgumentParser parser;
    parser.Flag("--json").Flag("--all").Flag("--yes");
    if (!parser.Parse(context.args))
        return UsageError(context, ReportsCommand, parser.Error());
    const auto& positionals = parser.Positionals();
    ReportList reports;
    reports.LoadReports(ProgramDirectory());
    if (!positionals.empty()) {
        const std::vector<std::string> numbers(positionals.begin() + 1, positionals.end());
        if (positionals[0] == "send") {
            if (parser.Has("--json") || parser.Has("--yes") || numbers.empty() == !parser.Has("--all"))
                return UsageError(context, ReportsCommand, "send takes NUMBER... or --all");
            return Send(context, reports, numbers, parser.Has("--all"));
        }
        if (positionals[0] != "delete")
            return UsageError(context, ReportsCommand, "unknown action '" + positionals[0] + "'");
        if (parser.Has("--json") || numbers.empty() == !parser.Has("--all"))
            return UsageError(context, ReportsCommand, "delete takes NUMBER... or --all");
        return Delete(context, reports, numbers, parser.Has("--all"), parser.Has("--yes"));
    }
    if (parser.Has("--all") || parser.Has("--yes"))
        return UsageError(context, ReportsCommand, "--all goes with send and delete, --yes with delete");
    if (parser.Has("--json"))
        WriteJson(context.out, reports);
    else
        WritePlain(context.out, reports);
    return ExitOk;
}

} // namespace

const Command ReportsCommand {"reports", "list, send or delete the failure reports",
    "usage: vortalux reports [--json]\n"
    "       vortalux reports send NUMBER...|--all\n"
    "       vortalux reports delete NUMBER...|--all [--yes]\n\n"
    "Lists the failure reports (N.vtr) rules left in the home folder when they could not convert\n"
    "a link, as vtl's Support panel loads them.\n\n"
    "  --json          [{number, rule, url, sent}]\n"
    "  send NUMBER     sends reports waiting to be sent (--all: every one) to the update server,\n"
    "                  one request each, in the list's order, and marks those it took (\"ok\") as\n"
    "                  sent; prints \"[VTL] N reports succesfully sent\" and why each other one\n"
    "                  was not; exits 1 when fewer were sent than asked or a number is not\n"
    "                  listed (then nothing is sent). Ctrl-C ends the wait. The server is\n"
    "                  $VORTALUX_SERVER_URL, else the address the program was built with.\n"
    "  delete NUMBER   removes reports waiting to be sent (--all: every one); asks first on a\n"
    "                  terminal, needs --yes otherwise\n",
    RunReports, HomeFolder::Needed};

} // namespace vortalux::cli
