#pragma once

#include <QString>

#include <variant>

namespace vortalux {

// How a caller names a picture of the pane's image list: by its key, or by its index counted from
// 0; a default-constructed reference means "no icon".
class IconRef {
public:
    IconRef() = default;
    IconRef(QString key)
        : m_value(std::move(key))
    {
    }
    IconRef(const char* key)
        : m_value(QString::fromUtf8(key))
    {
    }
    IconRef(int index)
        : m_value(index)
    {
    }

    bool IsNone() const { return std::holds_alternative<std::monostate>(m_value); }
    bool IsKey() const { return std::holds_alternative<QString>(m_value); }
    const QString& Key() const { return std::get<QString>(m_value); }
    int Index() const { return std::get<int>(m_value); }

private:
    std::variant<std::monostate, QString, int> m_value;
};

} // namespace vortalux
