#pragma once

#include "ExplorerBarModel.h"

#include <QFont>
#include <QRect>

#include <optional>
#include <vector>

namespace vortalux {

// Where one group is drawn, in content coordinates (before scrolling).
struct GroupGeometry {
    const ExplorerBarGroup* group = nullptr;
    ElementId id;
    QRect header;
    QRect headerIcon; // the special group's picture, which stands out above the header
    QRect content; // empty while collapsed
    std::vector<QRect> items;
    QRect child;
    QRect picture; // the details group's picture, title and text
    QRect title;
    QRect details;
};

// Places the groups, their items and child panels in a pane of a given width, and finds what lies
// under a point. Recomputed on every change; the painter and the pane read it.
class ExplorerBarLayout {
public:
    static constexpr int Margin = 12;
    static constexpr int HeaderIconSize = 32;
    static constexpr int ItemIndent = 12;
    static constexpr int IconTextGap = 6;

    void Compute(const ExplorerBarModel& model, int width, const QFont& font);

    const std::vector<GroupGeometry>& Groups() const { return m_groups; }
    int ContentHeight() const { return m_contentHeight; }
    static QFont CaptionFont(const QFont& font);

    std::optional<ElementId> HitTest(const QPoint& point) const;
    // Headers and the items of expanded groups, top to bottom: the keyboard's order.
    std::vector<ElementId> FocusOrder() const;
    // Empty when the element is not on view.
    QRect RectOf(const ElementId& id) const;

private:
    std::vector<GroupGeometry> m_groups;
    int m_contentHeight = 0;
};

} // namespace vortalux
