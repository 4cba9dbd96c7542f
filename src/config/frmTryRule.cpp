#include "frmTryRule.h"

#include "DisplayText.h"
#include "PageFetcher.h"
#include "RuleTrial.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vortalux {

namespace {

QLineEdit* Box(const char* name, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QTreeWidget* Table(const char* name, const QStringList& columns, QWidget* parent)
{
    auto* table = new QTreeWidget(parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setRootIsDecorated(false);
    table->setUniformRowHeights(true);
    table->setHeaderLabels(columns);
    table->header()->setStretchLastSection(true);
    return table;
}

} // namespace

frmTryRule::frmTryRule(Rule rule, QWidget* parent)
    : QDialog(parent)
    , m_rule(std::move(rule))
{
    setObjectName(QStringLiteral("frmTryRule"));
    setWindowTitle(QStringLiteral("Try the rule on a link"));

    m_txtLink = Box("txtLink", this);
    m_txtLink->setPlaceholderText(QStringLiteral("http://..."));
    m_txtOrigin = Box("txtOrigin", this);
    m_txtOrigin->setPlaceholderText(QStringLiteral("the page the link was found on"));
    m_txtReferer = Box("txtReferer", this);
    m_btnTry = new QPushButton(QStringLiteral("Try"), this);
    m_btnTry->setObjectName(QStringLiteral("btnTry"));
    m_btnTry->setDefault(true);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Link :"), m_txtLink);
    form->addRow(QStringLiteral("Origin page :"), m_txtOrigin);
    form->addRow(QStringLiteral("Referer received :"), m_txtReferer);

    m_lblStatus = new QLabel(this);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setTextFormat(Qt::PlainText);
    m_lvSteps = Table("lvSteps",
        {QStringLiteral("Step"), QStringLiteral("Pattern"), QStringLiteral("Template"),
            QStringLiteral("Result")},
        this);
    m_lvLinks = Table("lvLinks", {QStringLiteral("Address"), QStringLiteral("Name")}, this);
    m_lblReferer = new QLabel(this);
    m_lblReferer->setObjectName(QStringLiteral("lblReferer"));
    m_lblReferer->setTextFormat(Qt::PlainText);
    m_lblReferer->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("btnClose"));
    close->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btnTry);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_lblStatus);
    layout->addWidget(new QLabel(QStringLiteral("Steps :"), this));
    layout->addWidget(m_lvSteps, 2);
    layout->addWidget(new QLabel(QStringLiteral("Addresses handed off :"), this));
    layout->addWidget(m_lvLinks, 1);
    layout->addWidget(m_lblReferer);
    layout->addLayout(buttons);
    resize(720, 520);

    connect(m_btnTry, &QPushButton::clicked, this, &frmTryRule::Try);
    connect(close, &QPushButton::clicked, this, &frmTryRule::reject);
}

frmTryRule::~frmTryRule() = default;

void frmTryRule::Try()
{
    if (m_trying)
        return;
    if (!m_fetcher) {
        // The browser's cookies, as the engine sends them.
        m_fetcher = std::make_unique<PageFetcher>();
        m_fetcher->SetStatusCallback(
            [this](const std::string& text) { m_lblStatus->setText(DisplayText(text)); });
    }
    const std::string link = m_txtLink->text().trimmed().toStdString();
    const std::string origin = m_txtOrigin->text().trimmed().toStdString();
    const std::string referer = m_txtReferer->text().trimmed().toStdString();
    m_fetcher->SetTag(link);
    m_lvSteps->clear();
    m_lvLinks->clear();
    m_lblReferer->clear();
    m_lblStatus->clear();
    m_trying = true;
    m_btnTry->setEnabled(false);
    const RuleTrialResult result = TryRule(m_rule, *m_fetcher, link,
        origin.empty() ? std::nullopt : std::optional<std::string_view>(origin), referer);
    m_trying = false;
    m_btnTry->setEnabled(true);
    if (m_closeAfterTry) {
        reject();
        return;
    }

    if (!result.identified)
        m_lblStatus->setText(
            QStringLiteral("The identification pattern does not match this link: it stays as it is."));
    else if (!result.downloadFailure.empty())
        m_lblStatus->setText(
            QStringLiteral("The page did not arrive whole: ") + DisplayText(result.downloadFailure));
    else
        m_lblStatus->setText(result.steps.size() == 1
                ? QStringLiteral("The rule identifies the link; 1 step ran.")
                : QStringLiteral("The rule identifies the link; %1 steps ran.").arg(result.steps.size()));
    for (const TrialStep& step : result.steps) {
        auto* row = new QTreeWidgetItem(m_lvSteps);
        row->setText(
            0, DisplayText(StepKindName(step.kind)) + (step.ok ? QString() : QStringLiteral(" (failed)")));
        row->setText(1, DisplayText(step.pattern));
        row->setText(2, DisplayText(step.stepTemplate));
        row->setText(3, DisplayText(step.result));
        if (!step.ok)
            for (int column = 0; column < 4; ++column)
                row->setForeground(column, palette().brush(QPalette::Disabled, QPalette::Text));
    }
    for (const Link& converted : result.links) {
        auto* row = new QTreeWidgetItem(m_lvLinks);
        row->setText(0, DisplayText(converted.url));
        row->setText(1, DisplayText(converted.name));
    }
    m_lblReferer->setText(QStringLiteral("Referer sent : ") + DisplayText(result.referer));
    // Patterns are long; the result column takes what is left.
    for (int column = 0; column < 3; ++column) {
        m_lvSteps->resizeColumnToContents(column);
        m_lvSteps->setColumnWidth(column, std::min(m_lvSteps->columnWidth(column), 220));
    }
    m_lvLinks->resizeColumnToContents(0);
    m_lvLinks->setColumnWidth(0, std::min(m_lvLinks->columnWidth(0), 460));
}

void frmTryRule::reject()
{
    if (m_trying) {
        // Closed while a page loads: end the wait first; the window closes once it has ended.
        m_closeAfterTry = true;
        m_fetcher->Cancel();
        return;
    }
    QDialog::reject();
}

void frmTryRule::keyPressEvent(QKeyEvent* event)
{
    if (m_trying && event->key() == Qt::Key_Escape) {
        m_fetcher->Finish(); // the rule works on what has arrived, as the engine's Esc does
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace vortalux
