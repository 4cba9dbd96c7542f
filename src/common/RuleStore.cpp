#include "RuleStore.h"

#include "ProfileFile.h"
#include "ProgramDirectory.h"
#include "RuleFile.h"

namespace vortalux {

void RuleStore::LoadRules(const std::filesystem::path& programDirectory)
{
    m_rules.clear();
    m_activeRuleCount = 0;
    const std::filesystem::path folder = programDirectory / "Rules";
    for (const std::string& fileName : ListDirectory(folder, ".vtl")) {
        const ProfileFile file = ProfileFile::Load(folder / fileName);
        std::optional<Rule> rule
            = RuleFile::Read(file, std::string_view(fileName).substr(0, fileName.size() - 4));
        if (!rule)
            continue;
        if (rule->active)
            ++m_activeRuleCount;
        m_rules.push_back(std::move(*rule));
    }
}

void RuleStore::SetActive(size_t index, bool active)
{
    Rule& rule = m_rules.at(index);
    if (rule.active != active)
        m_activeRuleCount += active ? 1 : -1;
    rule.active = active;
}

} // namespace vortalux
