#pragma once

#include "UrlList.h"

#include <QAbstractTableModel>

namespace vortalux {

// Presents a UrlList to a view: Title (with the row's check box), URL and Rule, a disabled
// rule's name in grey. Sorting and checks go through the list, which the model watches.
class UrlListModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit UrlListModel(UrlList& list, QObject* parent = nullptr);
    ~UrlListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // A header click (see UrlList::SortByColumn).
    void SortByColumn(int column) { m_list.SortByColumn(column); }
    // "Mark Highlight" with the rows a selection model highlights.
    void CheckHighlighted(const QModelIndexList& highlightedRows);

    const UrlList& List() const { return m_list; }

private:
    void FollowReorder();

    UrlList& m_list;
};

} // namespace vortalux
