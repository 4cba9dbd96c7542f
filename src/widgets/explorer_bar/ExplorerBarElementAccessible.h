#pragma once

#include "ExplorerBarModel.h"

#include <QAccessibleInterface>
#include <QPointer>

namespace vortalux {

class ExplorerBarControl;

// A group (its header's id) or an item of a pane, for assistive technology. It reads the pane's
// model on every question, so captions and states are always the current ones.
class ExplorerBarElementAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ExplorerBarElementAccessible(ExplorerBarControl* pane, const ElementId& id);

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text, const QString&) override { }
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

    const ElementId& Id() const { return m_id; }

private:
    QPointer<ExplorerBarControl> m_pane;
    ElementId m_id;
};

} // namespace vortalux
