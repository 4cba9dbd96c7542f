#include "TerminalTextBuffer.h"

#include "TerminalText.h"

namespace vortalux::cli {

TerminalTextBuffer::~TerminalTextBuffer() { sync(); }

TerminalTextBuffer::int_type TerminalTextBuffer::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    m_pending += traits_type::to_char_type(c);
    if (c == '\n')
        PassOn(false);
    return c;
}

std::streamsize TerminalTextBuffer::xsputn(const char* bytes, std::streamsize count)
{
    m_pending.append(bytes, static_cast<size_t>(count));
    PassOn(false);
    return count;
}

int TerminalTextBuffer::sync()
{
    PassOn(true);
    m_target.flush();
    return m_target ? 0 : -1;
}

void TerminalTextBuffer::PassOn(bool all)
{
    // Whole lines only (unless flushed): a UTF-8 sequence never spans a line break, so it is
    // never judged in halves.
    const size_t end = all ? m_pending.size() : m_pending.rfind('\n') + 1;
    if (end == 0)
        return;
    m_target << TerminalText(std::string_view(m_pending).substr(0, end), LineBreaks::Keep);
    m_pending.erase(0, end);
}

} // namespace vortalux::cli
