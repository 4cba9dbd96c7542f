#include "frmRule.h"

#include "DisplayText.h"
#include "frmRegExp.h"
#include "frmTryRule.h"
#include "MessageBox.h"
#include "RuleSave.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vortalux {

namespace fs = std::filesystem;

namespace {

constexpr int BytesRole = Qt::UserRole; // the cell's bytes as the rule holds them
constexpr int TagRole = Qt::UserRole + 1; // a search step's global flag

QByteArray Bytes(const std::string& text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::string CellBytes(const QTreeWidgetItem* row, int column)
{
    const QByteArray bytes = row->data(column, BytesRole).toByteArray();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

void SetCell(QTreeWidgetItem* row, int column, const std::string& bytes)
{
    row->setText(column, DisplayText(bytes));
    row->setData(column, BytesRole, Bytes(bytes));
}

QTreeWidget* StepList(const char* name, const char* first, const char* second, QWidget* parent)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setHeaderLabels({QString::fromUtf8(first), QString::fromUtf8(second)});
    list->header()->setSectionResizeMode(QHeaderView::Stretch);
    return list;
}

QPushButton* Button(const char* name, const char* caption, QWidget* parent)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QLabel* Label(const char* name, const char* caption, QWidget* parent)
{
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// The selected row of a step list, nothing when none is selected: "Modify" and "Delete" act on
// the row the user picked, never on one they did not.
QTreeWidgetItem* SelectedRow(QTreeWidget* list)
{
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.front();
}

PatternPromptAnswer AskTester(QWidget* parent, const PatternPromptRequest& request)
{
    frmRegExp tester(static_cast<frmRegExp::Use>(request.use), parent);
    tester.SetPattern(request.pattern);
    tester.SetResult(request.result);
    tester.SetGlobal(request.global);
    tester.SetResultTicked(request.resultTicked);
    tester.exec();
    return {tester.TestedPattern(), tester.TestedResult(), tester.TestedGlobal()};
}

} // namespace

frmRule::frmRule(fs::path programDirectory, std::optional<Rule> rule, QWidget* parent, PatternPrompt prompt)
    : QDialog(parent)
    , m_programDirectory(std::move(programDirectory))
    , m_prompt(std::move(prompt))
{
    setObjectName(QStringLiteral("frmRule"));
    setWindowTitle(QStringLiteral("Rule to get pictures URLs :"));
    if (!m_prompt)
        m_prompt = [this](const PatternPromptRequest& request) { return AskTester(this, request); };

    // General
    auto* general = new QGroupBox(QStringLiteral("General :"), this);
    general->setObjectName(QStringLiteral("Frame2"));
    m_txtName = new QLineEdit(general);
    m_txtName->setObjectName(QStringLiteral("txtName"));
    m_txtVer = new QLineEdit(general);
    m_txtVer->setObjectName(QStringLiteral("txtVer"));
    m_txtVer->hide();
    QLabel* label1 = Label("Label1", "v.", general);
    label1->hide();
    m_lblRegExp = Label("lblRegExp", "", general);
    m_lblRegExp->setFrameShape(QFrame::Box);
    m_lblRegExp->setBackgroundRole(QPalette::Base);
    m_lblRegExp->setForegroundRole(QPalette::Text);
    m_lblRegExp->setAutoFillBackground(true);
    m_lblRegExp->setMinimumHeight(m_txtName->sizeHint().height());
    m_lblRegExp->setCursor(Qt::PointingHandCursor);
    m_lblRegExp->setFocusPolicy(Qt::StrongFocus);
    m_lblRegExp->setToolTip(QStringLiteral("Click to define the identification pattern"));
    m_lblRegExp->installEventFilter(this);
    auto* generalLayout = new QGridLayout(general);
    generalLayout->addWidget(Label("Label2", "Name :", general), 0, 0);
    generalLayout->addWidget(m_txtName, 0, 1);
    generalLayout->addWidget(Label("Label3", "Identification:", general), 1, 0);
    generalLayout->addWidget(m_lblRegExp, 1, 1);

    // The two kinds of steps, each option in the title line of its list's frame.
    auto* types = new QButtonGroup(this);
    auto* replaceFrame = new QGroupBox(this);
    replaceFrame->setObjectName(QStringLiteral("Frame1"));
    m_optReplace
        = new QRadioButton(QStringLiteral("Search && Replace (regexp) in the source URL"), replaceFrame);
    m_optReplace->setObjectName(QStringLiteral("optReplace"));
    m_lvSR = StepList("lvSR", "Rechercher", "Remplacer", replaceFrame);
    QPushButton* addSR = Button("btnAddSR", "Add", replaceFrame);
    QPushButton* changeSR = Button("btnChangeSR", "Modify", replaceFrame);
    QPushButton* delSR = Button("btnDelSR", "Delete", replaceFrame);
    auto* openFrame = new QGroupBox(this);
    openFrame->setObjectName(QStringLiteral("frameOS"));
    m_optOpen = new QRadioButton(QStringLiteral("Open the page (source URL) and search in it"), openFrame);
    m_optOpen->setObjectName(QStringLiteral("optOpen"));
    m_lvOS = StepList("lvOS", "Recherche", "URL résultat", openFrame);
    QPushButton* addOS = Button("btnAddOS", "Add", openFrame);
    QPushButton* changeOS = Button("btnChangeOS", "Modify", openFrame);
    QPushButton* delOS = Button("btnDelOS", "Delete", openFrame);
    types->addButton(m_optReplace);
    types->addButton(m_optOpen);
    const auto stepFrameLayout = [](QGroupBox* frame, QRadioButton* option, QTreeWidget* list,
                                     std::initializer_list<QPushButton*> buttons) {
        auto* column = new QVBoxLayout;
        for (QPushButton* button : buttons)
            column->addWidget(button);
        column->addStretch();
        auto* body = new QHBoxLayout;
        body->addWidget(list, 1);
        body->addLayout(column);
        auto* layout = new QVBoxLayout(frame);
        layout->addWidget(option);
        layout->addLayout(body);
    };
    stepFrameLayout(replaceFrame, m_optReplace, m_lvSR, {addSR, changeSR, delSR});
    stepFrameLayout(openFrame, m_optOpen, m_lvOS, {addOS, changeOS, delOS});

    // Referer
    auto* refererFrame = new QGroupBox(QStringLiteral("Referer"), this);
    refererFrame->setObjectName(QStringLiteral("Frame3"));
    auto* referers = new QButtonGroup(this);
    const char* const refererCaptions[] = {"No referer", "Use origin page of the links",
        "Use the first of the source URLs", "Use the site of the first source URL", "Custom referer :"};
    auto* refererLayout = new QGridLayout(refererFrame);
    for (int i = 0; i < 5; ++i) {
        m_optReferer[static_cast<size_t>(i)]
            = new QRadioButton(QString::fromLatin1(refererCaptions[i]), refererFrame);
        m_optReferer[static_cast<size_t>(i)]->setObjectName(QStringLiteral("optReferer%1").arg(i));
        referers->addButton(m_optReferer[static_cast<size_t>(i)], i);
        refererLayout->addWidget(m_optReferer[static_cast<size_t>(i)], i, 0);
    }
    QPushButton* customReferer = Button("btnCustomReferer", "Define custom referer", refererFrame);
    refererLayout->addWidget(customReferer, 4, 1);
    refererLayout->setColumnStretch(0, 1);

    QPushButton* tryButton = Button("btnTry", "Try on a link...", this);
    QPushButton* ok = Button("btnOk", "Ok", this);
    QPushButton* cancel = Button("btnCancel", "Cancel", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(tryButton);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(general);
    layout->addWidget(replaceFrame, 1);
    layout->addWidget(openFrame, 1);
    layout->addWidget(refererFrame);
    layout->addLayout(buttons);
    resize(640, 640);

    connect(addSR, &QPushButton::clicked, this, &frmRule::AddReplaceStep);
    connect(changeSR, &QPushButton::clicked, this, &frmRule::ModifyReplaceStep);
    connect(delSR, &QPushButton::clicked, this, &frmRule::DeleteReplaceStep);
    connect(m_lvSR, &QTreeWidget::itemDoubleClicked, this, &frmRule::ModifyReplaceStep);
    connect(addOS, &QPushButton::clicked, this, &frmRule::AddSearchStep);
    connect(changeOS, &QPushButton::clicked, this, &frmRule::ModifySearchStep);
    connect(delOS, &QPushButton::clicked, this, &frmRule::DeleteSearchStep);
    connect(m_lvOS, &QTreeWidget::itemDoubleClicked, this, &frmRule::ModifySearchStep);
    connect(customReferer, &QPushButton::clicked, this, &frmRule::DefineCustomReferer);
    connect(referers, &QButtonGroup::idClicked, this, [this] { m_unlistedRefererMode.reset(); });
    connect(tryButton, &QPushButton::clicked, this, &frmRule::TryOnALink);
    connect(ok, &QPushButton::clicked, this, &frmRule::Save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    if (rule)
        Fill(*rule);
}

bool frmRule::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_lblRegExp) {
        const bool clicked = event->type() == QEvent::MouseButtonRelease;
        const bool pressed = event->type() == QEvent::KeyPress
            && (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space
                || static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return
                || static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter);
        if (clicked || pressed) {
            EditIdentification();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmRule::Fill(const Rule& rule)
{
    m_previousName = rule.name;
    m_txtName->setText(DisplayText(rule.name));
    m_txtVer->setText(DisplayText(rule.version));
    (rule.type == RuleType::SearchPage ? m_optOpen : m_optReplace)->setChecked(true);
    SetIdentification(rule.ident);
    for (const ReplaceStep& step : rule.replaceSteps) {
        auto* row = new QTreeWidgetItem(m_lvSR);
        SetCell(row, 0, step.pattern);
        SetCell(row, 1, step.replaceTemplate);
    }
    for (const SearchStep& step : rule.searchSteps) {
        auto* row = new QTreeWidgetItem(m_lvOS);
        SetCell(row, 0, step.pattern);
        SetCell(row, 1, step.resultTemplate);
        row->setData(0, TagRole, static_cast<int>(step.global));
    }
    const int mode = FileValue(rule.refererMode);
    if (mode <= FileValue(RefererMode::Custom))
        m_optReferer[static_cast<size_t>(mode)]->setChecked(true);
    else
        m_unlistedRefererMode = static_cast<uint8_t>(mode);
    SetCustomRefererTag(rule.refererPattern + '\0' + rule.refererTemplate);
}

void frmRule::SetIdentification(const std::string& pattern)
{
    m_ident = pattern;
    m_lblRegExp->setText(DisplayText(pattern));
}

void frmRule::SetCustomRefererTag(std::string tag)
{
    m_customRefererTag = std::move(tag);
    m_optReferer[4]->setText(QStringLiteral("Custom referer :") + DisplayText(CustomReferer().second));
}

std::pair<std::string, std::string> frmRule::CustomReferer() const
{
    const size_t nul = m_customRefererTag.find('\0');
    if (nul == std::string::npos)
        return {std::string(), m_customRefererTag};
    return {m_customRefererTag.substr(0, nul), m_customRefererTag.substr(nul + 1)};
}

int frmRule::ChosenRefererOption() const
{
    for (size_t i = 0; i < m_optReferer.size(); ++i)
        if (m_optReferer[i]->isChecked())
            return static_cast<int>(i);
    return -1;
}

void frmRule::EditIdentification()
{
    const PatternPromptAnswer answer
        = m_prompt({PatternPromptRequest::Use::Identification, m_ident, {}, false, false});
    if (!answer.pattern.empty())
        SetIdentification(answer.pattern);
}

void frmRule::AddReplaceStep()
{
    const PatternPromptAnswer answer
        = m_prompt({PatternPromptRequest::Use::ReplaceStep, {}, {}, false, false});
    if (answer.pattern.empty())
        return;
    auto* row = new QTreeWidgetItem(m_lvSR);
    SetCell(row, 0, answer.pattern);
    SetCell(row, 1, answer.result);
}

void frmRule::ModifyReplaceStep()
{
    QTreeWidgetItem* row = SelectedRow(m_lvSR);
    if (row == nullptr)
        return;
    const PatternPromptAnswer answer = m_prompt(
        {PatternPromptRequest::Use::ReplaceStep, CellBytes(row, 0), CellBytes(row, 1), false, false});
    if (answer.pattern.empty())
        return;
    SetCell(row, 0, answer.pattern);
    SetCell(row, 1, answer.result);
}

void frmRule::DeleteReplaceStep()
{
    QTreeWidgetItem* row = SelectedRow(m_lvSR);
    if (row == nullptr)
        return;
    const MessageAnswer answer = ShowMessage({"DELETE",
        "Are you sure yout want to delete this search/replace step ??\r\n\r\nSearch: " + CellBytes(row, 0)
            + "\r\nReplace: " + CellBytes(row, 1),
        MessageIcon::Question, MessageButtons::YesNo});
    if (answer == MessageAnswer::Yes)
        delete row;
}

void frmRule::AddSearchStep()
{
    const PatternPromptAnswer answer
        = m_prompt({PatternPromptRequest::Use::SearchStep, {}, {}, false, false});
    if (answer.pattern.empty())
        return;
    auto* row = new QTreeWidgetItem(m_lvOS);
    SetCell(row, 0, answer.pattern);
    SetCell(row, 1, answer.result);
    row->setData(0, TagRole, static_cast<int>(answer.global));
}

void frmRule::ModifySearchStep()
{
    QTreeWidgetItem* row = SelectedRow(m_lvOS);
    if (row == nullptr)
        return;
    const std::string result = CellBytes(row, 1);
    const PatternPromptAnswer answer = m_prompt({PatternPromptRequest::Use::SearchStep, CellBytes(row, 0),
        result, row->data(0, TagRole).toInt() != 0, !result.empty()});
    if (answer.pattern.empty())
        return;
    SetCell(row, 0, answer.pattern);
    SetCell(row, 1, answer.result);
    row->setData(0, TagRole, static_cast<int>(answer.global));
}

void frmRule::DeleteSearchStep()
{
    QTreeWidgetItem* row = SelectedRow(m_lvOS);
    if (row == nullptr)
        return;
    const MessageAnswer answer = ShowMessage({"DELETE",
        "Are you sure you want to delete this search step ??\r\n\r\nRegExp: " + CellBytes(row, 0)
            + "\r\nResult: " + CellBytes(row, 1),
        MessageIcon::Question, MessageButtons::YesNo});
    if (answer == MessageAnswer::Yes)
        delete row;
}

void frmRule::DefineCustomReferer()
{
    const auto [pattern, result] = CustomReferer();
    const PatternPromptAnswer answer
        = m_prompt({PatternPromptRequest::Use::CustomReferer, pattern, result, false, true});
    // Defining a custom referer does not choose it.
    if (!answer.pattern.empty())
        SetCustomRefererTag(answer.pattern + '\0' + answer.result);
}

Rule frmRule::EditedRule() const
{
    Rule rule;
    rule.name = m_txtName->text().toStdString();
    rule.version = m_txtVer->text().toStdString();
    rule.ident = m_ident;
    rule.type = m_optOpen->isChecked() ? RuleType::SearchPage : RuleType::ReplaceInLink;
    for (int i = 0; i < m_lvSR->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = m_lvSR->topLevelItem(i);
        rule.replaceSteps.push_back({CellBytes(row, 0), CellBytes(row, 1)});
    }
    for (int i = 0; i < m_lvOS->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = m_lvOS->topLevelItem(i);
        rule.searchSteps.push_back(
            {CellBytes(row, 0), CellBytes(row, 1), static_cast<int16_t>(row->data(0, TagRole).toInt())});
    }
    const int option = ChosenRefererOption();
    if (option >= 0)
        rule.refererMode = static_cast<RefererMode>(option);
    else if (m_unlistedRefererMode)
        rule.refererMode = static_cast<RefererMode>(*m_unlistedRefererMode);
    std::tie(rule.refererPattern, rule.refererTemplate) = CustomReferer();
    return rule;
}

void frmRule::TryOnALink()
{
    frmTryRule trial(EditedRule(), this);
    trial.exec();
}

void frmRule::Save()
{
    RuleDraft draft;
    draft.rule = EditedRule();
    draft.refererChosen = ChosenRefererOption() >= 0 || m_unlistedRefererMode.has_value();
    draft.previousName = m_previousName;
    if (SaveRule(m_programDirectory, draft) == RuleSaveOutcome::Saved) {
        m_txtVer->setText(QStringLiteral("0"));
        accept();
    }
}

} // namespace vortalux
