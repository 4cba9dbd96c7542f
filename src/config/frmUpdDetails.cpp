#include "frmUpdDetails.h"

#include "DisplayText.h"
#include "NamedControls.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vortalux {

frmUpdDetails::frmUpdDetails(const std::vector<UpdateItem>& items, UpdateList list, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmUpdDetails"));
    setWindowTitle(QStringLiteral("Details"));
    m_lv = new QTreeWidget(this);
    m_lv->setObjectName(QStringLiteral("lv"));
    m_lv->setRootIsDecorated(false);
    m_lv->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Info")});
    for (size_t i = 0; i < items.size(); ++i) {
        auto* row = new QTreeWidgetItem(m_lv);
        row->setText(0, DisplayText(items[i].name));
        row->setText(1, DisplayText(UpdateDetailsInfo(items[i], list)));
        row->setData(0, Qt::UserRole, static_cast<int>(i));
        row->setCheckState(0, items[i].selected ? Qt::Checked : Qt::Unchecked);
    }
    QPushButton* ok = NamedButton("btnOk", QStringLiteral("Ok"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lv, 1);
    layout->addLayout(buttons);
    resize(560, 320);
    // The name takes a third of the list, the info the rest.
    m_lv->setColumnWidth(0, 170);
    connect(ok, &QPushButton::clicked, this, &frmUpdDetails::OnOk);
}

void frmUpdDetails::OnOk()
{
    // Built in a local string: GCC 12 warns wrongly (-Wrestrict) when a member is assigned ":".
    std::string chosen(1, ':');
    for (int i = 0; i < m_lv->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = m_lv->topLevelItem(i);
        if (row->checkState(0) == Qt::Checked)
            chosen += std::to_string(row->data(0, Qt::UserRole).toInt()) + ':';
    }
    m_chosen = std::move(chosen);
    accept();
}

} // namespace vortalux
