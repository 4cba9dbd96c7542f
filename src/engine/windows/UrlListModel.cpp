#include "UrlListModel.h"

#include "DisplayText.h"

#include <QGuiApplication>
#include <QPalette>

namespace vortalux {

UrlListModel::UrlListModel(UrlList& list, QObject* parent)
    : QAbstractTableModel(parent)
    , m_list(list)
{
    m_list.SetChangeListener([this](UrlList::Change change, bool before) {
        if (change == UrlList::Change::Refill) {
            if (before)
                beginResetModel();
            else
                endResetModel();
        } else if (before) {
            emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        } else {
            FollowReorder();
        }
    });
}

UrlListModel::~UrlListModel() { m_list.SetChangeListener({}); }

void UrlListModel::FollowReorder()
{
    // Selections and the current row stay with their rows.
    const std::vector<size_t>& order = m_list.LastOrder();
    std::vector<int> newPosition(order.size());
    for (size_t to = 0; to < order.size(); ++to)
        newPosition[order[to]] = static_cast<int>(to);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        const auto row = static_cast<size_t>(index.row());
        after.append(
            row < newPosition.size() ? this->index(newPosition[row], index.column()) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int UrlListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_list.Size());
}

int UrlListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant UrlListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || static_cast<size_t>(index.row()) >= m_list.Size())
        return {};
    const UrlRow& row = m_list.Row(static_cast<size_t>(index.row()));
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return DisplayText(UrlList::TextOf(row, index.column()));
    case Qt::CheckStateRole:
        if (index.column() == UrlList::TitleColumn)
            return row.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::ForegroundRole:
        if (index.column() == UrlList::RuleColumn) {
            const QPalette palette = QGuiApplication::palette();
            return row.ruleDisabled ? palette.brush(QPalette::Disabled, QPalette::Text)
                                    : palette.brush(QPalette::Active, QPalette::ButtonText);
        }
        return {};
    default:
        return {};
    }
}

bool UrlListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != UrlList::TitleColumn)
        return false;
    m_list.SetChecked(static_cast<size_t>(index.row()), value.toInt() == Qt::Checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

QVariant UrlListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case UrlList::TitleColumn:
        return QStringLiteral("Title");
    case UrlList::UrlColumn:
        return QStringLiteral("URL");
    case UrlList::RuleColumn:
        return QStringLiteral("Rule");
    default:
        return {};
    }
}

Qt::ItemFlags UrlListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == UrlList::TitleColumn)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

void UrlListModel::CheckHighlighted(const QModelIndexList& highlightedRows)
{
    std::vector<bool> highlighted(m_list.Size(), false);
    for (const QModelIndex& index : highlightedRows) {
        if (index.isValid() && static_cast<size_t>(index.row()) < highlighted.size())
            highlighted[static_cast<size_t>(index.row())] = true;
    }
    m_list.CheckHighlighted(highlighted);
    if (m_list.Size() > 0)
        emit dataChanged(this->index(0, 0), this->index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

} // namespace vortalux
