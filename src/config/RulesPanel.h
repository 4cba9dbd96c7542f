#pragma once

#include <QWidget>

#include <filesystem>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace vortalux {

class RuleStore;

// The rules panel (picRules): every rule with a check box for its active state, and the buttons
// that create, change and delete rules.
class RulesPanel final : public QWidget {
    Q_OBJECT

public:
    RulesPanel(std::filesystem::path programDirectory, RuleStore& store, QWidget* parent = nullptr);

    // The rules part of the lists' refill: one entry per named rule of the store, checked when
    // active, carrying the rule's store index. Check marks set here write nothing.
    void Fill();

signals:
    // The editor is wanted for the rule at this store index, -1 for a new rule.
    void EditRequested(int editedRuleIndex);
    // The files changed behind the lists: reload everything.
    void RefreshRequested();

private:
    void OnCheckChanged(QListWidgetItem* entry);
    void OnChange();
    void OnDelete();

    std::filesystem::path m_programDirectory;
    RuleStore& m_store;
    QListWidget* m_lstRules = nullptr;
    // The list's "skip_saving" mark while it is being filled.
    bool m_skipSaving = false;
};

} // namespace vortalux
