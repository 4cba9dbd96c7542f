#pragma once

#include "ReportList.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vortalux {

class ServerExchange;

// What became of one report of a send.
enum class ReportSendOutcome {
    Sent, // the server answered exactly "ok" and the file now says Sent=1
    NotAccepted, // the server answered something else
    ExchangeFailed, // no whole reply (server unreachable, an HTTP error, a refused address, ...)
    ReportGone, // the report file was gone when its turn came, or before it could be marked
    NotMarked, // accepted, but Sent=1 could not be written: it will be listed (and sent) again
    NotTried, // the send was cancelled before its turn
};

struct ReportSendStatus {
    int number = 0;
    ReportSendOutcome outcome = ReportSendOutcome::NotTried;
    // Why it was not sent, in plain words; empty when sent. May hold bytes from the server.
    std::string reason;
};

struct SendReportsResult {
    // The reports counted as sent ("N reports succesfully sent").
    int sentCount = 0;
    bool cancelled = false;
    // One status per report given, in the order given.
    std::vector<ReportSendStatus> reports;
};

// Called after each report, sent or not: pbWait shows done / total x 100.
using SendProgressCallback = std::function<void(int done, int total)>;

// Sends the failure reports `entries` of `programDirectory` to the update server, one
// "sendreport" exchange each, in the order given, as the Support panel's "Send Selected Reports"
// and `vortalux reports send` do. Each request carries "action" and that report's own fields
// only. A report is counted only when the reply is exactly "ok" and its file has been marked
// Sent=1; every other outcome leaves the file as it was and the loop goes on with the next one,
// except that a cancelled exchange (exchange.Cancel(): the panel's Cancel, Esc, Ctrl-C) or a
// refused server address ends the run there.
SendReportsResult SendReports(ServerExchange& exchange, const std::filesystem::path& programDirectory,
    const std::vector<ReportEntry>& entries, const SendProgressCallback& onProgress = {});

} // namespace vortalux
