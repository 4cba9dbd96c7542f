#include "HeadlessEngine.h"

#include "Batch.h"
#include "InterruptWatcher.h"
#include "OriginPage.h"
#include "SingleLinkFlow.h"
#include "TerminalStatus.h"
#include "UrlHelpers.h"

namespace vortalux {

HeadlessEngine::HeadlessEngine(const RuleStore& rules, const ManagerStore& managers,
    std::unique_ptr<HandOff> handOff, std::filesystem::path reportDirectory, std::ostream& progress,
    TerminalStatus::Style progressStyle)
    : m_rules(rules)
    , m_managers(managers)
    , m_handOff(std::move(handOff))
    , m_reportDirectory(std::move(reportDirectory))
    , m_progress(progress)
    , m_progressStyle(progressStyle)
{
}

HeadlessEngine::~HeadlessEngine() = default;

void HeadlessEngine::AddUrl(const std::string& url, const std::string& referer)
{
    TerminalStatus status(m_progress, m_progressStyle, m_managers.DefaultManager());
    m_fetcher.SetTag("Current: " + UrlFileName(url));
    m_fetcher.SetStatusCallback([&status](const std::string& text) { status.ShowStatus(text); });
    const InterruptWatcher interrupt([this] { m_fetcher.Finish(); });
    RunSingleLink(m_rules, m_managers, m_managers.DefaultManager(), m_fetcher, *m_handOff, m_reportDirectory,
        url, referer);
    m_fetcher.SetStatusCallback({});
}

void HeadlessEngine::AddUrlList(UrlList& list)
{
    TerminalStatus status(m_progress, m_progressStyle, m_managers.DefaultManager());
    m_fetcher.SetStatusCallback([&status](const std::string& text) { status.ShowStatus(text); });
    // The fetcher's progress texts start with the batch's current link.
    status.SetTagListener([this](const std::string& tag) { m_fetcher.SetTag(tag); });
    Batch batch(m_rules, m_managers, m_fetcher, *m_handOff, m_reportDirectory, OriginPage(), status);
    int interrupts = 0;
    const InterruptWatcher interrupt([&] {
        if (!batch.IsRunning())
            return;
        // The first Ctrl-C is Cancel; the next ones are Cancel with "Cancel everything".
        batch.SetCancelAll(++interrupts > 1);
        m_fetcher.Cancel();
    });
    batch.Run(list);
    m_fetcher.SetStatusCallback({});
}

} // namespace vortalux
