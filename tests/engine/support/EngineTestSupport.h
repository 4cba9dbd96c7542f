#pragma once

#include "HandOff.h"
#include "HandOffFactory.h"
#include "PageSource.h"
#include "TestSupport.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vortalux::test {

// One hand-off as the download manager's script would have received it.
struct HandOffCall {
    std::string procedure; // "AddLink" or "AddList"
    int position = -1;
    std::string referer;
    std::vector<Link> links;
    size_t messagesBefore = 0; // message boxes shown before the call
};

// Records hand-offs into a log that outlives the window owning the hand-off.
class RecordingHandOff final : public HandOff {
public:
    using Log = std::vector<HandOffCall>;
    // `messageCount` tells how many message boxes have been shown so far.
    RecordingHandOff(std::shared_ptr<Log> log, std::function<size_t()> messageCount = {})
        : m_log(std::move(log))
        , m_messageCount(std::move(messageCount))
    {
    }

    void AddLink(const ManagerStore&, int position, const std::string& referer, const Link& link) override
    {
        m_log->push_back({"AddLink", position, referer, {link}, Messages()});
    }
    void AddList(const ManagerStore&, int position, const std::string& referer,
        const std::vector<Link>& links) override
    {
        m_log->push_back({"AddList", position, referer, links, Messages()});
    }

    static HandOffFactory Factory(std::shared_ptr<Log> log, std::function<size_t()> messageCount = {})
    {
        return [log, messageCount] { return std::make_unique<RecordingHandOff>(log, messageCount); };
    }

private:
    size_t Messages() const { return m_messageCount ? m_messageCount() : 0; }

    std::shared_ptr<Log> m_log;
    std::function<size_t()> m_messageCount;
};

// Serves canned pages and records what was asked for. Addresses that are not http(s) are
// refused without touching FetchedUrl, as the real fetcher does.
class FakePages final : public PageSource {
public:
    std::map<std::string, std::string> pages;
    // Addresses that lead elsewhere: FetchedUrl becomes the target.
    std::map<std::string, std::string> redirects;
    // Why the download of an address fails, for those that do.
    std::map<std::string, std::string> failures;
    std::vector<std::string> requested;

    std::string OpenURL(const std::string& url) override
    {
        if (url.rfind("http://", 0) != 0 && url.rfind("https://", 0) != 0) {
            m_failure = "address refused";
            return {};
        }
        requested.push_back(url);
        m_failure = failures.count(url) ? failures[url] : std::string();
        m_fetched = redirects.count(url) ? redirects[url] : url;
        auto it = pages.find(m_fetched);
        return it == pages.end() ? std::string() : it->second;
    }
    const std::string& FetchedUrl() const override { return m_fetched; }
    std::string LastFailure() const override { return m_failure; }

private:
    std::string m_fetched;
    std::string m_failure;
};

// A program directory with rules and download-manager definitions written on demand.
class EngineHome {
public:
    // A rule that rewrites the link: one step per (pattern, template) pair.
    void ReplaceRule(const std::string& name, const std::string& ident,
        const std::vector<std::pair<std::string, std::string>>& steps, int refererMode = 3,
        bool active = true, const std::string& customReferer = {})
    {
        std::string text = "[Main]\r\nver=1\r\nActive=" + std::string(active ? "1" : "0")
            + "\r\nIdent=" + ident + "\r\nType=0\r\nReferer=" + std::to_string(refererMode)
            + "\r\n[SR]\r\nnb=" + std::to_string(steps.size()) + "\r\n";
        for (size_t i = 0; i < steps.size(); ++i) {
            const std::string n = std::to_string(i + 1);
            text += "sr1." + n + "=" + steps[i].first + "\r\nsr2." + n + "=" + steps[i].second + "\r\n";
        }
        text += customReferer;
        WriteFileBytes(m_dir / "Rules" / (name + ".vtl"), text);
    }

    // A rule that searches the linked page with one step.
    void SearchRule(const std::string& name, const std::string& ident, const std::string& pattern,
        const std::string& result, bool global = false, int refererMode = 3)
    {
        WriteFileBytes(m_dir / "Rules" / (name + ".vtl"),
            "[Main]\r\nver=1\r\nActive=1\r\nIdent=" + ident + "\r\nType=1\r\nReferer="
                + std::to_string(refererMode) + "\r\n[OS]\r\nnb=1\r\nregexp.1=" + pattern
                + "\r\nresult.1=" + result + "\r\nglobal.1=" + (global ? "1" : "0") + "\r\n");
    }

    void Manager(const std::string& name, bool isDefault)
    {
        WriteFileBytes(m_dir / "Managers" / (name + ".vtm"),
            "[Main]\r\nver=1\r\nDefault=" + std::string(isDefault ? "1" : "0")
                + "\r\n[SCRIPT]\r\n\r\nSub AddLink(r, u, n)\r\nEnd Sub\r\nSub AddList(r, l)\r\nEnd Sub\r\n");
    }

    // The default download-manager definition "Recorder": it appends "AddLink|referer|url|name"
    // or "AddList|referer|url|name|..." lines to RecordedCalls(); `extra` goes at the end of its
    // script.
    void RecordingManager(const std::string& extra = {});
    std::string RecordedCalls() const;

    const std::filesystem::path& Path() const { return m_dir.Path(); }

    // Names of the rules of the failure reports written, in number order.
    std::vector<std::string> Reports() const;

private:
    TempDir m_dir;
};

} // namespace vortalux::test
