#pragma once

#include <QString>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <string>

class QLabel;
class QListWidget;
class QPushButton;

namespace vortalux {

class ReportList;
class ServerExchange;
class WaitPanel;

// The support panel (picSupport): how to reach the author, the failure reports waiting to be sent,
// and the donation button.
class SupportPanel final : public QWidget {
    Q_OBJECT

public:
    // `serverUrl`: where reports go; `picWait`: the main window's wait panel, shown while they do.
    SupportPanel(std::filesystem::path programDirectory, const ReportList& reports, std::string serverUrl,
        WaitPanel& picWait, QString supportAddress, QString donationPage, QWidget* parent = nullptr);
    ~SupportPanel() override;

    // The reports part of the lists' refill: one line per report waiting to be sent.
    void FillReports();

    // btnSendReports: sends the selected reports; returns once the send has ended.
    void SendSelected();
    // Ends a running send at once (the wait panel's Cancel, Esc).
    void CancelSend();
    bool IsSending() const { return m_sending; }

    // Another panel's exchange started or ended: no report is sent meanwhile.
    void OtherExchangeRunning(bool running);

signals:
    void RefreshRequested();
    // A send started or ended: the main window's other exchange buttons follow it.
    void ExchangeRunning(bool running);

private:
    void OnRemoveSelected();
    void UpdateButtons();

    std::filesystem::path m_programDirectory;
    const ReportList& m_reports;
    std::string m_serverUrl;
    WaitPanel& m_picWait;
    QString m_donationPage;
    std::unique_ptr<ServerExchange> m_exchange;
    bool m_sending = false;
    bool m_otherExchange = false;
    QListWidget* m_lstReports = nullptr;
    QPushButton* m_btnSendReports = nullptr;
    QPushButton* m_btnDelReports = nullptr;
    QLabel* m_lblSendStatus = nullptr;
};

} // namespace vortalux
