#include "SendReports.h"

#include "ServerExchange.h"

#include <system_error>

namespace vortalux {

namespace fs = std::filesystem;

namespace {

// Enough of a refusal to tell an error page from a wrong word; the caller escapes it for show.
constexpr size_t QuotedReplyLimit = 64;

std::string RefusalReason(const std::string& reply)
{
    if (reply.empty())
        return "the server's answer was empty";
    std::string reason = "the server answered \"" + reply.substr(0, QuotedReplyLimit) + "\"";
    if (reply.size() > QuotedReplyLimit)
        reason += " (" + std::to_string(reply.size()) + " bytes)";
    return reason;
}

// Sends one report; `status` says what became of it.
ExchangeError SendOne(ServerExchange& exchange, const fs::path& programDirectory, const ReportEntry& entry,
    ReportSendStatus& status)
{
    std::error_code error;
    if (!fs::is_regular_file(ReportList::PathOf(programDirectory, entry.number), error)) {
        // Deleted (or replaced by something else) since it was listed: nothing to send.
        status.outcome = ReportSendOutcome::ReportGone;
        status.reason = "the report file is gone";
        return ExchangeError::None;
    }
    // Each request is built afresh, so it carries this report only.
    exchange.ClearRequest();
    exchange.AddVarToBuffer("action", "sendreport");
    for (const auto& [name, value] : ReportList::SendFields(programDirectory, entry))
        exchange.AddVarToBuffer(name, value);

    const ExchangeError exchangeError = exchange.PostToServer();
    if (exchangeError != ExchangeError::None) {
        status.outcome = ReportSendOutcome::ExchangeFailed;
        status.reason = exchange.LastFailure();
        return exchangeError;
    }
    if (exchange.ReplyText() != "ok") {
        status.outcome = ReportSendOutcome::NotAccepted;
        status.reason = RefusalReason(exchange.ReplyText());
        return exchangeError;
    }
    error = ReportList::MarkSent(programDirectory, entry.number);
    if (error == std::errc::no_such_file_or_directory) {
        status.outcome = ReportSendOutcome::ReportGone;
        status.reason = "the server has it, but the report file was gone before it could be marked as sent";
    } else if (error) {
        status.outcome = ReportSendOutcome::NotMarked;
        status.reason = "the server has it, but it could not be marked as sent: " + error.message();
    } else {
        status.outcome = ReportSendOutcome::Sent;
    }
    return exchangeError;
}

} // namespace

SendReportsResult SendReports(ServerExchange& exchange, const fs::path& programDirectory,
    const std::vector<ReportEntry>& entries, const SendProgressCallback& onProgress)
{
    SendReportsResult result;
    result.reports.reserve(entries.size());
    for (const ReportEntry& entry : entries)
        result.reports.push_back({entry.number, ReportSendOutcome::NotTried, "the send was cancelled"});

    const int total = static_cast<int>(entries.size());
    for (int i = 0; i < total; ++i) {
        ReportSendStatus& status = result.reports[static_cast<size_t>(i)];
        const ExchangeError error
            = SendOne(exchange, programDirectory, entries[static_cast<size_t>(i)], status);
        if (status.outcome == ReportSendOutcome::Sent)
            ++result.sentCount;
        if (error == ExchangeError::Cancelled) {
            status.outcome = ReportSendOutcome::NotTried;
            status.reason = "the send was cancelled";
            result.cancelled = true;
            break;
        }
        if (error == ExchangeError::AddressRefused) {
            // No report can reach a server the program refuses to talk to.
            for (size_t j = static_cast<size_t>(i) + 1; j < result.reports.size(); ++j)
                result.reports[j]
                    = {result.reports[j].number, ReportSendOutcome::ExchangeFailed, status.reason};
            break;
        }
        if (onProgress)
            onProgress(i + 1, total);
    }
    return result;
}

} // namespace vortalux
