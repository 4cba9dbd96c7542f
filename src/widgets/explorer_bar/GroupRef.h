#pragma once

#include <QString>

#include <variant>

namespace vortalux {

// How a caller names a group of the pane: by its key, compared exactly, or by its number among the
// normal groups, counted from 1 in order of addition. The keys "Special Group" and "Details" name
// the special and the details group when no normal group has them.
class GroupRef {
public:
    GroupRef(QString key)
        : m_value(std::move(key))
    {
    }
    GroupRef(const char* key)
        : m_value(QString::fromUtf8(key))
    {
    }
    GroupRef(int number)
        : m_value(number)
    {
    }

    bool IsKey() const { return std::holds_alternative<QString>(m_value); }
    const QString& Key() const { return std::get<QString>(m_value); }
    int Number() const { return std::get<int>(m_value); }
    // The reference as the caller wrote it, for messages.
    QString Text() const { return IsKey() ? Key() : QString::number(Number()); }

private:
    std::variant<QString, int> m_value;
};

} // namespace vortalux
