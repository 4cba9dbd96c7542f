#pragma once

#include <QAbstractTableModel>

namespace vortalux {

class PatternTest;

// The tester's match list (lv) as a table: "#", "Valeur", "Pos.", "Long.". Cells are made when the
// view draws them, so a sample with thousands of matches fills the list at once.
class PatternMatchModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    // A "Valeur" cell shows at most this many bytes of its text, followed by an ellipsis.
    static constexpr size_t MaxShownValue = 2000;

    explicit PatternMatchModel(const PatternTest& test, QObject* parent = nullptr);

    // Around every run of the test: the rows change all at once.
    void BeginRun() { beginResetModel(); }
    void EndRun() { endResetModel(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const PatternTest& m_test;
};

} // namespace vortalux
