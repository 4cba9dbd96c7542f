#pragma once

#include "HandOffFactory.h"
#include "ManagerStore.h"
#include "RuleStore.h"

#include <QDialog>

#include <filesystem>
#include <string>

namespace vortalux {

class EngineServices;

// The small window shown while one link is converted and handed to the default download
// manager. It runs the whole flow once, as soon as it is shown, and then closes itself. Esc ends
// a page download that is taking too long: the rules then work on what has arrived.
class frmWait final : public QDialog {
    Q_OBJECT

public:
    frmWait(const RuleStore& rules, const ManagerStore& managers, HandOffFactory handOffFactory,
        std::filesystem::path reportDirectory, QWidget* parent = nullptr);
    ~frmWait() override;

    // Set before the window is shown. Referer is replaced by the referer the link was sent with.
    std::string URL;
    std::string Desc;
    std::string Referer;

    bool FlowDone() const { return m_flowDone; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void RunFlow();

    const RuleStore& m_rules;
    const ManagerStore& m_managers;
    HandOffFactory m_handOffFactory;
    std::filesystem::path m_reportDirectory;
    bool m_flowStarted = false;
    bool m_flowDone = false;
    // The fetcher and hand-off of the flow while it runs (Esc ends the fetcher's download).
    EngineServices* m_services = nullptr;
};

} // namespace vortalux
