#pragma once

#include "ExplorerBarModel.h"

#include <QAccessibleWidget>

#include <map>
#include <tuple>

namespace vortalux {

class ExplorerBarControl;

// What assistive technology sees of the pane: a pane whose children are the groups on view (named
// by their captions, expandable), each with its items as links.
class ExplorerBarAccessible final : public QAccessibleWidget {
public:
    explicit ExplorerBarAccessible(ExplorerBarControl* pane);
    ~ExplorerBarAccessible() override;

    // Registers the factory that gives every pane this interface; once per process is enough.
    static void InstallFactory();
    // The interface of a group (a header's id) or an item of `pane`.
    static QAccessibleInterface* ElementInterface(ExplorerBarControl* pane, const ElementId& id);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

    ExplorerBarControl* Pane() const;
    QAccessibleInterface* Element(const ElementId& id) const;

private:
    using Key = std::tuple<int, int, int>;
    mutable std::map<Key, QAccessible::Id> m_elements;
};

} // namespace vortalux
