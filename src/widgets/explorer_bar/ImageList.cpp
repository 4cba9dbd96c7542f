#include "ImageList.h"

#include <QPainter>

namespace vortalux {

int ImageList::Add(const QString& key, const QIcon& icon)
{
    m_entries.push_back({key, icon});
    return Count() - 1;
}

void ImageList::Clear() { m_entries.clear(); }

std::optional<int> ImageList::IndexOf(const QString& key) const
{
    for (int index = 0; index < Count(); ++index)
        if (m_entries[static_cast<size_t>(index)].key == key)
            return index;
    return std::nullopt;
}

QString ImageList::Key(int index) const
{
    return IsValidIndex(index) ? m_entries[static_cast<size_t>(index)].key : QString();
}

QIcon ImageList::Icon(int index) const
{
    return IsValidIndex(index) ? m_entries[static_cast<size_t>(index)].icon : QIcon();
}

bool ImageList::Draw(QPainter& painter, const QRect& target, int index, QIcon::Mode mode) const
{
    if (!IsValidIndex(index))
        return false;
    // QIcon::paint asks the icon for the painter's device pixel ratio, so a 200 % screen gets the
    // 32 x 32 picture (or a vector drawing) rather than a stretched 16 x 16 one.
    m_entries[static_cast<size_t>(index)].icon.paint(&painter, target, Qt::AlignCenter, mode);
    return true;
}

} // namespace vortalux
