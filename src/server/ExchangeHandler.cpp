#include "ExchangeHandler.h"

#include <span>

namespace vortalux::server {

namespace {

ExchangeReply Refusal(int status, std::string_view reason)
{
    return {status, "error: " + std::string(reason)};
}

} // namespace

ExchangeReply ExchangeHandler::Handle(
    std::string_view body, const std::string& address, RateLimiter::Clock::time_point now)
{
    const auto fields = DecodeFormBody(body);
    if (!fields)
        return Refusal(400, "malformed form body");
    if (fields->empty() || fields->front().name != "action")
        return Refusal(400, "the first field must be \"action\"");
    const std::string& action = fields->front().value;
    if (action == "versions") {
        std::string error;
        if (auto reply = m_folder.VersionsReply(now, error))
            return {200, std::move(*reply)};
        return Refusal(500, error);
    }
    if (action == "getfile")
        return GetFile(*fields);
    if (action == "sendreport")
        return SendReport(*fields, address, now);
    return Refusal(400, "unknown action");
}

ExchangeReply ExchangeHandler::GetFile(const std::vector<FormField>& fields)
{
    const FormField* name = nullptr;
    for (size_t i = 1; i < fields.size() && !name; ++i) {
        if (fields[i].name == "name")
            name = &fields[i];
    }
    if (!name)
        return Refusal(400, "getfile without \"name\"");
    if (name->value == "core") {
        std::string reply = "ok";
        bool first = true;
        for (const std::string& file : m_folder.ProgramFiles()) {
            if (!first)
                reply += ':';
            first = false;
            reply += file;
        }
        return {200, std::move(reply)};
    }
    std::string bytes;
    switch (m_folder.ReadFile(name->value, bytes)) {
    case PublishedFolder::Lookup::Found:
        return {200, "ok" + bytes};
    case PublishedFolder::Lookup::Refused:
        return Refusal(403, "name refused");
    case PublishedFolder::Lookup::Missing:
        break;
    }
    return Refusal(404, "no such file");
}

ExchangeReply ExchangeHandler::SendReport(
    const std::vector<FormField>& fields, const std::string& address, RateLimiter::Clock::time_point now)
{
    if (fields.size() < 2)
        return Refusal(400, "empty report");
    if (!m_reportLimiter.Allow(address, now))
        return Refusal(429, "too many reports, try again later");
    if (!m_reports.Add(ReportStore::UtcNow(), address, std::span(fields).subspan(1)))
        return Refusal(500, "the report could not be stored");
    return {200, "ok"};
}

} // namespace vortalux::server
