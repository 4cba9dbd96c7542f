#include "PatternMatchModel.h"

#include "DisplayText.h"
#include "PatternTest.h"

#include <algorithm>
#include <array>
#include <climits>

namespace vortalux {

namespace {

constexpr std::array<const char*, PatternTest::ColumnCount> ColumnTitles = {"#", "Valeur", "Pos.", "Long."};

// A value cut short, at a character boundary when it is UTF-8, so the rest still shows as it would.
QString ShownValue(std::string_view value)
{
    if (value.size() <= PatternMatchModel::MaxShownValue)
        return DisplayText(value);
    size_t cut = PatternMatchModel::MaxShownValue;
    for (int back = 0; back < 3 && cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80; ++back)
        --cut;
    return DisplayText(value.substr(0, cut)) + QChar(0x2026);
}

} // namespace

PatternMatchModel::PatternMatchModel(const PatternTest& test, QObject* parent)
    : QAbstractTableModel(parent)
    , m_test(test)
{
}

int PatternMatchModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(std::min<size_t>(m_test.RowCount(), INT_MAX));
}

int PatternMatchModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : PatternTest::ColumnCount;
}

QVariant PatternMatchModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const auto row = static_cast<size_t>(index.row());
    const auto column = static_cast<PatternTest::Column>(index.column());
    if (column == PatternTest::Column::Value)
        return ShownValue(m_test.Value(row));
    return QString::fromStdString(m_test.Cell(row, column));
}

QVariant PatternMatchModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= PatternTest::ColumnCount)
        return {};
    return QString::fromLatin1(ColumnTitles[static_cast<size_t>(section)]);
}

} // namespace vortalux
