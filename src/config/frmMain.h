#pragma once

#include "ImageList.h"
#include "ManagerStore.h"
#include "ReportList.h"
#include "RuleStore.h"

#include <QWidget>

#include <filesystem>
#include <string>

class QLabel;

namespace vortalux {

class ExplorerBarControl;
class ManagersPanel;
class RulesPanel;
class SupportPanel;
class UpdatePanel;
class WaitPanel;

// Where the main window gets what it shows beyond the files: the engine's version, read at
// start-up, the command line, and the addresses the build chose.
struct MainWindowSetup {
    std::filesystem::path programDirectory;
    std::string engineVersion;
    // The program's arguments joined by blanks.
    std::string commandLine;
    std::string supportAddress;
    std::string donationPage;
    // The update server's address (ServerUrl).
    std::string serverUrl;
};

// The configuration program's one window: the navigation pane on the left, the panel it selects
// on the right. Closing it ends the program.
class frmMain final : public QWidget {
    Q_OBJECT

public:
    explicit frmMain(MainWindowSetup setup, QWidget* parent = nullptr);
    ~frmMain() override;

    // Reloads the rules, the download managers and the failure reports and refills their lists.
    void RefreshListe();

    // The navigation pane's item click: shows the panel of (group, item), none for a combination
    // it does not know.
    void Navigate(const QString& group, const QString& item);

    const RuleStore& Rules() const { return m_rules; }
    const ManagerStore& Managers() const { return m_managers; }
    const ReportList& Reports() const { return m_reports; }

signals:
    // An install saved new program files: the updater is to be started and the program to end.
    void ProgramUpdateSaved();

private:
    void BuildNavigation();
    void EditRule(int editedRuleIndex);

    MainWindowSetup m_setup;
    RuleStore m_rules;
    ManagerStore m_managers;
    ReportList m_reports;
    // The pane's icons; the pane lets go of them before they go.
    ImageList m_il;
    ExplorerBarControl* m_eBar = nullptr;
    QWidget* m_picAbout = nullptr;
    UpdatePanel* m_picUpdate = nullptr;
    WaitPanel* m_picWait = nullptr;
    SupportPanel* m_picSupport = nullptr;
    ManagersPanel* m_picManagers = nullptr;
    RulesPanel* m_picRules = nullptr;
    QLabel* m_lblVersions = nullptr;
};

// "Update done" after an update, when the command line is exactly "/UpdDone" apart from blanks
// around it.
bool IsUpdateDoneSwitch(const std::string& commandLine);

// The About panel's version line.
std::string VersionLine(const std::string& engineVersion, const std::string& programVersion);

} // namespace vortalux
