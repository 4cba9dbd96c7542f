#pragma once

#include <QString>
#include <QWidget>

#include <filesystem>

class QListWidget;

namespace vortalux {

class ReportList;

// The support panel (picSupport): how to reach the author, the failure reports waiting to be sent,
// and the donation button.
class SupportPanel final : public QWidget {
    Q_OBJECT

public:
    SupportPanel(std::filesystem::path programDirectory, const ReportList& reports, QString supportAddress,
        QString donationPage, QWidget* parent = nullptr);

    // The reports part of the lists' refill: one line per report waiting to be sent.
    void FillReports();

signals:
    void RefreshRequested();

private:
    void OnRemoveSelected();

    std::filesystem::path m_programDirectory;
    const ReportList& m_reports;
    QString m_donationPage;
    QListWidget* m_lstReports = nullptr;
};

} // namespace vortalux
