#include "ExplorerBarLayout.h"

#include "ImageList.h"

#include <QFontMetrics>
#include <QLayout>
#include <QWidget>

#include <algorithm>

namespace vortalux {

namespace {

constexpr int GroupGap = 12;
constexpr int ContentPadding = 8;

// A panel with a layout asks for the height its contents need at that width; one without keeps
// the height its owner gave it.
int ChildHeight(QWidget& child, int width)
{
    if (child.hasHeightForWidth())
        return child.heightForWidth(width);
    if (child.layout())
        return std::max(child.sizeHint().height(), child.minimumHeight());
    return child.height();
}

} // namespace

QFont ExplorerBarLayout::CaptionFont(const QFont& font)
{
    QFont bold = font;
    bold.setBold(true);
    return bold;
}

void ExplorerBarLayout::Compute(const ExplorerBarModel& model, int width, const QFont& font)
{
    const QFontMetrics metrics(font);
    const QFontMetrics bold(CaptionFont(font));
    const int headerHeight = std::max(25, bold.height() + 10);
    const int itemHeight = std::max(ImageList::IconSize + 4, metrics.height() + 4);
    const int groupWidth = std::max(width - 2 * Margin, 40);
    const int innerWidth = std::max(groupWidth - 2 * ItemIndent, 10);

    m_groups.clear();
    int y = Margin;
    for (const ExplorerBarGroup* group : model.VisibleGroups()) {
        GroupGeometry geometry;
        geometry.group = group;
        geometry.id = model.IdOf(*group);
        const bool headerIcon = group->kind == GroupKind::Special && !group->icon.isNull();
        // The special group's picture rises above its header, as the desktop's task panes draw it.
        const int rise = headerIcon ? HeaderIconSize - headerHeight + 6 : 0;
        y += std::max(rise, 0);
        geometry.header = QRect(Margin, y, groupWidth, headerHeight);
        if (headerIcon)
            geometry.headerIcon
                = QRect(Margin + 4, y + headerHeight - HeaderIconSize - 2, HeaderIconSize, HeaderIconSize);
        y += headerHeight;

        if (group->expanded) {
            const int top = y;
            y += ContentPadding;
            const int left = Margin + ItemIndent;
            for (const ExplorerBarItem& item : group->items) {
                // Fractional glyph widths round up: a few pixels keep a caption that fits from being
                // shortened with an ellipsis.
                const int textWidth = metrics.horizontalAdvance(item.caption) + 3;
                const int itemWidth = std::min(ImageList::IconSize + IconTextGap + textWidth, innerWidth);
                geometry.items.emplace_back(left, y, itemWidth, itemHeight);
                y += itemHeight;
            }
            if (group->kind == GroupKind::Details) {
                if (!group->picture.isNull()) {
                    const QSize size = (group->picture.deviceIndependentSize().toSize())
                                           .boundedTo(QSize(innerWidth, innerWidth));
                    geometry.picture = QRect(QPoint(left, y), size);
                    y += size.height() + 4;
                }
                if (!group->title.isEmpty()) {
                    geometry.title = bold.boundingRect(
                        QRect(left, y, innerWidth, 10000), Qt::TextWordWrap, group->title);
                    geometry.title.setWidth(innerWidth);
                    y += geometry.title.height() + 4;
                }
                if (!group->details.isEmpty()) {
                    geometry.details = metrics.boundingRect(
                        QRect(left, y, innerWidth, 10000), Qt::TextWordWrap, group->details);
                    geometry.details.setWidth(innerWidth);
                    y += geometry.details.height();
                }
            }
            if (group->child) {
                if (!group->items.empty())
                    y += ContentPadding / 2;
                const int height = ChildHeight(*group->child, groupWidth - 2);
                geometry.child = QRect(Margin + 1, y, groupWidth - 2, height);
                y += height;
            }
            y += ContentPadding;
            geometry.content = QRect(Margin, top, groupWidth, y - top);
        }
        m_groups.push_back(std::move(geometry));
        y += GroupGap;
    }
    m_contentHeight = y - GroupGap + Margin;
    if (m_groups.empty())
        m_contentHeight = 0;
}

std::optional<ElementId> ExplorerBarLayout::HitTest(const QPoint& point) const
{
    for (const GroupGeometry& geometry : m_groups) {
        if (geometry.header.contains(point) || geometry.headerIcon.contains(point))
            return geometry.id;
        for (size_t item = 0; item < geometry.items.size(); ++item)
            if (geometry.items[item].contains(point))
                return ElementId {geometry.id.kind, geometry.id.group, static_cast<int>(item)};
    }
    return std::nullopt;
}

std::vector<ElementId> ExplorerBarLayout::FocusOrder() const
{
    std::vector<ElementId> order;
    for (const GroupGeometry& geometry : m_groups) {
        order.push_back(geometry.id);
        for (size_t item = 0; item < geometry.items.size(); ++item)
            order.push_back({geometry.id.kind, geometry.id.group, static_cast<int>(item)});
    }
    return order;
}

QRect ExplorerBarLayout::RectOf(const ElementId& id) const
{
    for (const GroupGeometry& geometry : m_groups) {
        if (geometry.id.kind != id.kind || geometry.id.group != id.group)
            continue;
        if (id.IsHeader())
            return geometry.header;
        if (id.item < static_cast<int>(geometry.items.size()))
            return geometry.items[static_cast<size_t>(id.item)];
    }
    return {};
}

} // namespace vortalux
