#pragma once

#include "PublishedFolder.h"
#include "RateLimiter.h"
#include "ReportStore.h"

#include <chrono>
#include <string>
#include <string_view>

namespace vortalux::server {

// What the server sends back: an HTTP status and the body. A successful body starts with "ok";
// a refusal's body starts with "error: " and never with "ok", whatever the client makes of the
// status.
struct ExchangeReply {
    int status = 200;
    std::string body;
};

// Answers the body of one POST to "/vtl.php": a form whose first field is "action".
//   "versions"               the published versions (PublishedFolder::VersionsReply)
//   "getfile", name="core"   "ok" + the program files joined by ":"
//   "getfile", name=<path>   "ok" + the file's bytes
//   "sendreport", fields...  stored with every field after "action" in order; "ok"
// `address` is the client's, for the report and the per-address limit on reports.
class ExchangeHandler {
public:
    ExchangeHandler(PublishedFolder& folder, ReportStore& reports, RateLimiter& reportLimiter)
        : m_folder(folder)
        , m_reports(reports)
        , m_reportLimiter(reportLimiter)
    {
    }

    ExchangeReply Handle(
        std::string_view body, const std::string& address, RateLimiter::Clock::time_point now);

private:
    ExchangeReply GetFile(const std::vector<FormField>& fields);
    ExchangeReply SendReport(
        const std::vector<FormField>& fields, const std::string& address, RateLimiter::Clock::time_point now);

    PublishedFolder& m_folder;
    ReportStore& m_reports;
    RateLimiter& m_reportLimiter;
};

} // namespace vortalux::server
