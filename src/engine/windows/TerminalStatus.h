#pragma once

#include "BatchView.h"

#include <QCoreApplication>

#include <functional>
#include <ostream>
#include <string>

namespace vortalux {

// The progress of a headless run on standard error: on a terminal one line that keeps being
// rewritten, otherwise one plain line per status and per finished row.
class TerminalStatus final : public BatchView {
public:
    // How the progress is written: one line rewritten in place (a terminal), or plain lines.
    enum class Style { RewrittenLine, PlainLines };

    TerminalStatus(std::ostream& out, Style style, int manager);
    ~TerminalStatus() override;

    void SetTag(const std::string& tag) override;
    void SetTagListener(std::function<void(const std::string&)> listener)
    {
        m_tagListener = std::move(listener);
    }
    void ShowStatus(const std::string& text) override;
    void ShowCounts(int converted, int selected) override;
    void ShowProgress(int percent) override;
    void LetEventsRun() override { QCoreApplication::processEvents(); }
    int SelectedManager() override { return m_manager; }
    void BatchEnded() override;

    // The style standard error takes: a rewritten line when it is a terminal. And a terminal's
    // width in columns (80 when unknown).
    static Style StandardErrorStyle();
    static int TerminalColumns();

private:
    void Redraw();

    std::ostream& m_out;
    bool m_terminal;
    int m_manager;
    int m_columns;
    std::string m_status;
    std::string m_counts = "0/0";
    int m_percent = 0;
    bool m_lineOpen = false;
    std::function<void(const std::string&)> m_tagListener;
};

} // namespace vortalux
