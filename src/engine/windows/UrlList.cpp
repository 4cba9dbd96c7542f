#include "UrlList.h"

#include "RuleWalk.h"
#include "UrlHelpers.h"

#include <algorithm>
#include <unordered_set>

namespace vortalux {

namespace {

unsigned char FoldCase(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

// Texts compare as a list view compares them: without regard to letter case. Texts that differ
// only in case (rule names may, on Linux) then sort by their bytes, so that equal texts stay
// together: the batch makes one part per run of equal rule names.
int CompareText(const std::string& a, const std::string& b)
{
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const unsigned char x = FoldCase(static_cast<unsigned char>(a[i]));
        const unsigned char y = FoldCase(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

void IdentifyRule(UrlRow& row, const RuleStore& rules)
{
    for (const Rule& rule : rules.Rules()) {
        if (!IdentifiesLink(rule, row.url))
            continue;
        if (rule.active) {
            row.rule = rule.name;
            row.ruleDisabled = false;
            row.checked = true;
            return;
        }
        // A later active rule that matches still takes the row.
        row.rule = rule.name + std::string(UrlList::DisabledSuffix);
        row.ruleDisabled = true;
        row.checked = false;
    }
}

} // namespace

void UrlList::Fill(const std::vector<std::string>& urlList, const RuleStore& rules)
{
    Notify(Change::Refill, true);
    m_rows.clear();
    m_sortColumn = -1;
    const size_t pairs = urlList.empty() ? 0 : (urlList.size() - 1) / 2;
    std::unordered_set<std::string_view> seen;
    seen.reserve(pairs);
    m_rows.reserve(pairs);
    for (size_t i = 1; i <= pairs; ++i) {
        const std::string& url = urlList[2 * i - 1];
        if (!seen.insert(url).second)
            continue;
        UrlRow row;
        row.key = "k" + std::to_string(i);
        const std::string& description = urlList[2 * i];
        row.title = description.empty() ? UrlFileName(url) : description;
        row.url = url;
        IdentifyRule(row, rules);
        m_rows.push_back(std::move(row));
    }
    Notify(Change::Refill, false);
}

void UrlList::Notify(Change change, bool before) const
{
    if (m_changeListener)
        m_changeListener(change, before);
}

const std::string& UrlList::TextOf(const UrlRow& row, int column)
{
    switch (column) {
    case UrlColumn:
        return row.url;
    case RuleColumn:
        return row.rule;
    default:
        return row.title;
    }
}

void UrlList::SortByColumn(int column)
{
    m_descending = !m_descending;
    m_sortColumn = std::clamp(column, 0, 2);
    Sort();
}

void UrlList::SortAscendingBy(int column)
{
    m_descending = false;
    m_sortColumn = std::clamp(column, 0, 2);
    Sort();
}

void UrlList::Sort()
{
    Notify(Change::Reorder, true);
    const int column = m_sortColumn;
    const bool descending = m_descending;
    m_lastOrder.resize(m_rows.size());
    for (size_t i = 0; i < m_lastOrder.size(); ++i)
        m_lastOrder[i] = i;
    std::stable_sort(m_lastOrder.begin(), m_lastOrder.end(), [&](size_t a, size_t b) {
        const int order = CompareText(TextOf(m_rows[a], column), TextOf(m_rows[b], column));
        return descending ? order > 0 : order < 0;
    });
    std::vector<UrlRow> sorted;
    sorted.reserve(m_rows.size());
    for (const size_t from : m_lastOrder)
        sorted.push_back(std::move(m_rows[from]));
    m_rows = std::move(sorted);
    Notify(Change::Reorder, false);
}

void UrlList::CheckHighlighted(const std::vector<bool>& highlighted)
{
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_rows[i].checked = i < highlighted.size() && highlighted[i];
}

} // namespace vortalux
