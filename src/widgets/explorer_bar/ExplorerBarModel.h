#pragma once

#include "ExplorerBarGroup.h"
#include "GroupRef.h"
#include "IconRef.h"
#include "ItemRef.h"

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace vortalux {

class ImageList;

// Where a group or one of its items sits: the kind, the index among the normal groups (0 for the
// special and the details group) and the item's index in its group, or -1 for the group's header.
struct ElementId {
    GroupKind kind = GroupKind::Normal;
    int group = 0;
    int item = -1;

    bool IsHeader() const { return item < 0; }
    friend bool operator==(const ElementId&, const ElementId&) = default;
};

// The pane's groups and items, with the lookups every operation uses. Lookup failures are handed
// to the reporter as the bare message; the pane decides how to show them.
class ExplorerBarModel {
public:
    using Reporter = std::function<void(const QString& message)>;

    explicit ExplorerBarModel(Reporter reporter);

    // Group lookup: a number is a normal group's number from 1; a key is searched among the normal
    // groups first, then "Special Group" and "Details" name those groups. Quiet: callers decide
    // whether a missing group deserves a message.
    ExplorerBarGroup* FindGroup(const GroupRef& group);
    // Item lookup by key (first match) or position from 1; reports and answers nothing on failure.
    std::optional<int> FindItem(const ExplorerBarGroup& group, const ItemRef& item);
    // Icon lookup in `images`: -1 for no icon; reports and answers nothing on failure.
    std::optional<int> FindIcon(const ImageList* images, const IconRef& icon);
    // The group an item operation works on, with that operation's messages when there is none.
    ExplorerBarGroup* FindItemGroup(const GroupRef& group);

    std::vector<ExplorerBarGroup>& NormalGroups() { return m_normal; }
    ExplorerBarGroup& Special() { return m_special; }
    ExplorerBarGroup& Details() { return m_details; }
    const std::vector<ExplorerBarGroup>& NormalGroups() const { return m_normal; }
    const ExplorerBarGroup& Special() const { return m_special; }
    const ExplorerBarGroup& Details() const { return m_details; }

    // The groups on view, top to bottom: the special group, the normal groups, the details group.
    std::vector<const ExplorerBarGroup*> VisibleGroups() const;
    ElementId IdOf(const ExplorerBarGroup& group, int item = -1) const;
    const ExplorerBarGroup* GroupOf(const ElementId& id) const;
    ExplorerBarGroup* GroupOf(const ElementId& id)
    {
        return const_cast<ExplorerBarGroup*>(std::as_const(*this).GroupOf(id));
    }
    // Every group, shown or not: the normal ones, the special and the details group.
    std::vector<ExplorerBarGroup*> AllGroups();
    const ExplorerBarItem* ItemOf(const ElementId& id) const;
    // The number GroupClick reports: -1 special, -2 details, else the number from 1.
    int EventNumber(const ExplorerBarGroup& group) const;
    // The key events report: "Special Group", "Details Group", else the group's key.
    static QString EventKey(const ExplorerBarGroup& group);

    void Clear();

private:
    Reporter m_reporter;
    std::vector<ExplorerBarGroup> m_normal;
    ExplorerBarGroup m_special;
    ExplorerBarGroup m_details;
};

} // namespace vortalux
