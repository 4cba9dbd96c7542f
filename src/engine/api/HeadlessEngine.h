#pragma once

#include "HandOff.h"
#include "ManagerStore.h"
#include "PageFetcher.h"
#include "RuleStore.h"
#include "TerminalStatus.h"
#include "UrlList.h"

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

namespace vortalux {

// The engine's two flows without windows, for runs without a display or a user: a list is
// confirmed as it stands after filling (its checked rows, the default download manager),
// progress goes to `progress`, and Ctrl-C ends a page download the way Esc (one link) or
// Cancel (a list) does; a second Ctrl-C during a list cancels everything.
class HeadlessEngine {
public:
    HeadlessEngine(const RuleStore& rules, const ManagerStore& managers, std::unique_ptr<HandOff> handOff,
        std::filesystem::path reportDirectory, std::ostream& progress, TerminalStatus::Style progressStyle);
    ~HeadlessEngine();

    void AddUrl(const std::string& url, const std::string& referer);
    void AddUrlList(UrlList& list);

    PageFetcher& Fetcher() { return m_fetcher; }

private:
    const RuleStore& m_rules;
    const ManagerStore& m_managers;
    std::unique_ptr<HandOff> m_handOff;
    std::filesystem::path m_reportDirectory;
    std::ostream& m_progress;
    TerminalStatus::Style m_progressStyle;
    PageFetcher m_fetcher;
};

} // namespace vortalux
