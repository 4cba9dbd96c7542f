#include "ExplorerBarModel.h"

#include "ImageList.h"

namespace vortalux {

namespace {

ExplorerBarGroup AbsentGroup(GroupKind kind, const char* key)
{
    ExplorerBarGroup group;
    group.kind = kind;
    group.key = QString::fromLatin1(key);
    group.present = false;
    return group;
}

} // namespace

ExplorerBarModel::ExplorerBarModel(Reporter reporter)
    : m_reporter(std::move(reporter))
    , m_special(AbsentGroup(GroupKind::Special, "Special Group"))
    , m_details(AbsentGroup(GroupKind::Details, "Details"))
{
}

ExplorerBarGroup* ExplorerBarModel::FindGroup(const GroupRef& group)
{
    if (!group.IsKey()) {
        const int number = group.Number();
        if (number < 1 || number > static_cast<int>(m_normal.size()))
            return nullptr;
        return &m_normal[static_cast<size_t>(number - 1)];
    }
    for (ExplorerBarGroup& normal : m_normal)
        if (normal.key == group.Key())
            return &normal;
    if (group.Key() == QLatin1String("Special Group"))
        return &m_special;
    if (group.Key() == QLatin1String("Details"))
        return &m_details;
    return nullptr;
}

std::optional<int> ExplorerBarModel::FindItem(const ExplorerBarGroup& group, const ItemRef& item)
{
    const int count = static_cast<int>(group.items.size());
    if (count == 0) {
        m_reporter(QStringLiteral("GetItemIndex: There are no Items in this group!"));
        return std::nullopt;
    }
    if (item.IsKey()) {
        for (int index = 0; index < count; ++index)
            if (group.items[static_cast<size_t>(index)].key == item.Key())
                return index;
        m_reporter(QStringLiteral("GetItemIndex/String: Item specified not found!"));
        return std::nullopt;
    }
    if (item.Position() < 1 || item.Position() > count) {
        m_reporter(QStringLiteral("GetItemIndex/Integer: Item specified not found!"));
        return std::nullopt;
    }
    return item.Position() - 1;
}

std::optional<int> ExplorerBarModel::FindIcon(const ImageList* images, const IconRef& icon)
{
    if (icon.IsNone())
        return -1;
    if (icon.IsKey()) {
        if (const std::optional<int> index = images ? images->IndexOf(icon.Key()) : std::nullopt)
            return index;
        m_reporter(
            QStringLiteral("GetIconIndex: icon with key ") + icon.Key() + QStringLiteral(" doesn't exist!"));
        return std::nullopt;
    }
    // Indexes are kept in 16 bits, as the pane's data has always held them.
    if (!images || !images->IsValidIndex(icon.Index()) || icon.Index() > 0x7FFF) {
        m_reporter(QStringLiteral("GetIconIndex: invalid Image Index!"));
        return std::nullopt;
    }
    return icon.Index();
}

ExplorerBarGroup* ExplorerBarModel::FindItemGroup(const GroupRef& group)
{
    ExplorerBarGroup* found = FindGroup(group);
    if (!found) {
        m_reporter(QStringLiteral("The Group '") + group.Text() + QStringLiteral("' doesn't exist"));
        return nullptr;
    }
    if (found->kind == GroupKind::Details) {
        m_reporter(QStringLiteral("Details Group hasn't Child Items!"));
        return nullptr;
    }
    return found;
}

std::vector<const ExplorerBarGroup*> ExplorerBarModel::VisibleGroups() const
{
    std::vector<const ExplorerBarGroup*> groups;
    if (m_special.present)
        groups.push_back(&m_special);
    for (const ExplorerBarGroup& group : m_normal)
        groups.push_back(&group);
    if (m_details.present)
        groups.push_back(&m_details);
    return groups;
}

std::vector<ExplorerBarGroup*> ExplorerBarModel::AllGroups()
{
    std::vector<ExplorerBarGroup*> groups;
    for (ExplorerBarGroup& group : m_normal)
        groups.push_back(&group);
    groups.push_back(&m_special);
    groups.push_back(&m_details);
    return groups;
}

ElementId ExplorerBarModel::IdOf(const ExplorerBarGroup& group, int item) const
{
    const int index = group.kind == GroupKind::Normal ? static_cast<int>(&group - m_normal.data()) : 0;
    return {group.kind, index, item};
}

const ExplorerBarGroup* ExplorerBarModel::GroupOf(const ElementId& id) const
{
    switch (id.kind) {
    case GroupKind::Special:
        return m_special.present ? &m_special : nullptr;
    case GroupKind::Details:
        return m_details.present ? &m_details : nullptr;
    case GroupKind::Normal:
        break;
    }
    return id.group >= 0 && id.group < static_cast<int>(m_normal.size())
        ? &m_normal[static_cast<size_t>(id.group)]
        : nullptr;
}

const ExplorerBarItem* ExplorerBarModel::ItemOf(const ElementId& id) const
{
    const ExplorerBarGroup* group = GroupOf(id);
    if (!group || id.item < 0 || id.item >= static_cast<int>(group->items.size()))
        return nullptr;
    return &group->items[static_cast<size_t>(id.item)];
}

int ExplorerBarModel::EventNumber(const ExplorerBarGroup& group) const
{
    switch (group.kind) {
    case GroupKind::Special:
        return -1;
    case GroupKind::Details:
        return -2;
    case GroupKind::Normal:
        break;
    }
    return IdOf(group).group + 1;
}

QString ExplorerBarModel::EventKey(const ExplorerBarGroup& group)
{
    switch (group.kind) {
    case GroupKind::Special:
        return QStringLiteral("Special Group");
    case GroupKind::Details:
        return QStringLiteral("Details Group");
    case GroupKind::Normal:
        break;
    }
    return group.key;
}

void ExplorerBarModel::Clear()
{
    m_normal.clear();
    m_special = AbsentGroup(GroupKind::Special, "Special Group");
    m_details = AbsentGroup(GroupKind::Details, "Details");
}

} // namespace vortalux
