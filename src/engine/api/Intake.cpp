#include "Intake.h"

#include "MessageBox.h"

namespace vortalux {

bool RunIntake(const std::filesystem::path& programDirectory, RuleStore& rules, ManagerStore& managers)
{
    managers.LoadManagers(programDirectory);
    rules.LoadRules(programDirectory);

    if (managers.DefaultManager() == -1) {
        if (managers.IsEmpty()) {
            ShowMessage("Vortalux", NoManagerMessage, MessageIcon::Critical);
            return false;
        }
        ShowMessage("Vortalux",
            "There is no download managers set by default. VTL will use "
                + managers.Definitions().front().Name
                + " as default for this time.\r\nPlease run VTL and select a default DM",
            MessageIcon::Information);
        // For this call only: nothing is written, the next call reloads the store.
        managers.SetDefaultManager(0, ManagerStore::MarkChosenFile::No);
    }

    if (rules.ActiveRuleCount() == 0)
        ShowMessage("Vortalux", NoActiveRuleMessage, MessageIcon::Critical);
    return true;
}

} // namespace vortalux
