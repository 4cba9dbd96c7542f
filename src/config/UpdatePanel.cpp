#include "UpdatePanel.h"

#include "CheckForUpdates.h"
#include "DisplayText.h"
#include "frmUpdDetails.h"
#include "InstallUpdates.h"
#include "MessageBox.h"
#include "NamedControls.h"
#include "ServerExchange.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vortalux {

namespace {

// The link blue of a result that has something to offer.
const QColor LinkBlue(0, 100, 250);

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

UpdatePanel::UpdatePanel(std::string serverUrl, std::string engineVersion,
    std::filesystem::path programDirectory, const ManagerStore& managers, const RuleStore& rules,
    QWidget* parent)
    : QWidget(parent)
    , m_serverUrl(std::move(serverUrl))
    , m_engineVersion(std::move(engineVersion))
    , m_programDirectory(std::move(programDirectory))
    , m_managers(managers)
    , m_rules(rules)
{
    setObjectName(QStringLiteral("picUpdate"));
    QGroupBox* frame = NamedFrame("Frame5", QStringLiteral("Check for updates"), this);
    m_btnCheckUpdates = NamedButton("btnCheckUpdates", QStringLiteral("Check for updates..."), frame);
    m_btnDoUpdates = NamedButton("btnDoUpdates", QStringLiteral("Do the updates..."), frame);
    m_btnDoUpdates->hide(); // until a check has run

    m_frmUpd = new QWidget(frame);
    m_frmUpd->setObjectName(QStringLiteral("frmUpd"));
    m_frmUpd->hide(); // until the first check
    auto* rows = new QGridLayout(m_frmUpd);
    for (int row = 0; row < 3; ++row) {
        const auto index = static_cast<size_t>(row);
        m_lblChecking[index] = NamedLabel(("lblChecking" + std::to_string(row)).c_str(), QString(), m_frmUpd);
        m_lblChkResult[index] = NamedLabel(
            ("lblChkResult" + std::to_string(row)).c_str(), Text(UpdateTexts::NoResult), m_frmUpd);
        m_lblChkResult[index]->installEventFilter(this);
        rows->addWidget(m_lblChecking[index], row, 0);
        rows->addWidget(m_lblChkResult[index], row, 1);
    }
    rows->setColumnStretch(1, 1);
    m_lblUpd = NamedLabel("lblUpd", Text(UpdateTexts::Connecting), m_frmUpd);
    m_pbUpd = new QProgressBar(m_frmUpd);
    m_pbUpd->setObjectName(QStringLiteral("pbUpd"));
    m_pbUpd->setRange(0, 100);
    m_pbUpd->setValue(0);
    // Beyond the original: a check that waits on a silent server can be ended.
    m_btnCancel = NamedButton("btnCancelUpd", QStringLiteral("Cancel"), m_frmUpd);
    m_btnCancel->setEnabled(false);
    auto* progress = new QHBoxLayout;
    progress->addWidget(m_pbUpd, 1);
    progress->addWidget(m_btnCancel);
    rows->addWidget(m_lblUpd, 3, 0, 1, 2);
    rows->addLayout(progress, 4, 0, 1, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_btnCheckUpdates);
    buttons->addWidget(m_btnDoUpdates);
    buttons->addStretch();
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_frmUpd);
    frameLayout->addStretch();
    frameLayout->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);

    connect(m_btnCheckUpdates, &QPushButton::clicked, this, &UpdatePanel::CheckForUpdates);
    connect(m_btnDoUpdates, &QPushButton::clicked, this, &UpdatePanel::DoUpdates);
    connect(m_btnCancel, &QPushButton::clicked, this, &UpdatePanel::CancelCheck);
}

UpdatePanel::~UpdatePanel() = default;

bool UpdatePanel::IsChecking() const { return m_exchange && m_exchange->IsBusy(); }

void UpdatePanel::CheckForUpdates()
{
    if (IsChecking())
        return;
    m_btnDoUpdates->hide();
    m_frmUpd->show();
    for (size_t row = 0; row < 3; ++row)
        m_lblChecking[row]->setText(Text(UpdateTexts::CheckCaptions[row]));
    BeginExchange();

    LocalVersions local = LocalVersions::FromStores(m_managers, m_rules);
    local.engine = m_engineVersion;
    const UpdateCheckResult result = vortalux::CheckForUpdates(
        *m_exchange, local, [this](const std::string& text, int progress) { ShowStatus(text, progress); });

    EndExchange();
    SetBoldRow(-1);
    ShowStatus(result.Status(), result.progress);
    if (!result.failure.empty())
        m_lblUpd->setToolTip(DisplayText(result.failure));
    if (!result.IsDone())
        return; // the earlier check's state stays
    m_lblUpd->setToolTip(QString());
    m_state = result;
    ShowResults();
    m_btnDoUpdates->show();
}

void UpdatePanel::DoUpdates()
{
    if (IsChecking() || !m_state.IsDone())
        return;
    BeginExchange();
    const InstallResult result = InstallUpdates(
        *m_exchange, m_programDirectory, m_state, [this](const InstallView& view) { ShowInstall(view); },
        QLocale().decimalPoint().toStdString());
    EndExchange();
    ShowInstall(result.view);
    m_lblUpd->setToolTip(result.failure.empty() ? QString() : DisplayText(result.failure));
    // Whatever was installed before a stop is in the folders now.
    if (!result.installedManagers.empty() || !result.installedRules.empty() || result.IsDone())
        emit RefreshRequested();
    if (!result.IsDone())
        return; // the frame and the button stay, so the same install can run again
    m_frmUpd->hide();
    m_btnDoUpdates->hide();
    if (result.NeedsUpdater())
        emit ProgramUpdateSaved();
    else
        ShowMessage("VTL", "Update done", MessageIcon::Information);
}

void UpdatePanel::BeginExchange()
{
    if (!m_exchange)
        m_exchange = std::make_unique<ServerExchange>(m_serverUrl);
    m_btnCheckUpdates->setEnabled(false);
    m_btnDoUpdates->setEnabled(false);
    m_btnCancel->setEnabled(true);
    emit ExchangeRunning(true);
}

void UpdatePanel::EndExchange()
{
    m_btnCancel->setEnabled(false);
    m_btnCheckUpdates->setEnabled(true);
    m_btnDoUpdates->setEnabled(true);
    emit ExchangeRunning(false);
}

void UpdatePanel::ShowInstall(const InstallView& view)
{
    for (size_t row = 0; row < 3; ++row) {
        m_lblChecking[row]->setText(Text(view.captions[row]));
        m_lblChkResult[row]->setText(DisplayText(view.results[row]));
    }
    SetBoldRow(view.boldRow);
    m_lblUpd->setText(DisplayText(view.status));
    m_pbUpd->setValue(view.progress);
}

void UpdatePanel::CancelCheck()
{
    if (IsChecking())
        m_exchange->Cancel();
}

void UpdatePanel::ShowStatus(const std::string& text, int progress)
{
    m_lblUpd->setText(DisplayText(text));
    m_pbUpd->setValue(progress);
    // The analysis works on the rows in turn.
    if (text == UpdateTexts::Analysing)
        SetBoldRow(0);
}

void UpdatePanel::SetBoldRow(int row)
{
    for (int i = 0; i < 3; ++i) {
        for (QLabel* label :
            {m_lblChecking[static_cast<size_t>(i)], m_lblChkResult[static_cast<size_t>(i)]}) {
            QFont font = label->font();
            font.setBold(i == row);
            label->setFont(font);
        }
    }
}

void UpdatePanel::ShowResults()
{
    for (size_t row = 0; row < 3; ++row) {
        QLabel* label = m_lblChkResult[row];
        label->setText(DisplayText(m_state.results[row]));
        const bool link = m_state.looks[row] == ResultLook::Link;
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, link ? LinkBlue : this->palette().color(QPalette::ButtonText));
        label->setPalette(palette);
        // The managers' and rules' results open their details when they offer something.
        const bool opens = link && row > 0;
        QFont font = label->font();
        font.setUnderline(opens);
        label->setFont(font);
        label->setCursor(opens ? Qt::SizeAllCursor : Qt::ArrowCursor);
    }
}

void UpdatePanel::ShowDetails(int row)
{
    if (row == 0)
        return;
    const UpdateList list = row == 1 ? UpdateList::Managers : UpdateList::Rules;
    std::vector<UpdateItem>& items = row == 1 ? m_state.managerUpdates : m_state.ruleUpdates;
    if (items.empty())
        return;
    frmUpdDetails details(items, list, this);
    if (details.exec() != QDialog::Accepted)
        return;
    m_state.results[static_cast<size_t>(row)] = UpdateDetails(items, details.Chosen());
    m_lblChkResult[static_cast<size_t>(row)]->setText(DisplayText(m_state.results[static_cast<size_t>(row)]));
}

bool UpdatePanel::eventFilter(QObject* watched, QEvent* event)
{
    // The install reads the choices: they stay as they are while it runs.
    if (event->type() == QEvent::MouseButtonRelease && !IsChecking()) {
        for (int row = 0; row < 3; ++row)
            if (watched == m_lblChkResult[static_cast<size_t>(row)]) {
                ShowDetails(row);
                return true;
            }
    }
    return QWidget::eventFilter(watched, event);
}

void UpdatePanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && IsChecking()) {
        CancelCheck();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace vortalux
