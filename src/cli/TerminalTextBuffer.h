#pragma once

#include <ostream>
#include <streambuf>
#include <string>

namespace vortalux::cli {

// A stream buffer that passes what is written on to `target` as TerminalText, line by line (the
// line breaks kept). The commands' error stream goes through it: whatever a message quotes (a
// link, a name, a script's error) reaches the terminal printable.
class TerminalTextBuffer final : public std::streambuf {
public:
    explicit TerminalTextBuffer(std::ostream& target)
        : m_target(target)
    {
    }
    ~TerminalTextBuffer() override;
    TerminalTextBuffer(const TerminalTextBuffer&) = delete;
    TerminalTextBuffer& operator=(const TerminalTextBuffer&) = delete;

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;
    int sync() override;

private:
    // Passes on the pending text up to its last line break, or all of it.
    void PassOn(bool all);

    std::ostream& m_target;
    std::string m_pending;
};

} // namespace vortalux::cli
