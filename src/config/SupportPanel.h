#pragma once

#include <QString>
#include <QWidget>

class QListWidget;

namespace vortalux {

// The support panel (picSupport): how to reach the author, the failure reports waiting to be sent,
// and the donation button.
class SupportPanel final : public QWidget {
    Q_OBJECT

public:
    SupportPanel(QString supportAddress, QString donationPage, QWidget* parent = nullptr);

    // The list the failure reports fill (lstReports).
    QListWidget* ReportList() const { return m_lstReports; }

private:
    QString m_donationPage;
    QListWidget* m_lstReports = nullptr;
};

} // namespace vortalux
