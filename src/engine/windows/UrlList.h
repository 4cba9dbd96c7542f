#pragma once

#include "RuleStore.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux {

// One link of a page as the select-URLs window lists it.
struct UrlRow {
    std::string key; // "k" + the link's position in the incoming list (1, 2, ...)
    std::string title; // the description, or the URL's file name when there is none
    std::string url;
    // The first active rule that identifies the URL; else the last disabled one, with
    // " (disabled)" after its name; else empty.
    std::string rule;
    bool ruleDisabled = false; // the rule text is shown in grey
    bool checked = false;
};

// The links of a page for selection: one row per distinct URL with the rule that identifies it,
// checked when an active rule does. Sorting is by the text of one column; the direction is one
// setting for the whole list, reversed by every header click.
class UrlList {
public:
    enum Column { TitleColumn = 0, UrlColumn = 1, RuleColumn = 2 };
    static constexpr std::string_view DisabledSuffix = " (disabled)";

    // Rebuilds the rows from a page's list: element 0 is the origin page, then URL and
    // description alternate. A trailing URL without its description is ignored; a URL seen
    // before is skipped (the first occurrence wins).
    void Fill(const std::vector<std::string>& urlList, const RuleStore& rules);

    size_t Size() const { return m_rows.size(); }
    const std::vector<UrlRow>& Rows() const { return m_rows; }
    const UrlRow& Row(size_t index) const { return m_rows[index]; }
    void SetChecked(size_t index, bool checked) { m_rows[index].checked = checked; }

    // A header click: reverses the direction, then sorts by `column`.
    void SortByColumn(int column);
    // Sorts ascending by `column`, as the batch does before it starts.
    void SortAscendingBy(int column);
    bool Descending() const { return m_descending; }
    // The column last sorted by, -1 while the rows keep their incoming order.
    int SortColumn() const { return m_sortColumn; }

    // "Mark Highlight": each row's check becomes whether it is highlighted.
    void CheckHighlighted(const std::vector<bool>& highlighted);

    // Called before and after every change of the rows, so a view can keep up: a refill, or a
    // reordering whose moves LastOrder() then tells.
    enum class Change { Refill, Reorder };
    using ChangeListener = std::function<void(Change change, bool before)>;
    void SetChangeListener(ChangeListener listener) { m_changeListener = std::move(listener); }
    // After a reordering: for each new position, the position the row had before.
    const std::vector<size_t>& LastOrder() const { return m_lastOrder; }

    static const std::string& TextOf(const UrlRow& row, int column);

private:
    void Sort();
    void Notify(Change change, bool before) const;

    std::vector<UrlRow> m_rows;
    bool m_descending = false;
    int m_sortColumn = -1;
    ChangeListener m_changeListener;
    std::vector<size_t> m_lastOrder;
};

} // namespace vortalux
