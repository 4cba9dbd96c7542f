#include "EngineTestSupport.h"
#include "frmRule.h"
#include "NamedChild.h"
#include "ProfileFile.h"
#include "RecordingPresenter.h"
#include "RuleFile.h"
#include "TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <deque>

using namespace vortalux;
using namespace vortalux::test;

namespace fs = std::filesystem;

namespace {

using Use = PatternPromptRequest::Use;

class RuleEditorTest : public ::testing::Test {
protected:
    frmRule& Open(std::optional<Rule> rule = std::nullopt)
    {
        m_editor = std::make_unique<frmRule>(
            m_home.Path(), std::move(rule), nullptr, [this](const PatternPromptRequest& request) {
                m_requests.push_back(request);
                if (m_answers.empty())
                    return PatternPromptAnswer {};
                PatternPromptAnswer answer = m_answers.front();
                m_answers.pop_front();
                return answer;
            });
        m_editor->show();
        return *m_editor;
    }

    template<typename T> T* Control(const char* name) const { return NamedChild<T>(*m_editor, name); }

    void Click(const char* button) const { Control<QPushButton>(button)->click(); }
    void Answer(std::string pattern, std::string result = {}, int16_t global = 0)
    {
        m_answers.push_back({std::move(pattern), std::move(result), global});
    }
    std::string Key(const std::string& rule, const char* section, const char* key) const
    {
        return ProfileFile::ReadValue(m_home.Path() / "Rules" / (rule + ".vtl"), section, key, "<absent>");
    }
    std::vector<std::string> Rows(const char* list) const
    {
        std::vector<std::string> rows;
        const auto* tree = Control<QTreeWidget>(list);
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            rows.push_back(tree->topLevelItem(i)->text(0).toStdString() + " | "
                + tree->topLevelItem(i)->text(1).toStdString());
        return rows;
    }
    void SelectRow(const char* list, int row) const
    {
        auto* tree = Control<QTreeWidget>(list);
        tree->clearSelection();
        tree->topLevelItem(row)->setSelected(true);
    }

    EngineHome m_home;
    RecordingPresenter m_presenter;
    std::deque<PatternPromptAnswer> m_answers;
    std::vector<PatternPromptRequest> m_requests;
    std::unique_ptr<frmRule> m_editor;
};

TEST_F(RuleEditorTest, ANewRuleIsSavedWithEveryKeyOfTheEditor)
{
    frmRule& editor = Open();
    EXPECT_EQ(editor.windowTitle().toStdString(), "Rule to get pictures URLs :");
    Control<QLineEdit>("txtName")->setText(QStringLiteral("My host"));
    Answer("//host\\.example/");
    QTest::mouseClick(Control<QLabel>("lblRegExp"), Qt::LeftButton);
    Answer("_t\\.", ".");
    Click("btnAddSR");
    Answer("<img src=\"([^\"]+)\"", "$1", 1);
    Click("btnAddOS");
    Answer("^(.*)$", "$SRV");
    Click("btnCustomReferer");
    Control<QRadioButton>("optReferer4")->setChecked(true);
    Click("btnOk");

    ASSERT_EQ(m_requests.size(), 4u);
    EXPECT_EQ(m_requests[0].use, Use::Identification);
    EXPECT_EQ(m_requests[1].use, Use::ReplaceStep);
    EXPECT_EQ(m_requests[2].use, Use::SearchStep);
    EXPECT_EQ(m_requests[3].use, Use::CustomReferer);
    EXPECT_TRUE(m_requests[3].resultTicked);
    EXPECT_EQ(Control<QRadioButton>("optReferer4")->text().toStdString(), "Custom referer :$SRV");
    EXPECT_EQ(ReadFileBytes(m_home.Path() / "Rules" / "My host.vtl"),
        "[Main]\r\nver=0\r\nIdent=//host\\.example/\r\nType=0\r\nReferer=4\r\n\r\n"
        "[SR]\r\nnb=1\r\nsr1.1=_t\\.\r\nsr2.1=.\r\n\r\n"
        "[OS]\r\nnb=1\r\nregexp.1=<img src=\"([^\"]+)\"\r\nresult.1=$1\r\nglobal.1=1\r\n\r\n"
        "[Referer]\r\nRegExp=^(.*)$\r\nResult=$SRV\r\n");
    ASSERT_EQ(m_presenter.Shown().size(), 1u);
    EXPECT_EQ(m_presenter.Shown()[0].text, "Rule saved");
    EXPECT_EQ(editor.result(), QDialog::Accepted);
}

TEST_F(RuleEditorTest, RefusedNamesAndIdentificationsKeepTheEditorOpenAndWriteNothing)
{
    Open();
    Answer("   ");
    QTest::mouseClick(Control<QLabel>("lblRegExp"), Qt::LeftButton);
    for (const char* name : {"a\"b", "a:b", "a|b"}) {
        Control<QLineEdit>("txtName")->setText(QString::fromLatin1(name));
        Click("btnOk");
    }
    Control<QLineEdit>("txtName")->setText(QStringLiteral("with blanks. and dots"));
    Click("btnOk");
    ASSERT_EQ(m_presenter.Shown().size(), 4u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(m_presenter.Shown()[i].text,
            "Incorrect rule name -- Please use a valid filename -- forbidden: / \\ < > ? * \" |");
    EXPECT_EQ(m_presenter.Shown()[3].text, "Identification regexp needed !");
    EXPECT_EQ(m_presenter.Shown()[3].caption, "Error");
    EXPECT_TRUE(m_editor->isVisible());
    EXPECT_FALSE(fs::exists(m_home.Path() / "Rules"));
}

TEST_F(RuleEditorTest, AnExistingRuleOpensWithItsFieldsAndDeletedStepsRenumber)
{
    Rule rule;
    rule.name = "Old";
    rule.version = "3";
    rule.ident = "id";
    rule.type = RuleType::SearchPage;
    rule.replaceSteps = {{"a", "1"}, {"b", "2"}, {"c", "3"}};
    rule.searchSteps = {{"p", "", 0}, {"q", "$1", 1}};
    rule.refererMode = RefererMode::SourceUrl;
    rule.refererPattern = "rp";
    rule.refererTemplate = "rt";
    m_home.ReplaceRule("Old", "id", {});
    Open(rule);
    EXPECT_EQ(Control<QLineEdit>("txtName")->text().toStdString(), "Old");
    EXPECT_EQ(Control<QLabel>("lblRegExp")->text().toStdString(), "id");
    EXPECT_TRUE(Control<QRadioButton>("optOpen")->isChecked());
    EXPECT_TRUE(Control<QRadioButton>("optReferer2")->isChecked());
    EXPECT_EQ(Control<QRadioButton>("optReferer4")->text().toStdString(), "Custom referer :rt");
    EXPECT_EQ(Rows("lvOS"), (std::vector<std::string> {"p | ", "q | $1"}));

    // Modify hands the row to the tester with its global flag and the result box ticked.
    SelectRow("lvOS", 1);
    Click("btnChangeOS");
    ASSERT_EQ(m_requests.size(), 1u);
    EXPECT_EQ(m_requests[0].pattern, "q");
    EXPECT_EQ(m_requests[0].result, "$1");
    EXPECT_TRUE(m_requests[0].global);
    EXPECT_TRUE(m_requests[0].resultTicked);
    EXPECT_EQ(Rows("lvOS")[1], "q | $1"); // cancelled: unchanged

    SelectRow("lvSR", 1);
    m_presenter.QueueAnswer(MessageAnswer::Yes);
    Click("btnDelSR");
    EXPECT_EQ(m_presenter.Shown()[0].caption, "DELETE");
    EXPECT_EQ(m_presenter.Shown()[0].text,
        "Are you sure yout want to delete this search/replace step ??\r\n\r\nSearch: b\r\nReplace: 2");

    Control<QLineEdit>("txtName")->setText(QStringLiteral("New"));
    Click("btnOk");
    EXPECT_FALSE(fs::exists(m_home.Path() / "Rules" / "Old.vtl"));
    EXPECT_EQ(Key("New", "SR", "nb"), "2");
    EXPECT_EQ(Key("New", "SR", "sr1.2"), "c");
    EXPECT_EQ(Key("New", "SR", "sr1.3"), "<absent>");
    EXPECT_EQ(Key("New", "Main", "Type"), "1");
    EXPECT_EQ(Key("New", "Main", "Referer"), "2");
    EXPECT_EQ(Key("New", "Main", "Active"), "<absent>");
}

TEST_F(RuleEditorTest, NoOptionChosenMeansTypeZeroAndNoRefererKey)
{
    Open();
    Control<QLineEdit>("txtName")->setText(QStringLiteral("R"));
    Answer("x");
    QTest::mouseClick(Control<QLabel>("lblRegExp"), Qt::LeftButton);
    Click("btnOk");
    EXPECT_EQ(Key("R", "Main", "Type"), "0");
    EXPECT_EQ(Key("R", "Main", "Referer"), "<absent>");
    EXPECT_EQ(Key("R", "Referer", "RegExp"), "");
    EXPECT_EQ(Key("R", "Referer", "Result"), "");
}

TEST_F(RuleEditorTest, AnUnlistedRefererModeSurvivesTheEditorUnlessAnOptionIsChosen)
{
    Rule rule;
    rule.name = "Odd";
    rule.ident = "x";
    rule.refererMode = static_cast<RefererMode>(9);
    m_home.ReplaceRule("Odd", "x", {}, 9);
    Open(rule);
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(Control<QRadioButton>(("optReferer" + std::to_string(i)).c_str())->isChecked());
    Click("btnOk");
    EXPECT_EQ(Key("Odd", "Main", "Referer"), "9");
}

} // namespace
