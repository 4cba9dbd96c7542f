#pragma once

#include <QIcon>
#include <QString>

#include <optional>
#include <vector>

class QPainter;
class QRect;

namespace vortalux {

// The pictures a pane's items show: 16 x 16 icons (logical pixels) found by key or by index from 0.
// An icon given with several sizes, or drawn by a scalable engine, stays sharp on screens with a
// device pixel ratio above 1.
class ImageList {
public:
    static constexpr int IconSize = 16;

    // Appends an icon and returns its index; keys need not be unique (lookups find the first).
    int Add(const QString& key, const QIcon& icon);
    void Clear();

    int Count() const { return static_cast<int>(m_entries.size()); }
    bool IsValidIndex(int index) const { return index >= 0 && index < Count(); }
    std::optional<int> IndexOf(const QString& key) const;
    QString Key(int index) const;
    QIcon Icon(int index) const;

    // Draws the icon at `index` into `target`; false when the index is out of range.
    bool Draw(QPainter& painter, const QRect& target, int index, QIcon::Mode mode = QIcon::Normal) const;

private:
    struct Entry {
        QString key;
        QIcon icon;
    };
    std::vector<Entry> m_entries;
};

} // namespace vortalux
