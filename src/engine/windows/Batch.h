#pragma once

#include "BatchView.h"
#include "HandOff.h"
#include "ManagerStore.h"
#include "PageSource.h"
#include "RuleStore.h"
#include "RuleWalk.h"
#include "UrlList.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vortalux {

// Converts the checked rows of a page's list and hands the results to the chosen download
// manager in parts, one part per rule, because a download manager takes one referer per list.
// The rows are sorted by their rule first, so each rule's rows normally form one part; every
// change of rule sends the part built so far, with two notices to the user.
class Batch final : private RuleWalkObserver {
public:
    static constexpr const char* FirstPartMessage
        = "More than one rule was found in the list of URLs you've selected. Because different rules means "
          "different referrers, and only one referrer can be sent with a list of URLs, VTL will now only "
          "send "
          "a part of the URLs to your download manager.\r\nThe rest will be send right after don't worry!";
    static constexpr const char* NextPartMessage
        = "Only one part of the URLs have been sent to your Download Manager (to use one referrer per rule), "
          "the next one will be done once you've clicked Ok.\r\n\r\nThis is made because different rules "
          "means different Referrer, and onle one referrer can be sent with a list of URLs";

    Batch(const RuleStore& rules, const ManagerStore& managers, PageSource& pages, HandOff& handOff,
        std::filesystem::path reportDirectory, std::string originPage, BatchView& view);

    // Runs the whole batch over `rows`, which it sorts by rule. Returns when the last part has
    // been handed over.
    void Run(UrlList& rows);

    bool IsRunning() const { return m_running; }
    // "Cancel everything": the row under way is finished, the remaining checked rows are sent
    // unconverted. The caller ends a download in progress itself.
    void SetCancelAll(bool cancelAll) { m_cancelAll = cancelAll; }
    bool CancelAll() const { return m_cancelAll; }

    // The referer a part is sent with. `partSource` is the URL of the part's first link that
    // passed a successful step, if any; without one the origin page stands in for it.
    static std::string PartReferer(
        const Rule* partRule, const std::optional<std::string>& partSource, const std::string& originPage);

private:
    void ProcessRow(const std::string& url);
    void SendPart();
    void StartPart();

    void RuleIdentified(size_t position, const Rule& rule) override;
    void StepSucceeded() override;
    void Status(std::string_view suffix) override;

    const RuleStore& m_rules;
    const ManagerStore& m_managers;
    HandOff& m_handOff;
    RuleWalk m_walk;
    std::string m_originPage;
    BatchView& m_view;

    bool m_running = false;
    bool m_cancelAll = false;
    // The part being built: its links, the rule it belongs to and the URL its referer is made
    // from.
    std::vector<Link> m_partLinks;
    std::optional<size_t> m_partRule;
    std::optional<std::string> m_partSource;
    int m_selected = 0;
    int m_converted = 0;
    std::string m_tag;
    const std::string* m_currentUrl = nullptr;
};

} // namespace vortalux
