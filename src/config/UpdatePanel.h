#pragma once

#include "UpdateCheck.h"

#include <QWidget>

#include <array>
#include <memory>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vortalux {

class ManagerStore;
class RuleStore;
class ServerExchange;

// The Update panel (picUpdate): "Check for updates..." asks the update server what is new, shows
// one result row per kind (program, download managers, rules) and keeps the offered items for
// the install; a click on the managers' or rules' result opens the details.
class UpdatePanel final : public QWidget {
    Q_OBJECT

public:
    // `serverUrl`: where the checks go; `engineVersion`: the loaded engine's; the stores are the
    // main window's, as last loaded.
    UpdatePanel(std::string serverUrl, std::string engineVersion, const ManagerStore& managers,
        const RuleStore& rules, QWidget* parent = nullptr);
    ~UpdatePanel() override;

    // btnCheckUpdates: runs one check; returns once it has ended.
    void CheckForUpdates();
    // Ends a running check at once (Cancel, Esc).
    void CancelCheck();
    bool IsChecking() const;

    // What the last successful check found (the lists, the counts, CoreStatus).
    const UpdateCheckResult& LastCheck() const { return m_state; }

signals:
    // An exchange started or ended: the main window's other exchange buttons follow it.
    void ExchangeRunning(bool running);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ShowStatus(const std::string& text, int progress);
    void SetBoldRow(int row);
    void ShowResults();
    void ShowDetails(int row);

    std::string m_serverUrl;
    std::string m_engineVersion;
    const ManagerStore& m_managers;
    const RuleStore& m_rules;
    std::unique_ptr<ServerExchange> m_exchange;
    UpdateCheckResult m_state;
    QPushButton* m_btnCheckUpdates = nullptr;
    QPushButton* m_btnDoUpdates = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QWidget* m_frmUpd = nullptr;
    QProgressBar* m_pbUpd = nullptr;
    QLabel* m_lblUpd = nullptr;
    std::array<QLabel*, 3> m_lblChecking {};
    std::array<QLabel*, 3> m_lblChkResult {};
};

} // namespace vortalux
