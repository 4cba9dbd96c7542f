#include "frmMain.h"

#include "AsciiText.h"
#include "ExplorerBarControl.h"
#include "frmRule.h"
#include "ManagersPanel.h"
#include "MessageBox.h"
#include "NamedControls.h"
#include "PaneIcons.h"
#include "RulesPanel.h"
#include "SupportPanel.h"
#include "UpdatePanel.h"
#include "Version.h"
#include "WaitPanel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vortalux {

namespace {

QWidget* AboutPanel(QLabel*& lblVersions, QWidget* parent)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(QStringLiteral("picAbout"));
    auto* picture = new QLabel(panel);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(QIcon(QStringLiteral(":/vtl/vortalux.svg")).pixmap(QSize(96, 96)));
    QLabel* title = NamedLabel("Label1", QStringLiteral("Vortalux"), panel);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 2);
    titleFont.setBold(true);
    title->setFont(titleFont);
    QLabel* text = NamedLabel("Label5",
        QStringLiteral("Vortalux (VTL) is an add-on that will allow you to easilly download pictures "
                       "posted on forums and such using image hosting services without direct links "
                       "through your favorite download manager."),
        panel);
    lblVersions = NamedLabel("lblVersions", QStringLiteral("(version informations)"), panel);
    lblVersions->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* head = new QHBoxLayout;
    head->addWidget(picture);
    head->addWidget(title, 1);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addLayout(head);
    layout->addWidget(text);
    layout->addStretch();
    layout->addWidget(lblVersions);
    return panel;
}

} // namespace

// Blanks as the original command line trimmed them: spaces only.
bool IsUpdateDoneSwitch(const std::string& commandLine) { return TrimBytes(commandLine, " ") == "/UpdDone"; }

std::string VersionLine(const std::string& engineVersion, const std::string& programVersion)
{
    return "Engine (DLL) v" + engineVersion + " -- GUI (EXE) v" + programVersion;
}

frmMain::frmMain(MainWindowSetup setup, QWidget* parent)
    : QWidget(parent)
    , m_setup(std::move(setup))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Vortalux"));
    setWindowIcon(QIcon(QStringLiteral(":/vtl/vortalux.svg")));
    QFont tahoma = font();
    tahoma.setFamilies({QStringLiteral("Tahoma"), tahoma.family()});
    setFont(tahoma);

    m_eBar = new ExplorerBarControl(this);
    m_eBar->setObjectName(QStringLiteral("eBar"));
    m_eBar->setFixedWidth(220);

    auto* panels = new QWidget(this);
    auto* stack = new QGridLayout(panels);
    stack->setContentsMargins(0, 0, 0, 0);
    m_picAbout = AboutPanel(m_lblVersions, panels);
    m_picUpdate = new UpdatePanel(
        m_setup.serverUrl, m_setup.engineVersion, m_setup.programDirectory, m_managers, m_rules, panels);
    m_picWait = new WaitPanel(panels);
    m_picSupport = new SupportPanel(m_setup.programDirectory, m_reports, m_setup.serverUrl, *m_picWait,
        QString::fromStdString(m_setup.supportAddress), QString::fromStdString(m_setup.donationPage), panels);
    m_picManagers = new ManagersPanel(m_managers, panels);
    m_picRules = new RulesPanel(m_setup.programDirectory, m_rules, panels);
    // The panels lie one over another; the navigation shows at most one of them.
    for (QWidget* panel : {m_picAbout, static_cast<QWidget*>(m_picUpdate),
             static_cast<QWidget*>(m_picSupport), static_cast<QWidget*>(m_picManagers),
             static_cast<QWidget*>(m_picRules), static_cast<QWidget*>(m_picWait)})
        stack->addWidget(panel, 0, 0);

    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("btnOk"));
    connect(ok, &QPushButton::clicked, this, &QWidget::close);

    auto* right = new QVBoxLayout;
    right->addWidget(panels, 1);
    auto* okRow = new QHBoxLayout;
    okRow->addStretch();
    okRow->addWidget(ok);
    right->addLayout(okRow);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_eBar);
    layout->addLayout(right, 1);
    resize(820, 640);

    connect(m_picRules, &RulesPanel::EditRequested, this, &frmMain::EditRule);
    connect(m_picRules, &RulesPanel::RefreshRequested, this, &frmMain::RefreshListe);
    connect(m_picManagers, &ManagersPanel::RefreshRequested, this, &frmMain::RefreshListe);
    connect(m_picSupport, &SupportPanel::RefreshRequested, this, &frmMain::RefreshListe);
    connect(m_picUpdate, &UpdatePanel::RefreshRequested, this, &frmMain::RefreshListe);
    connect(m_picUpdate, &UpdatePanel::ProgramUpdateSaved, this, &frmMain::ProgramUpdateSaved);
    // One exchange with the update server at a time: each panel's exchange holds the other's back.
    connect(m_picUpdate, &UpdatePanel::ExchangeRunning, m_picSupport, &SupportPanel::OtherExchangeRunning);
    // The whole panel, so that each of its controls gets back the state it had before.
    connect(m_picSupport, &SupportPanel::ExchangeRunning, m_picUpdate,
        [this](bool running) { m_picUpdate->setEnabled(!running); });

    BuildNavigation();
    m_lblVersions->setText(QString::fromStdString(VersionLine(m_setup.engineVersion, VersionText())));
    RefreshListe();
    Navigate(QStringLiteral("Special Group"), QStringLiteral("about"));
    if (IsUpdateDoneSwitch(m_setup.commandLine))
        ShowMessage("VTL", "Update done", MessageIcon::Information);
}

frmMain::~frmMain()
{
    // The pane, a child, outlives the members; it must not draw from a list that is gone.
    m_eBar->SetImageList(nullptr);
}

void frmMain::BuildNavigation()
{
    m_il.Add(QStringLiteral("about"), PaneIcons::About());
    m_il.Add(QStringLiteral("update"), PaneIcons::Update());
    m_il.Add(QStringLiteral("support"), PaneIcons::Support());
    m_il.Add(QStringLiteral("managers"), PaneIcons::Managers());
    m_il.Add(QStringLiteral("rules"), PaneIcons::Rules());
    m_eBar->SetImageList(&m_il);
    m_eBar->SetFontName(QStringLiteral("Tahoma"));
    m_eBar->SetUseUxThemeText(true);
    m_eBar->AddSpecialGroup(QStringLiteral("Vortalux"), PaneIcons::Logo());
    const QString special = QStringLiteral("Special Group");
    m_eBar->AddItem(special, QStringLiteral("about"), QStringLiteral("About VTL"), QStringLiteral("about"));
    m_eBar->AddItem(
        special, QStringLiteral("update"), QStringLiteral("Check for updates"), QStringLiteral("update"));
    m_eBar->AddItem(
        special, QStringLiteral("support"), QStringLiteral("Support VTL"), QStringLiteral("support"));
    m_eBar->AddGroup(QStringLiteral("settings"), QStringLiteral("Settings"));
    m_eBar->AddItem(QStringLiteral("settings"), QStringLiteral("managers"),
        QStringLiteral("Download Managers"), QStringLiteral("managers"));
    m_eBar->AddItem(QStringLiteral("settings"), QStringLiteral("rules"), QStringLiteral("Rules"),
        QStringLiteral("rules"));
    connect(m_eBar, &ExplorerBarControl::ItemClick, this, &frmMain::Navigate);
}

void frmMain::RefreshListe()
{
    m_rules.LoadRules(m_setup.programDirectory);
    m_picRules->Fill();
    m_managers.LoadManagers(m_setup.programDirectory);
    m_picManagers->Fill();
    m_reports.LoadReports(m_setup.programDirectory);
    m_picSupport->FillReports();
}

void frmMain::Navigate(const QString& group, const QString& item)
{
    for (QWidget* panel :
        {m_picAbout, static_cast<QWidget*>(m_picManagers), static_cast<QWidget*>(m_picRules),
            static_cast<QWidget*>(m_picSupport), static_cast<QWidget*>(m_picUpdate)})
        panel->hide();
    QWidget* shown = nullptr;
    if (group == QLatin1String("Special Group")) {
        if (item == QLatin1String("about"))
            shown = m_picAbout;
        else if (item == QLatin1String("update"))
            shown = m_picUpdate;
        else if (item == QLatin1String("support"))
            shown = m_picSupport;
    } else if (group == QLatin1String("settings")) {
        if (item == QLatin1String("managers"))
            shown = m_picManagers;
        else if (item == QLatin1String("rules"))
            shown = m_picRules;
    }
    if (shown != nullptr)
        shown->show();
}

void frmMain::EditRule(int editedRuleIndex)
{
    std::optional<Rule> rule;
    if (editedRuleIndex >= 0)
        rule = m_rules.Rules().at(static_cast<size_t>(editedRuleIndex));
    frmRule editor(m_setup.programDirectory, std::move(rule), this);
    editor.exec();
    RefreshListe();
}

} // namespace vortalux
