#include "SupportPanel.h"

#include "DisplayText.h"
#include "MessageBox.h"
#include "NamedControls.h"
#include "ReportList.h"

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
    QString supportAddress, QString donationPage, QWidget* parent)
    : QWidget(parent)
    , m_programDirectory(std::move(programDirectory))
    , m_reports(reports)
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
    auto* send = new QPushButton(QStringLiteral("Send Selected Reports"), reportFrame);
    send->setObjectName(QStringLiteral("btnSendReports"));
    auto* remove = new QPushButton(QStringLiteral("Remove Selected Reports"), reportFrame);
    remove->setObjectName(QStringLiteral("btnDelReports"));
    // Sending reports comes with the update server's exchange.
    send->setEnabled(false);
    connect(remove, &QPushButton::clicked, this, &SupportPanel::OnRemoveSelected);
    auto* reportButtons = new QHBoxLayout;
    reportButtons->addWidget(send);
    reportButtons->addWidget(remove);
    reportButtons->addStretch();
    auto* reportsLayout = new QVBoxLayout(reportFrame);
    reportsLayout->addWidget(label4);
    reportsLayout->addWidget(m_lstReports, 1);
    reportsLayout->addLayout(reportButtons);

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

void SupportPanel::OnRemoveSelected()
{
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
