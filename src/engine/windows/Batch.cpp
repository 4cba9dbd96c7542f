#include "Batch.h"

#include "MessageBox.h"
#include "UrlHelpers.h"

namespace vortalux {

namespace {

constexpr const char* Caption = "Vortalux";

int Percent(size_t done, size_t total) { return static_cast<int>((done * 200 + total) / (2 * total)); }

} // namespace

Batch::Batch(const RuleStore& rules, const ManagerStore& managers, PageSource& pages, HandOff& handOff,
    std::filesystem::path reportDirectory, std::string originPage, BatchView& view)
    : m_rules(rules)
    , m_managers(managers)
    , m_handOff(handOff)
    , m_walk(rules, pages, std::move(reportDirectory))
    , m_originPage(std::move(originPage))
    , m_view(view)
{
}

void Batch::Run(UrlList& rows)
{
    m_running = true;
    m_view.ShowProgress(0);
    m_view.ShowStatus("Initialisation...");
    m_cancelAll = false;
    m_view.BatchStarted();
    rows.SortAscendingBy(UrlList::RuleColumn);
    StartPart();
    m_selected = 0;
    m_converted = 0;

    const size_t count = rows.Size();
    for (size_t i = 0; i < count; ++i) {
        // The check is read when the row is reached: it may change while the batch runs.
        const bool checked = rows.Row(i).checked;
        const std::string url = rows.Row(i).url;
        if (checked && !m_cancelAll)
            ProcessRow(url);
        else if (checked)
            m_partLinks.push_back(LinkTo(url));
        m_view.ShowCounts(m_converted, m_selected);
        m_view.ShowProgress(Percent(i + 1, count));
        m_view.LetEventsRun();
    }

    m_view.ShowStatus("Terminé");
    m_view.BatchFinishing();
    SendPart();
    m_running = false;
    m_view.BatchEnded();
}

void Batch::StartPart()
{
    m_partLinks.clear();
    m_partRule.reset();
    m_partSource.reset();
}

void Batch::ProcessRow(const std::string& url)
{
    ++m_selected;
    m_tag = "Current: " + UrlFileName(url);
    m_view.SetTag(m_tag);
    m_currentUrl = &url;
    RuleWalkResult result = m_walk.Run(url, url, this);
    m_currentUrl = nullptr;
    if (result.finished) {
        ++m_converted;
        for (Link& link : result.links)
            m_partLinks.push_back(std::move(link));
    } else {
        Status(" - no rule found!");
        m_partLinks.push_back(LinkTo(url));
    }
}

void Batch::RuleIdentified(size_t position, const Rule&)
{
    if (m_partRule && *m_partRule != position) {
        ShowMessage(Caption, FirstPartMessage, MessageIcon::Information);
        SendPart();
        StartPart();
        ShowMessage(Caption, NextPartMessage, MessageIcon::Information);
    }
    if (!m_partRule)
        m_partRule = position;
}

void Batch::StepSucceeded()
{
    if (!m_partSource && m_currentUrl != nullptr)
        m_partSource = *m_currentUrl;
}

void Batch::Status(std::string_view suffix) { m_view.ShowStatus(m_tag + std::string(suffix)); }

std::string Batch::PartReferer(
    const Rule* partRule, const std::optional<std::string>& partSource, const std::string& originPage)
{
    // A part none of whose links was converted has no source of its own; the page the links came
    // from is the one address known to lead to them.
    const std::string& source = partSource ? *partSource : originPage;
    if (partRule == nullptr)
        return source;
    switch (partRule->refererMode) {
    case RefererMode::None:
        return {};
    case RefererMode::OriginPage:
        return originPage;
    case RefererMode::SourceSite:
        return ServerPart(source);
    case RefererMode::Custom:
        return CustomReferer(*partRule, source);
    case RefererMode::SourceUrl:
    default:
        return source;
    }
}

void Batch::SendPart()
{
    const Rule* rule = m_partRule ? &m_rules.Rules()[*m_partRule] : nullptr;
    const std::string referer = PartReferer(rule, m_partSource, m_originPage);
    m_handOff.AddList(m_managers, m_view.SelectedManager(), referer, m_partLinks);
}

} // namespace vortalux
