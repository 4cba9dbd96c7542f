#pragma once

#include "UpdateCheck.h"

#include <functional>
#include <string>

namespace vortalux {

class ServerExchange;

// The update check as the Update panel runs it, for a window and the command line alike.
//
// A window drives it like this (the Update panel, on "Check for updates..."):
//   1. hide btnDoUpdates, show frmUpd, set the lblChecking captions to UpdateTexts::CheckCaptions;
//      disable every button that starts an exchange (one exchange at a time) and show Cancel
//      beside pbUpd (Cancel and Esc call exchange.Cancel());
//   2. result = CheckForUpdates(exchange, LocalVersions::FromStores(managers, rules), onStatus),
//      where onStatus(text, progress) sets lblUpd to the text and pbUpd to the progress; it is
//      called as the check goes (once per text, and again for each read of the reply with the
//      same text), inside the exchange's wait, so the window repaints between calls;
//   3. result.IsDone(): take coreStatus, the two lists and the four counts as the new state,
//      set lblChkResult(i) to results[i] with looks[i], and show btnDoUpdates. Otherwise keep the
//      earlier state (lists, counts, CoreStatus, result labels) and leave btnDoUpdates hidden;
//      lblUpd already shows result.Status(), and result.failure says why the exchange failed
//      (for a tool tip or a log).
//   Clicking lblChkResult(1) or (2) with a non-empty list opens frmUpdDetails: one checkable row
//   per item (text name, tag its index, "Info" UpdateDetailsInfo); its Ok builds ":i:j:" from
//   the ticked rows and calls UpdateDetails(list, text), whose answer is the row's new label.
//
// The request is "action=versions" on `exchange`; its progress sets pbUpd to
// CheckProgressPercent(received, ContentLength) while the reply arrives, then 95, then 99 for
// the analysis and 100 when done (0 after a failure).
using CheckStatusCallback = std::function<void(const std::string& text, int progress)>;

UpdateCheckResult CheckForUpdates(
    ServerExchange& exchange, const LocalVersions& local, const CheckStatusCallback& onStatus = {});

} // namespace vortalux
