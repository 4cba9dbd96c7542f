#include "TerminalStatus.h"

#include "TerminalText.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace vortalux {

TerminalStatus::TerminalStatus(std::ostream& out, Style style, int manager)
    : m_out(out)
    , m_terminal(style == Style::RewrittenLine)
    , m_manager(manager)
    , m_columns(m_terminal ? TerminalColumns() : 0)
{
}

TerminalStatus::~TerminalStatus()
{
    if (m_lineOpen) {
        m_out << '\n';
        m_out.flush();
    }
}

TerminalStatus::Style TerminalStatus::StandardErrorStyle()
{
    return isatty(STDERR_FILENO) == 1 ? Style::RewrittenLine : Style::PlainLines;
}

int TerminalStatus::TerminalColumns()
{
    winsize size {};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

void TerminalStatus::SetTag(const std::string& tag)
{
    if (m_tagListener)
        m_tagListener(tag);
    ShowStatus(tag);
}

void TerminalStatus::ShowStatus(const std::string& text)
{
    // Statuses carry link names from pages: printable only.
    m_status = TerminalText(text);
    if (m_terminal) {
        Redraw();
        return;
    }
    m_out << m_status << '\n';
    m_out.flush();
}

void TerminalStatus::ShowCounts(int converted, int selected)
{
    m_counts = std::to_string(converted) + "/" + std::to_string(selected);
}

void TerminalStatus::ShowProgress(int percent)
{
    m_percent = percent;
    if (m_terminal) {
        Redraw();
        return;
    }
    m_out << m_counts << " (" << percent << "%)\n";
    m_out.flush();
}

void TerminalStatus::BatchEnded()
{
    if (m_lineOpen) {
        m_out << '\n';
        m_out.flush();
        m_lineOpen = false;
    }
}

void TerminalStatus::Redraw()
{
    std::string line = std::to_string(m_percent) + "% " + m_counts + " " + m_status;
    // One line that never wraps, so that the carriage return goes back to its start.
    const auto width = static_cast<size_t>(m_columns > 1 ? m_columns - 1 : 79);
    if (line.size() > width)
        line.resize(width);
    m_out << "\r\x1b[K" << line;
    m_out.flush();
    m_lineOpen = true;
}

} // namespace vortalux
