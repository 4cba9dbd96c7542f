#include "SupportPanel.h"

#include "DisplayText.h"
#include "MessageBox.h"
#include "NamedControls.h"
#include "ReportList.h"
#include "SendReports.h"
#include "ServerAddress.h"
#include "ServerExchange.h"
#include "WaitPanel.h"

#include <QDesktopServices>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace vortalux {

namespace {

QString DonationText()
{
    return QStringLiteral(
        "Dear Friend, Vortalux is freeware. You can use it for free as long and as much as you like.\n\n"
        "However, if you think this software is valuable and you want to support it through monetary "
        "donations, you are encouraged to do so. Your donation will help the development going and "
        "help VTL getting better & better.\n\n"
        "Please click the PayPal button and send the amount you want. All online transactions are "
        "done through PayPal and are safe and secured.\n\n"
        "Thanks For Your Help");
}

} // namespace

SupportPanel::SupportPanel(std::filesystem::path programDirectory, const ReportList& reports,
    std::string serverUrl, WaitPanel& picWait, QString supportAddress, QString donationPage, QWidget* parent)
    : QWidget(parent)
    , m_programDirectory(std::move(programDirectory))
    , m_reports(reports)
    , m_serverUrl(std::move(serverUrl))
    , m_picWait(picWait)
    , m_donationPage(std::move(donationPage))
{
    setObjectName(QStringLiteral("picSupport"));

    QGroupBox* contact = NamedFrame(
        "Frame6", QStringLiteral("Ideas, Suggestions, Bugs, Unsupported Hostings and/or DM....."), this);
    QLabel* lblContact = NamedLabel("lblContact",
        QStringLiteral("If you have any ideas, suggestions, found a bug, know about pictures hosting "
                       "and/or download managers not (yet) supported, feel free to contact me :"),
        contact);
    // The address opens the desktop's mail program, as any link would.
    QLabel* lblEmail = NamedLabel("lblEmail",
        QStringLiteral("<a href=\"mailto:%1\">%1</a>").arg(supportAddress.toHtmlEscaped()), contact);
    lblEmail->setTextFormat(Qt::RichText);
    lblEmail->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(lblEmail, &QLabel::linkActivated, this,
        [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
    auto* contactLayout = new QVBoxLayout(contact);
    contactLayout->addWidget(lblContact);
    contactLayout->addWidget(lblEmail);

    QGroupBox* reportFrame
        = NamedFrame("Frame4", QStringLiteral("Help improve VTL - Sent reports of failure"), this);
    QLabel* label4 = NamedLabel("Label4",
        QStringLiteral("You can help improve VTL by sending in reports of conversion failure. Thoose "
                       "reports are send anonymously and only contains the URL & the rule. That way, "
                       "the rule may be fixed and updated."),
        reportFrame);
    m_lstReports = new QListWidget(reportFrame);
    m_lstReports->setObjectName(QStringLiteral("lstReports"));
    m_lstReports->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_btnSendReports = NamedButton("btnSendReports", QStringLiteral("Send Selected Reports"), reportFrame);
    m_btnDelReports = NamedButton("btnDelReports", QStringLiteral("Remove Selected Reports"), reportFrame);
    connect(m_btnSendReports, &QPushButton::clicked, this, &SupportPanel::SendSelected);
    connect(m_btnDelReports, &QPushButton::clicked, this, &SupportPanel::OnRemoveSelected);
    connect(&m_picWait, &WaitPanel::CancelRequested, this, &SupportPanel::CancelSend);
    // Beyond the original, which does nothing at all then: why a server address is refused.
    m_lblSendStatus = NamedLabel("lblSendStatus", QString(), reportFrame);
    // The address comes from the environment: shown as it is, never as markup.
    m_lblSendStatus->setTextFormat(Qt::PlainText);
    m_lblSendStatus->hide();
    auto* reportButtons = new QHBoxLayout;
    reportButtons->addWidget(m_btnSendReports);
    reportButtons->addWidget(m_btnDelReports);
    reportButtons->addStretch();
    auto* reportsLayout = new QVBoxLayout(reportFrame);
    reportsLayout->addWidget(label4);
    reportsLayout->addWidget(m_lstReports, 1);
    reportsLayout->addLayout(reportButtons);
    reportsLayout->addWidget(m_lblSendStatus);

    QGroupBox* donate = NamedFrame("Frame3", QStringLiteral("Support VTL - Donate"), this);
    QLabel* lblDonate = NamedLabel("lblDonate", DonationText(), donate);
    auto* command1 = new QPushButton(donate);
    command1->setObjectName(QStringLiteral("Command1"));
    command1->setIcon(QIcon(QStringLiteral(":/vtl/donate.svg")));
    command1->setIconSize(QSize(92, 26));
    command1->setFlat(true);
    command1->setCursor(Qt::PointingHandCursor);
    command1->setAccessibleName(QStringLiteral("Donate with PayPal"));
    command1->setToolTip(m_donationPage);
    // The result of the desktop's call is not checked: there is nothing the program could do.
    connect(
        command1, &QPushButton::clicked, this, [this] { QDesktopServices::openUrl(QUrl(m_donationPage)); });
    auto* donateLayout = new QHBoxLayout(donate);
    donateLayout->addWidget(lblDonate, 1);
    donateLayout->addWidget(command1, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(contact);
    layout->addWidget(reportFrame, 1);
    layout->addWidget(donate);
}

SupportPanel::~SupportPanel() = default;

void SupportPanel::FillReports()
{
    m_lstReports->clear();
    const std::vector<ReportEntry>& entries = m_reports.Entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].sent || entries[i].number <= 0)
            continue;
        auto* line = new QListWidgetItem(
            DisplayText("Rule: " + entries[i].ruleName + " - URL: " + entries[i].url), m_lstReports);
        line->setData(Qt::UserRole, static_cast<int>(i));
    }
}

void SupportPanel::SendSelected()
{
    if (m_sending || m_otherExchange)
        return;
    // The selected lines from the first to the last, whatever order they were selected in.
    std::vector<ReportEntry> chosen;
    for (int row = 0; row < m_lstReports->count(); ++row) {
        const QListWidgetItem* line = m_lstReports->item(row);
        if (line->isSelected())
            chosen.push_back(m_reports.Entries().at(static_cast<size_t>(line->data(Qt::UserRole).toInt())));
    }
    if (chosen.empty()) {
        ShowMessage({"VTL", "No reports selected", MessageIcon::Critical, MessageButtons::Ok});
        return;
    }
    m_lblSendStatus->hide();
    std::string why;
    if (!ServerAddress::FromUrl(m_serverUrl, why)) {
        // No exchange and no message box, as designed; the reason stays beside the buttons.
        m_lblSendStatus->setText(DisplayText(why));
        m_lblSendStatus->show();
        return;
    }

    if (!m_exchange)
        m_exchange = std::make_unique<ServerExchange>(m_serverUrl);
    m_sending = true;
    UpdateButtons();
    emit ExchangeRunning(true);
    m_picWait.Start();
    const SendReportsResult result = SendReports(*m_exchange, m_programDirectory, chosen,
        [this](int done, int total) { m_picWait.SetProgress(done * 100 / total); });
    m_picWait.Finish();
    m_sending = false;
    UpdateButtons();
    emit ExchangeRunning(false);

    emit RefreshRequested();
    ShowMessage({"VTL", std::to_string(result.sentCount) + " reports succesfully sent", MessageIcon::None,
        MessageButtons::Ok});
}

void SupportPanel::CancelSend()
{
    if (m_sending && m_exchange)
        m_exchange->Cancel();
}

void SupportPanel::OtherExchangeRunning(bool running)
{
    m_otherExchange = running;
    UpdateButtons();
}

void SupportPanel::UpdateButtons()
{
    m_btnSendReports->setEnabled(!m_sending && !m_otherExchange);
    // Removing reports while they are sent would pull the list from under the send.
    m_btnDelReports->setEnabled(!m_sending);
}

void SupportPanel::OnRemoveSelected()
{
    if (m_sending)
        return;
    const QList<QListWidgetItem*> selected = m_lstReports->selectedItems();
    if (selected.isEmpty())
        return;
    const auto n = static_cast<size_t>(selected.size());
    const std::string question = "Are you sure you want to delete "
        + (n == 1 ? std::string("the report") : "thoose " + std::to_string(n) + " reports")
        + " without sending " + (n == 1 ? "it" : "them") + " ?";
    if (ShowMessage({"VTL", question, MessageIcon::Question, MessageButtons::YesNo}) != MessageAnswer::Yes)
        return;
    std::string failures;
    for (const QListWidgetItem* line : selected) {
        const ReportEntry& entry
            = m_reports.Entries().at(static_cast<size_t>(line->data(Qt::UserRole).toInt()));
        const std::error_code error = ReportList::Delete(m_programDirectory, entry.number);
        // A report that is already gone is what the user asked for.
        if (error && error != std::errc::no_such_file_or_directory)
            failures += "\r\n" + ReportList::PathOf(m_programDirectory, entry.number).string() + ": "
                + error.message();
    }
    emit RefreshRequested();
    if (!failures.empty())
        ShowMessage("VTL", "These reports could not be removed:" + failures, MessageIcon::Critical);
}

} // namespace vortalux
