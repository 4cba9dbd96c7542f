#pragma once

#include <QString>

#include <variant>

namespace vortalux {

// How a caller names an item inside a group: by its key, compared exactly (the first match wins),
// or by its position in the group, counted from 1.
class ItemRef {
public:
    ItemRef(QString key)
        : m_value(std::move(key))
    {
    }
    ItemRef(const char* key)
        : m_value(QString::fromUtf8(key))
    {
    }
    ItemRef(int position)
        : m_value(position)
    {
    }

    bool IsKey() const { return std::holds_alternative<QString>(m_value); }
    const QString& Key() const { return std::get<QString>(m_value); }
    int Position() const { return std::get<int>(m_value); }

private:
    std::variant<QString, int> m_value;
};

} // namespace vortalux
