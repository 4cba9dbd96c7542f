#include "CheckForUpdates.h"

#include "ServerExchange.h"

namespace vortalux {

UpdateCheckResult CheckForUpdates(
    ServerExchange& exchange, const LocalVersions& local, const CheckStatusCallback& onStatus)
{
    std::vector<std::string> shown;
    const auto show = [&](std::string_view text, int progress) {
        if (shown.empty() || shown.back() != text)
            shown.emplace_back(text);
        if (onStatus)
            onStatus(shown.back(), progress);
    };

    exchange.ClearRequest();
    exchange.AddVarToBuffer("action", "versions");
    int progress = 0;
    const ExchangeError error = exchange.PostToServer([&](const ServerExchange::Progress& step) {
        if (step.contentLength > 0)
            progress = CheckProgressPercent(step.received, step.contentLength);
        show(UpdateTexts::Checking, progress);
    });

    UpdateCheckResult result;
    if (error == ExchangeError::AddressRefused) {
        // No exchange took place: the refusal is the whole message.
        result.failure = exchange.LastFailure();
        show(result.failure, 0);
        result.statusTexts = std::move(shown);
        return result;
    }
    show(UpdateTexts::Checking, 95);
    if (error != ExchangeError::None) {
        result.failure = exchange.LastFailure();
        show(UpdateTexts::IncorrectData, 0);
        result.statusTexts = std::move(shown);
        return result;
    }

    result = AnalyseVersionsReply(exchange.ReplyText(), local);
    if (result.IsDone()) {
        show(UpdateTexts::Analysing, 99);
        show(UpdateTexts::Done, 100);
    } else {
        show(UpdateTexts::IncorrectData, 0);
    }
    result.statusTexts = std::move(shown);
    return result;
}

} // namespace vortalux
