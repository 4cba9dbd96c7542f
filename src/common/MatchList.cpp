#include "MatchList.h"

namespace vortalux {

std::string_view MatchList::SubMatch(size_t match, size_t group) const
{
    const size_t start = Offset(match, group, 0);
    if (start == Unset)
        return {};
    return m_input.substr(start, Offset(match, group, 1) - start);
}

void MatchList::Reset(std::string_view input, size_t groupCount)
{
    m_input = input;
    m_groupCount = groupCount;
    m_count = 0;
    m_limitExceeded = false;
    m_offsets.clear(); // keeps its capacity for the next run
}

} // namespace vortalux
