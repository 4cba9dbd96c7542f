#pragma once

#include "VersionsReply.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux {

class ManagerStore;
class RuleStore;

// What the update check compares and decides, without windows or sockets. CheckForUpdates
// (CheckForUpdates.h) runs it against the server; this file holds the texts, the comparisons
// and the result every front end renders.

// The Update panel's texts before the first check, and during one.
struct UpdateTexts {
    static constexpr std::string_view NoResult = "-";
    static constexpr std::string_view Connecting = "Connecting to VTL website...   Please wait....";
    static constexpr std::array<std::string_view, 3> CheckCaptions = {"Check for new version of VTL...",
        "Check for new/updated download managers...", "Check for new/updated rules..."};
    static constexpr std::string_view Checking = "Checking for updates....     Please wait....";
    static constexpr std::string_view Analysing = "Data received, analysis....     Please wait....";
    static constexpr std::string_view Done = "Done.";
    static constexpr std::string_view IncorrectData = "Error! Incorrect data received from server";
    static constexpr std::string_view NoUpdates = "no updates";
};

// The versions installed here.
struct LocalVersions {
    // "major.minor.revision" of the engine and of the configuration program (the build's one
    // version number for both).
    std::string engine;
    std::string program;
    // Name and "ver" of each definition and rule, in store order (the first match wins).
    std::vector<OfferedItem> managers;
    std::vector<OfferedItem> rules;

    // The stores' names and versions, and VersionText() for the engine and the program.
    static LocalVersions FromStores(const ManagerStore& managerStore, const RuleStore& ruleStore);
};

// An item the check offers for the install.
struct UpdateItem {
    std::string name; // as the server spells it
    std::string localVer; // "-1" when the item does not exist here
    std::string serverVer;
    bool isNew = false;
    bool selected = true; // changed only by the details window
};

// How a result label looks. Link: link blue, RGB (0, 100, 250); rows 1 and 2 also underlined with
// the four-headed sizing arrow as pointer. Plain: the default text colour, not underlined, the
// default pointer.
enum class ResultLook { Plain, Link };

// Which row the details window and UpdateDetails work on.
enum class UpdateList { Managers = 0, Rules = 1 };

struct UpdateCheckResult {
    enum class Outcome {
        Done, // the lists, counts, results and CoreStatus below are the new state
        Failed, // nothing below is valid: the window keeps what an earlier check left
    };
    Outcome outcome = Outcome::Failed;
    // lblUpd's texts in the order they were shown; the last one stays.
    std::vector<std::string> statusTexts;
    // Why an exchange failed ("connection refused", "HTTP status 302", "cancelled", ...), or
    // the refused server address; empty when the reply arrived (even incorrect data).
    std::string failure;
    // pbUpd at the end: 100 when done, 0 after a failure.
    int progress = 0;

    // lblChkResult(0 to 2) and how each looks. Bold rows are the window's business: each row is
    // bold only while the analysis works on it, and none is bold at the end.
    std::array<std::string, 3> results;
    std::array<ResultLook, 3> looks {ResultLook::Plain, ResultLook::Plain, ResultLook::Plain};
    // 0 no program update, 1 configuration program only, 2 engine only, 3 both.
    int coreStatus = 0;
    std::vector<UpdateItem> managerUpdates;
    std::vector<UpdateItem> ruleUpdates;
    int newManagerCount = 0;
    int updatedManagerCount = 0;
    int newRuleCount = 0;
    int updatedRuleCount = 0;

    // lblUpd's text at the end (the last of statusTexts).
    std::string Status() const;
    bool IsDone() const { return outcome == Outcome::Done; }
};

// True when the offered engine or program version is newer: the "."-separated parts 0, 1 and 2
// compared as numbers (a part's leading digits; a part without digits or a missing part counts
// 0), the first part that differs decides.
bool IsNewerProgramVersion(std::string_view local, std::string_view offered);

// True when a definition's or rule's offered version is newer: compared as text, byte by byte
// ("10" is older than "9", "1.10" older than "1.9").
bool IsNewerItemVersion(std::string_view local, std::string_view offered);

// pbUpd while the "versions" reply arrives: received / contentLength x 100 x 0.95 (whole percent,
// rounded down); nothing to show when contentLength is 0.
int CheckProgressPercent(std::uint64_t received, std::int64_t contentLength);

// The check's analysis of the reply text: the status texts from "Data received, analysis...."
// on, the results, lists and counts. Incorrect data (VersionsReply::Read) gives a Failed result
// whose only status text is "Error! Incorrect data received from server".
UpdateCheckResult AnalyseVersionsReply(std::string_view replyText, const LocalVersions& local);

// The "Info" column of the details window for an item of `list`.
std::string UpdateDetailsInfo(const UpdateItem& item, UpdateList list);

// UpdateDetails: sets `selected` of each item to whether `chosen` holds ":" + its index + ":"
// (":0:2:" style, as the details window builds it) and answers the result label's new text,
// "1/2 new, 1 updates" style (a count is written "chosen/all" only when they differ).
std::string UpdateDetails(std::vector<UpdateItem>& items, std::string_view chosen);

// "N new, M updates".
std::string CountsText(int newCount, int updateCount);

} // namespace vortalux
