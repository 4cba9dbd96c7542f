#pragma once

#include "PatternPrompt.h"
#include "Rule.h"

#include <QDialog>

#include <array>
#include <filesystem>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QRadioButton;
class QTreeWidget;
class QPushButton;

namespace vortalux {

// The rule editor: every field of one rule, each pattern entered through the pattern tester,
// saved as a whole new file on Ok.
class frmRule final : public QDialog {
    Q_OBJECT

public:
    // `rule`: the rule to change, nothing for a new one. `prompt`: how patterns are asked for;
    // by default the pattern tester window.
    frmRule(std::filesystem::path programDirectory, std::optional<Rule> rule, QWidget* parent = nullptr,
        PatternPrompt prompt = {});

    // The rule as the editor holds it now (unsaved).
    Rule EditedRule() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill(const Rule& rule);
    void EditIdentification();
    void AddReplaceStep();
    void ModifyReplaceStep();
    void DeleteReplaceStep();
    void AddSearchStep();
    void ModifySearchStep();
    void DeleteSearchStep();
    void DefineCustomReferer();
    void TryOnALink();
    void Save();
    void SetIdentification(const std::string& pattern);
    void SetCustomRefererTag(std::string tag);
    // The pattern and the result held by the custom referer's tag.
    std::pair<std::string, std::string> CustomReferer() const;
    int ChosenRefererOption() const;

    std::filesystem::path m_programDirectory;
    std::optional<std::string> m_previousName;
    PatternPrompt m_prompt;
    std::string m_ident;
    // btnCustomReferer's tag: the referer pattern, a NUL, the referer template.
    std::string m_customRefererTag;
    // A mode of the loaded rule that no option shows; kept unless an option is chosen.
    std::optional<uint8_t> m_unlistedRefererMode;
    QLineEdit* m_txtName = nullptr;
    QLineEdit* m_txtVer = nullptr;
    QLabel* m_lblRegExp = nullptr;
    QRadioButton* m_optReplace = nullptr;
    QRadioButton* m_optOpen = nullptr;
    QTreeWidget* m_lvSR = nullptr;
    QTreeWidget* m_lvOS = nullptr;
    std::array<QRadioButton*, 5> m_optReferer {};
};

} // namespace vortalux
