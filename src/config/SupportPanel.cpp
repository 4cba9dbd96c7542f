#include "SupportPanel.h"

#include "NamedControls.h"

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

SupportPanel::SupportPanel(QString supportAddress, QString donationPage, QWidget* parent)
    : QWidget(parent)
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

    QGroupBox* reports
        = NamedFrame("Frame4", QStringLiteral("Help improve VTL - Sent reports of failure"), this);
    QLabel* label4 = NamedLabel("Label4",
        QStringLiteral("You can help improve VTL by sending in reports of conversion failure. Thoose "
                       "reports are send anonymously and only contains the URL & the rule. That way, "
                       "the rule may be fixed and updated."),
        reports);
    m_lstReports = new QListWidget(reports);
    m_lstReports->setObjectName(QStringLiteral("lstReports"));
    m_lstReports->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* send = new QPushButton(QStringLiteral("Send Selected Reports"), reports);
    send->setObjectName(QStringLiteral("btnSendReports"));
    auto* remove = new QPushButton(QStringLiteral("Remove Selected Reports"), reports);
    remove->setObjectName(QStringLiteral("btnDelReports"));
    // Sending and removing reports come with the update server's exchange.
    send->setEnabled(false);
    remove->setEnabled(false);
    auto* reportButtons = new QHBoxLayout;
    reportButtons->addWidget(send);
    reportButtons->addWidget(remove);
    reportButtons->addStretch();
    auto* reportsLayout = new QVBoxLayout(reports);
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
    layout->addWidget(reports, 1);
    layout->addWidget(donate);
}

} // namespace vortalux
