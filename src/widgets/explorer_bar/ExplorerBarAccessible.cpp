#include "ExplorerBarAccessible.h"

#include "ExplorerBarControl.h"
#include "ExplorerBarElementAccessible.h"

namespace vortalux {

namespace {

QAccessibleInterface* Factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("vortalux::ExplorerBarControl") && object && object->isWidgetType())
        return new ExplorerBarAccessible(static_cast<ExplorerBarControl*>(object));
    return nullptr;
}

} // namespace

ExplorerBarAccessible::ExplorerBarAccessible(ExplorerBarControl* pane)
    : QAccessibleWidget(pane, QAccessible::Pane)
{
}

ExplorerBarAccessible::~ExplorerBarAccessible()
{
    for (const auto& [key, id] : m_elements)
        QAccessible::deleteAccessibleInterface(id);
}

void ExplorerBarAccessible::InstallFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

QAccessibleInterface* ExplorerBarAccessible::ElementInterface(ExplorerBarControl* pane, const ElementId& id)
{
    auto* accessible = dynamic_cast<ExplorerBarAccessible*>(QAccessible::queryAccessibleInterface(pane));
    return accessible ? accessible->Element(id) : nullptr;
}

ExplorerBarControl* ExplorerBarAccessible::Pane() const { return static_cast<ExplorerBarControl*>(widget()); }

QAccessibleInterface* ExplorerBarAccessible::Element(const ElementId& id) const
{
    const Key key {static_cast<int>(id.kind), id.group, id.item};
    const auto found = m_elements.find(key);
    if (found != m_elements.end())
        if (QAccessibleInterface* known = QAccessible::accessibleInterface(found->second))
            return known;
    auto* element = new ExplorerBarElementAccessible(Pane(), id);
    m_elements[key] = QAccessible::registerAccessibleInterface(element);
    return element;
}

int ExplorerBarAccessible::childCount() const
{
    return static_cast<int>(Pane()->Model().VisibleGroups().size()) + QAccessibleWidget::childCount();
}

QAccessibleInterface* ExplorerBarAccessible::child(int index) const
{
    const ExplorerBarModel& model = Pane()->Model();
    const std::vector<const ExplorerBarGroup*> groups = model.VisibleGroups();
    if (index >= 0 && index < static_cast<int>(groups.size()))
        return Element(model.IdOf(*groups[static_cast<size_t>(index)]));
    // After the groups come the pane's own widgets: the child panels and the scroll bar.
    return QAccessibleWidget::child(index - static_cast<int>(groups.size()));
}

int ExplorerBarAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    const auto* element = dynamic_cast<const ExplorerBarElementAccessible*>(child);
    if (!element) {
        const int index = QAccessibleWidget::indexOfChild(child);
        return index < 0 ? index : index + static_cast<int>(Pane()->Model().VisibleGroups().size());
    }
    if (!element->Id().IsHeader())
        return -1;
    const ExplorerBarModel& model = Pane()->Model();
    const std::vector<const ExplorerBarGroup*> groups = model.VisibleGroups();
    for (size_t index = 0; index < groups.size(); ++index)
        if (model.IdOf(*groups[index]) == element->Id())
            return static_cast<int>(index);
    return -1;
}

QAccessibleInterface* ExplorerBarAccessible::childAt(int x, int y) const
{
    for (int index = 0; index < childCount(); ++index) {
        QAccessibleInterface* candidate = child(index);
        if (candidate && candidate->rect().contains(x, y))
            return candidate;
    }
    return nullptr;
}

} // namespace vortalux
