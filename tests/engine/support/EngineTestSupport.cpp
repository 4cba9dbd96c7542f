#include "EngineTestSupport.h"

#include "ProfileFile.h"

namespace vortalux::test {

std::vector<std::string> EngineHome::Reports() const
{
    std::vector<std::string> names;
    for (int n = 1; std::filesystem::exists(m_dir / (std::to_string(n) + ".vtr")); ++n)
        names.push_back(ProfileFile::ReadValue(m_dir / (std::to_string(n) + ".vtr"), "Rule", "Name", ""));
    return names;
}

} // namespace vortalux::test
