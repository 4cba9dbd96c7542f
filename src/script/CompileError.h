#pragma once

#include <cstdint>
#include <stdexcept>

namespace vortalux::script {

// A compilation error: the number, and where the offending token starts.
class CompileError : public std::runtime_error {
public:
    CompileError(int32_t number, int line, int column)
        : std::runtime_error("compilation error")
        , m_number(number)
        , m_line(line)
        , m_column(column)
    {
    }

    int32_t Number() const { return m_number; }
    int Line() const { return m_line; } // 1-based
    int Column() const { return m_column; } // 0-based

private:
    int32_t m_number;
    int m_line;
    int m_column;
};

} // namespace vortalux::script
