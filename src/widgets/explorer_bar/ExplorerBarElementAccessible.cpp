#include "ExplorerBarElementAccessible.h"

#include "ExplorerBarAccessible.h"
#include "ExplorerBarControl.h"

#include <QWidget>
#include <QWindow>

namespace vortalux {

ExplorerBarElementAccessible::ExplorerBarElementAccessible(ExplorerBarControl* pane, const ElementId& id)
    : m_pane(pane)
    , m_id(id)
{
}

bool ExplorerBarElementAccessible::isValid() const
{
    if (!m_pane)
        return false;
    return m_id.IsHeader() ? m_pane->Model().GroupOf(m_id) != nullptr
                           : m_pane->Model().ItemOf(m_id) != nullptr;
}

QWindow* ExplorerBarElementAccessible::window() const
{
    return m_pane ? m_pane->window()->windowHandle() : nullptr;
}

QAccessibleInterface* ExplorerBarElementAccessible::childAt(int x, int y) const
{
    for (int index = 0; index < childCount(); ++index) {
        QAccessibleInterface* candidate = child(index);
        if (candidate && candidate->rect().contains(x, y))
            return candidate;
    }
    return nullptr;
}

QAccessibleInterface* ExplorerBarElementAccessible::parent() const
{
    if (!m_pane)
        return nullptr;
    if (m_id.IsHeader())
        return QAccessible::queryAccessibleInterface(m_pane.data());
    return ExplorerBarAccessible::ElementInterface(m_pane, {m_id.kind, m_id.group, -1});
}

QAccessibleInterface* ExplorerBarElementAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    return ExplorerBarAccessible::ElementInterface(m_pane, {m_id.kind, m_id.group, index});
}

int ExplorerBarElementAccessible::childCount() const
{
    if (!m_pane || !m_id.IsHeader())
        return 0;
    const ExplorerBarGroup* group = m_pane->Model().GroupOf(m_id);
    return group ? static_cast<int>(group->items.size()) : 0;
}

int ExplorerBarElementAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    const auto* element = dynamic_cast<const ExplorerBarElementAccessible*>(child);
    if (!element || !m_id.IsHeader() || element->Id().kind != m_id.kind || element->Id().group != m_id.group)
        return -1;
    return element->Id().item;
}

QString ExplorerBarElementAccessible::text(QAccessible::Text type) const
{
    if (!isValid())
        return {};
    const ExplorerBarModel& model = m_pane->Model();
    const ExplorerBarGroup* group = model.GroupOf(m_id);
    switch (type) {
    case QAccessible::Name:
        return m_id.IsHeader() ? group->caption : model.ItemOf(m_id)->caption;
    case QAccessible::Description:
        return group->kind == GroupKind::Details && m_id.IsHeader() ? group->details : QString();
    default:
        return {};
    }
}

QRect ExplorerBarElementAccessible::rect() const
{
    if (!isValid())
        return {};
    QRect local = m_pane->ElementRect(m_id);
    if (m_id.IsHeader())
        for (int item = 0; item < childCount(); ++item)
            local = local.united(m_pane->ElementRect({m_id.kind, m_id.group, item}));
    return local.isNull() ? QRect() : QRect(m_pane->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::Role ExplorerBarElementAccessible::role() const
{
    return m_id.IsHeader() ? QAccessible::Grouping : QAccessible::Link;
}

QAccessible::State ExplorerBarElementAccessible::state() const
{
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    const ExplorerBarGroup* group = m_pane->Model().GroupOf(m_id);
    state.focusable = true;
    state.invisible = m_pane->ElementRect(m_id).isNull() || !m_pane->isVisible();
    if (m_id.IsHeader()) {
        state.expandable = true;
        state.expanded = group->expanded;
        state.collapsed = !group->expanded;
    } else {
        state.linked = true;
    }
    return state;
}

void* ExplorerBarElementAccessible::interface_cast(QAccessible::InterfaceType type)
{
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
}

QStringList ExplorerBarElementAccessible::actionNames() const { return {pressAction()}; }

void ExplorerBarElementAccessible::doAction(const QString& actionName)
{
    if (actionName == pressAction() && isValid())
        m_pane->Activate(m_id);
}

QStringList ExplorerBarElementAccessible::keyBindingsForAction(const QString& actionName) const
{
    return actionName == pressAction() ? QStringList {QStringLiteral("Space")} : QStringList();
}

} // namespace vortalux
