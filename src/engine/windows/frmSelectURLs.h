#pragma once

#include "Batch.h"
#include "BatchView.h"
#include "EngineServices.h"
#include "HandOff.h"
#include "ManagerStore.h"
#include "RuleStore.h"
#include "UrlList.h"

#include <QDialog>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeView;

namespace vortalux {

class UrlListModel;

// The window that lists a page's links for the user to choose from, with the download manager
// to send them to; Ok converts the checked ones and sends them in parts (Batch), with the page
// fetcher and the hand-off the window owns.
class frmSelectURLs final : public QDialog, private BatchView {
    Q_OBJECT

public:
    static constexpr int CancelIdleTopTwips = 4440;
    static constexpr int CancelBatchTopTwips = 4320;

    frmSelectURLs(const RuleStore& rules, const ManagerStore& managers, std::unique_ptr<HandOff> handOff,
        std::filesystem::path reportDirectory, QWidget* parent = nullptr);
    ~frmSelectURLs() override;

    // Fills the link list from a page's list (origin page, then URL and description
    // alternating), before the window is shown.
    void FillList(const std::vector<std::string>& urlList);

    PageFetcher& Fetcher() { return m_services.Fetcher(); }
    UrlList& List() { return m_list; }
    bool IsBatchRunning() const { return m_batch != nullptr; }

    // A length of the window design in twips, in pixels of this screen.
    int TwipsToPixels(int twips) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void BuildControls();
    void OnOk();
    void OnCancel();
    void OnCheckSelected();
    void OnHeaderClicked(int column);
    void MoveCancel(int topTwips);

    // BatchView
    void BatchStarted() override;
    void SetTag(const std::string& tag) override;
    void ShowStatus(const std::string& text) override;
    void ShowCounts(int converted, int selected) override;
    void ShowProgress(int percent) override;
    void LetEventsRun() override;
    int SelectedManager() override;
    void BatchFinishing() override;
    void BatchEnded() override;

    const RuleStore& m_rules;
    const ManagerStore& m_managers;
    std::filesystem::path m_reportDirectory;
    EngineServices m_services;
    UrlList m_list;
    // The view shows the model, which watches the list: they go in that order, before the list.
    std::unique_ptr<UrlListModel> m_model;
    std::unique_ptr<QTreeView> m_lv;
    Batch* m_batch = nullptr;

    QLabel* m_label2 = nullptr;
    QComboBox* m_lstManager = nullptr;
    QPushButton* m_btnCheckSelected = nullptr;
    QPushButton* m_btnOk = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QCheckBox* m_chkFullCancel = nullptr;
    QFrame* m_picProgress = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_lblStatus = nullptr;
    QLabel* m_lblNb = nullptr;
    QProgressBar* m_pb = nullptr;
};

} // namespace vortalux
