#include "RulesPanel.h"

#include "DisplayText.h"
#include "MessageBox.h"
#include "NamedControls.h"
#include "RuleFile.h"
#include "RuleListActions.h"
#include "RuleStore.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vortalux {

namespace fs = std::filesystem;

namespace {

constexpr int StoreIndexRole = Qt::UserRole;

} // namespace

RulesPanel::RulesPanel(fs::path programDirectory, RuleStore& store, QWidget* parent)
    : QWidget(parent)
    , m_programDirectory(std::move(programDirectory))
    , m_store(store)
{
    setObjectName(QStringLiteral("picRules"));
    auto* frame = new QGroupBox(QStringLiteral("Rules"), this);
    frame->setObjectName(QStringLiteral("Frame2"));

    auto* label = new QLabel(
        QStringLiteral(
            "Rules are a very important part of VTL process, as they define which URL (links or thumbs) "
            "will be treated and how. They are mainly based of RegExp. If you're not familiar with it, "
            "just don't mess with 'em ;-)"),
        frame);
    label->setObjectName(QStringLiteral("Label3"));
    label->setWordWrap(true);

    m_lstRules = new QListWidget(frame);
    m_lstRules->setObjectName(QStringLiteral("lstRules"));
    m_lstRules->setUniformItemSizes(true); // thousands of rules fill at once

    QPushButton* add = NamedButton("btnAdd", QStringLiteral("Create"), frame);
    QPushButton* change = NamedButton("btnChange", QStringLiteral("Change"), frame);
    QPushButton* remove = NamedButton("btnDel", QStringLiteral("Delete"), frame);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(change);
    buttons->addWidget(remove);
    buttons->addStretch();
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(label);
    frameLayout->addWidget(m_lstRules, 1);
    frameLayout->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);

    connect(m_lstRules, &QListWidget::itemChanged, this, &RulesPanel::OnCheckChanged);
    connect(add, &QPushButton::clicked, this, [this] { emit EditRequested(-1); });
    connect(change, &QPushButton::clicked, this, &RulesPanel::OnChange);
    connect(remove, &QPushButton::clicked, this, &RulesPanel::OnDelete);
}

void RulesPanel::Fill()
{
    m_skipSaving = true;
    m_lstRules->setUpdatesEnabled(false);
    m_lstRules->clear();
    const std::vector<Rule>& rules = m_store.Rules();
    for (size_t i = 0; i < rules.size(); ++i) {
        if (rules[i].name.empty())
            continue;
        auto* entry = new QListWidgetItem(DisplayText(rules[i].name));
        entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
        entry->setData(StoreIndexRole, static_cast<int>(i));
        entry->setCheckState(rules[i].active ? Qt::Checked : Qt::Unchecked);
        m_lstRules->addItem(entry);
    }
    m_lstRules->setUpdatesEnabled(true);
    m_skipSaving = false;
}

void RulesPanel::OnCheckChanged(QListWidgetItem* entry)
{
    if (m_skipSaving)
        return;
    const size_t index = static_cast<size_t>(entry->data(StoreIndexRole).toInt());
    const Rule& rule = m_store.Rules().at(index);
    const bool checked = entry->checkState() == Qt::Checked;
    if (checked == rule.active)
        return;
    const std::string name = rule.name;
    const RuleActiveChange change = SetRuleActive(m_programDirectory, name, checked);
    if (change.error) {
        // Told once, and the list goes back to what the files hold: a lost change must not pass
        // unseen.
        ShowMessage("VTL",
            "The rule " + name + " could not be " + (checked ? "enabled" : "disabled")
                + "; the change was not saved.\r\nFile: "
                + RuleFile::PathOf(m_programDirectory, name).string() + "\r\nError "
                + std::to_string(change.error.value()) + ": " + change.error.message(),
            MessageIcon::Critical);
        // Later: the entry that changed is still in use by the list's own signal.
        QMetaObject::invokeMethod(this, &RulesPanel::RefreshRequested, Qt::QueuedConnection);
        return;
    }
    m_store.SetActive(index, checked);
}

void RulesPanel::OnChange()
{
    const QListWidgetItem* entry = m_lstRules->currentItem();
    if (entry == nullptr || !entry->isSelected())
        return;
    emit EditRequested(entry->data(StoreIndexRole).toInt());
}

void RulesPanel::OnDelete()
{
    const QListWidgetItem* entry = m_lstRules->currentItem();
    if (entry == nullptr || !entry->isSelected())
        return;
    const std::string name
        = m_store.Rules().at(static_cast<size_t>(entry->data(StoreIndexRole).toInt())).name;
    const MessageAnswer answer
        = ShowMessage({"DELETE A RULE", "Are you sure yout want to delete the rule " + name + " ??",
            MessageIcon::Question, MessageButtons::YesNo});
    if (answer != MessageAnswer::Yes)
        return;
    const RuleDeletion deletion = DeleteRule(m_programDirectory, name);
    if (deletion.error) {
        ShowMessage(DeleteFailureMessage(name, deletion));
        return;
    }
    emit RefreshRequested();
    ShowMessage("VTL", "Rule deleted", MessageIcon::None);
}

} // namespace vortalux
