#pragma once

#include "UpdateCheck.h"

#include <QWidget>

#include <array>
#include <filesystem>
#include <memory>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vortalux {

class ManagerStore;
class RuleStore;
class ServerExchange;
struct InstallView;

// The Update panel (picUpdate): "Check for updates..." asks the update server what is new, shows
// one result row per kind (program, download managers, rules) and keeps the offered items for
// the install; a click on the managers' or rules' result opens the details. "Do the updates..."
// installs what the last check offered.
class UpdatePanel final : public QWidget {
    Q_OBJECT

public:
    // `serverUrl`: where the checks go; `engineVersion`: the loaded engine's; the install writes
    // below `programDirectory`; the stores are the main window's, as last loaded.
    UpdatePanel(std::string serverUrl, std::string engineVersion, std::filesystem::path programDirectory,
        const ManagerStore& managers, const RuleStore& rules, QWidget* parent = nullptr);
    ~UpdatePanel() override;

    // btnCheckUpdates: runs one check; returns once it has ended.
    void CheckForUpdates();
    // btnDoUpdates: installs what the last check offered; returns once it has ended.
    void DoUpdates();
    // Ends a running check or install at once (Cancel, Esc).
    void CancelCheck();
    // True while a check or an install waits on the server.
    bool IsChecking() const;

    // What the last successful check found (the lists, the counts, CoreStatus).
    const UpdateCheckResult& LastCheck() const { return m_state; }

signals:
    // An exchange started or ended: the main window's other exchange buttons follow it.
    void ExchangeRunning(bool running);
    // The install changed the Rules or Managers folder: the lists are to be reloaded.
    void RefreshRequested();
    // The install saved new program files for the updater: the program is to start it and end.
    void ProgramUpdateSaved();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BeginExchange();
    void EndExchange();
    void ShowStatus(const std::string& text, int progress);
    void ShowInstall(const InstallView& view);
    void SetBoldRow(int row);
    void ShowResults();
    void ShowDetails(int row);

    std::string m_serverUrl;
    std::string m_engineVersion;
    std::filesystem::path m_programDirectory;
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
