#pragma once

#include "Rule.h"

#include <filesystem>
#include <vector>

namespace vortalux {

// The rules of the program directory, in the order the folder lists them (by name, ignoring
// case). Identification everywhere takes the first matching rule in this order.
class RuleStore {
public:
    // Rebuilds the store from "Rules/*.vtl" below `programDirectory`. Files without a "ver" are
    // not rules and are left out; a missing folder gives an empty store.
    void LoadRules(const std::filesystem::path& programDirectory);

    const std::vector<Rule>& Rules() const { return m_rules; }
    int ActiveRuleCount() const { return m_activeRuleCount; }

    // The rules panel's check mark, once written: the store follows the file without a reload.
    void SetActive(size_t index, bool active);

private:
    std::vector<Rule> m_rules;
    int m_activeRuleCount = 0;
};

} // namespace vortalux
