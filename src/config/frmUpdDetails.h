#pragma once

#include "UpdateCheck.h"

#include <QDialog>

#include <string>
#include <vector>

class QTreeWidget;

namespace vortalux {

// The details of the offered download managers or rules: one row per item with a check box for
// whether the install takes it.
class frmUpdDetails final : public QDialog {
    Q_OBJECT

public:
    frmUpdDetails(const std::vector<UpdateItem>& items, UpdateList list, QWidget* parent = nullptr);

    // After Ok: the chosen rows' indexes, each between colons (":0:2:"; ":" when none).
    const std::string& Chosen() const { return m_chosen; }

private:
    void OnOk();

    QTreeWidget* m_lv = nullptr;
    std::string m_chosen;
};

} // namespace vortalux
