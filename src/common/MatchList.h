#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace vortalux {

// The matches of one run of a CompiledPattern over a text, held as offsets into that text: the
// text must outlive the list. Positions count bytes, one character per byte, from 0.
class MatchList {
public:
    size_t Count() const { return m_count; }
    bool Empty() const { return m_count == 0; }
    // Capturing groups of the pattern; each match has that many sub-matches.
    size_t GroupCount() const { return m_groupCount; }
    // The run was cut short by the match limit (or ran out of room); the list then counts as
    // no match at all.
    bool LimitExceeded() const { return m_limitExceeded; }
    std::string_view Input() const { return m_input; }

    size_t FirstIndex(size_t match) const { return Offset(match, 0, 0); }
    size_t Length(size_t match) const { return Offset(match, 0, 1) - Offset(match, 0, 0); }
    std::string_view Value(size_t match) const { return m_input.substr(FirstIndex(match), Length(match)); }

    // Group 1 ... GroupCount() of a match; the empty text for a group that did not take part.
    std::string_view SubMatch(size_t match, size_t group) const;
    bool Participated(size_t match, size_t group) const { return Offset(match, group, 0) != Unset; }

private:
    friend class CompiledPattern;

    static constexpr size_t Unset = ~size_t(0);

    size_t Offset(size_t match, size_t group, size_t end) const
    {
        return m_offsets[(match * (m_groupCount + 1) + group) * 2 + end];
    }
    void Reset(std::string_view input, size_t groupCount);

    std::string_view m_input;
    size_t m_groupCount = 0;
    size_t m_count = 0;
    bool m_limitExceeded = false;
    // Start and end of the whole match and of every group, (GroupCount() + 1) pairs per match.
    std::vector<size_t> m_offsets;
};

} // namespace vortalux
