#include "EngineTestSupport.h"
#include "frmMain.h"
#include "NamedChild.h"
#include "RecordingPresenter.h"
#include "ScriptedServer.h"
#include "TestSupport.h"
#include "Version.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vortalux;
using namespace vortalux::test;

namespace fs = std::filesystem;

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    frmMain& Open(
        const std::string& commandLine = {}, const std::string& serverUrl = "http://127.0.0.1:9/vtl.php")
    {
        m_window = std::make_unique<frmMain>(MainWindowSetup {m_home.Path(), "1.2", commandLine,
            "help@vortalux.invalid", "https://vortalux.invalid/donate", serverUrl});
        m_window->show();
        return *m_window;
    }

    template<typename T> T* Control(const char* name) const { return NamedChild<T>(*m_window, name); }

    // The panels the navigation shows, by name.
    std::vector<std::string> VisiblePanels() const
    {
        std::vector<std::string> visible;
        for (const char* name : {"picAbout", "picUpdate", "picSupport", "picManagers", "picRules"})
            if (Control<QWidget>(name)->isVisible())
                visible.emplace_back(name);
        return visible;
    }

    // Each entry of a list as shown, with "[x] " or "[ ] " before it in a check-box list.
    std::vector<std::string> Entries(const char* list) const
    {
        std::vector<std::string> entries;
        const auto* widget = Control<QListWidget>(list);
        for (int i = 0; i < widget->count(); ++i) {
            const QListWidgetItem* entry = widget->item(i);
            std::string text = entry->text().toStdString();
            if (entry->data(Qt::CheckStateRole).isValid())
                text = (entry->checkState() == Qt::Checked ? "[x] " : "[ ] ") + text;
            entries.push_back(text);
        }
        return entries;
    }

    void Select(const char* list, int row) const { Control<QListWidget>(list)->setCurrentRow(row); }
    void Click(const char* button) const { Control<QPushButton>(button)->click(); }
    fs::path RuleFile(const std::string& name) const { return m_home.Path() / "Rules" / (name + ".vtl"); }

    EngineHome m_home;
    RecordingPresenter m_presenter;
    std::unique_ptr<frmMain> m_window;
};

TEST_F(MainWindowTest, StartsOnTheAboutPanelWithBothVersions)
{
    frmMain& window = Open();
    EXPECT_EQ(window.windowTitle().toStdString(), "Vortalux");
    EXPECT_EQ(VisiblePanels(), std::vector<std::string> {"picAbout"});
    EXPECT_FALSE(Control<QWidget>("picWait")->isVisible());
    EXPECT_EQ(Control<QLabel>("lblVersions")->text().toStdString(),
        "Engine (DLL) v1.2 -- GUI (EXE) v" + VersionText());
    EXPECT_EQ(VersionLine("1.2", "0.1.11"), "Engine (DLL) v1.2 -- GUI (EXE) v0.1.11");
    EXPECT_TRUE(m_presenter.Shown().empty());
}

TEST_F(MainWindowTest, UpdateDoneOnlyForTheExactSwitch)
{
    for (const auto& [commandLine, shown] :
        std::vector<std::pair<std::string, bool>> {{"/UpdDone", true}, {"  /UpdDone  ", true},
            {"/upddone", false}, {"/UpdDone x", false}, {"", false}, {"\t/UpdDone", false}})
        EXPECT_EQ(IsUpdateDoneSwitch(commandLine), shown) << '"' << commandLine << '"';

    Open("  /UpdDone ");
    ASSERT_EQ(m_presenter.Shown().size(), 1u);
    EXPECT_EQ(m_presenter.Shown()[0].caption, "VTL");
    EXPECT_EQ(m_presenter.Shown()[0].text, "Update done");
    EXPECT_EQ(m_presenter.Shown()[0].icon, MessageIcon::Information);
}

TEST_F(MainWindowTest, NavigationShowsOnePanelAndNoneForAnUnknownCombination)
{
    frmMain& window = Open();
    const std::vector<std::tuple<const char*, const char*, std::vector<std::string>>> cases {
        {"Special Group", "update", {"picUpdate"}},
        {"Special Group", "support", {"picSupport"}},
        {"settings", "managers", {"picManagers"}},
        {"settings", "rules", {"picRules"}},
        {"Special Group", "about", {"picAbout"}},
        {"settings", "about", {}},
        {"Settings", "rules", {}},
        {"Details Group", "rules", {}},
    };
    for (const auto& [group, item, visible] : cases) {
        window.Navigate(QString::fromLatin1(group), QString::fromLatin1(item));
        EXPECT_EQ(VisiblePanels(), visible) << group << " / " << item;
    }
}

TEST_F(MainWindowTest, ListsShowRulesWithTheirStateAndTheDefaultManager)
{
    m_home.ReplaceRule("Beta", "b", {{"x", "y"}}, 3, false);
    m_home.ReplaceRule("alpha", "a", {{"x", "y"}});
    WriteFileBytes(RuleFile("NotARule"), "[Main]\r\nIdent=x\r\n");
    m_home.Manager("Wget", true);
    m_home.Manager("Aria", false);
    const std::string before = ReadFileBytes(RuleFile("alpha"));
    Open();
    EXPECT_EQ(Entries("lstRules"), (std::vector<std::string> {"[x] alpha", "[ ] Beta"}));
    EXPECT_EQ(Entries("lstManagers"), (std::vector<std::string> {"Aria", "Wget (Default)"}));
    // Filling the list checks entries; that writes nothing.
    EXPECT_EQ(ReadFileBytes(RuleFile("alpha")), before);
    EXPECT_FALSE(fs::exists(RuleFile("alpha.vtl.tmp")));
}

TEST_F(MainWindowTest, ACheckMarkWritesOnlyTheActiveKeyAndOnlyWhenItChanges)
{
    m_home.ReplaceRule("A", "a", {{"x", "y"}});
    WriteFileBytes(RuleFile("A"), ReadFileBytes(RuleFile("A")) + "; a comment\r\n[Extra]\r\nkey=v\r\n");
    Open();
    auto* list = Control<QListWidget>("lstRules");
    const std::string before = ReadFileBytes(RuleFile("A"));
    list->item(0)->setCheckState(Qt::Checked); // already active
    EXPECT_EQ(ReadFileBytes(RuleFile("A")), before);

    list->item(0)->setCheckState(Qt::Unchecked);
    std::string expected = before;
    expected.replace(expected.find("Active=1"), 8, "Active=0");
    EXPECT_EQ(ReadFileBytes(RuleFile("A")), expected);
    EXPECT_FALSE(m_window->Rules().Rules()[0].active);
    EXPECT_TRUE(m_presenter.Shown().empty());
}

TEST_F(MainWindowTest, AChangeThatCannotBeWrittenIsToldOnceAndTheListShowsTheFiles)
{
    m_home.ReplaceRule("A", "a", {{"x", "y"}});
    m_home.ReplaceRule("Gone", "g", {{"x", "y"}});
    Open();
    // A rule file that vanished since the list was filled is not created again by a check mark.
    fs::remove(RuleFile("Gone"));
    Control<QListWidget>("lstRules")->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(fs::exists(RuleFile("Gone")));
    ASSERT_EQ(m_presenter.Shown().size(), 1u);
    EXPECT_EQ(m_presenter.Shown()[0].icon, MessageIcon::Critical);
    EXPECT_NE(m_presenter.Shown()[0].text.find("Gone"), std::string::npos);
    QCoreApplication::processEvents();
    EXPECT_EQ(Entries("lstRules"), std::vector<std::string> {"[x] A"});

    // A rule file the system will not replace (here: a folder took its place after the load).
    fs::remove(RuleFile("A"));
    fs::create_directories(RuleFile("A") / "inside");
    Control<QListWidget>("lstRules")->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(m_presenter.Shown().size(), 2u);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Entries("lstRules").empty());
}

TEST_F(MainWindowTest, DeleteAsksAndRemovesOnlyOnYes)
{
    m_home.ReplaceRule("A", "a", {{"x", "y"}}, 3, false);
    m_home.ReplaceRule("B", "b", {{"x", "y"}});
    Open();
    Click("btnDel"); // nothing selected
    EXPECT_TRUE(m_presenter.Shown().empty());

    Select("lstRules", 1);
    m_presenter.QueueAnswer(MessageAnswer::No);
    Click("btnDel");
    ASSERT_EQ(m_presenter.Shown().size(), 1u);
    EXPECT_EQ(m_presenter.Shown()[0].caption, "DELETE A RULE");
    EXPECT_EQ(m_presenter.Shown()[0].text, "Are you sure yout want to delete the rule B ??");
    EXPECT_EQ(m_presenter.Shown()[0].buttons, MessageButtons::YesNo);
    EXPECT_TRUE(fs::exists(RuleFile("B")));

    Select("lstRules", 1);
    m_presenter.QueueAnswer(MessageAnswer::Yes);
    Click("btnDel");
    EXPECT_FALSE(fs::exists(RuleFile("B")));
    EXPECT_EQ(Entries("lstRules"), std::vector<std::string> {"[ ] A"});
    ASSERT_EQ(m_presenter.Shown().size(), 3u);
    EXPECT_EQ(m_presenter.Shown()[2].caption, "VTL");
    EXPECT_EQ(m_presenter.Shown()[2].text, "Rule deleted");
    EXPECT_EQ(m_presenter.Shown()[2].icon, MessageIcon::None);
}

TEST_F(MainWindowTest, ADeletionTheSystemRefusesShowsThePathAndTheSystemError)
{
    m_home.ReplaceRule("A", "a", {{"x", "y"}});
    Open();
    fs::remove(RuleFile("A"));
    fs::create_directories(RuleFile("A") / "inside");
    Select("lstRules", 0);
    m_presenter.QueueAnswer(MessageAnswer::Yes);
    Click("btnDel");
    ASSERT_EQ(m_presenter.Shown().size(), 2u);
    EXPECT_EQ(m_presenter.Shown()[1].caption, "Unable to delete the rule");
    EXPECT_EQ(m_presenter.Shown()[1].text,
        "An error occured while trying to delete rule A :\r\nFichier: " + RuleFile("A").string()
            + "\r\nErreur 21: Is a directory");
    EXPECT_EQ(m_presenter.Shown()[1].icon, MessageIcon::Critical);
    EXPECT_EQ(Entries("lstRules"), std::vector<std::string> {"[x] A"}); // not refreshed
}

TEST_F(MainWindowTest, SetAsDefaultMovesTheMarkAndWritesNothingForTheCurrentDefault)
{
    m_home.Manager("Aria", false);
    m_home.Manager("Wget", true);
    const fs::path aria = m_home.Path() / "Managers" / "Aria.vtm";
    const fs::path wget = m_home.Path() / "Managers" / "Wget.vtm";
    Open();
    const std::string wgetBefore = ReadFileBytes(wget);
    Select("lstManagers", 1);
    Click("btnDefManager");
    EXPECT_EQ(ReadFileBytes(wget), wgetBefore);

    Select("lstManagers", 0);
    Click("btnDefManager");
    EXPECT_EQ(Entries("lstManagers"), (std::vector<std::string> {"Aria (Default)", "Wget"}));
    EXPECT_NE(ReadFileBytes(aria).find("Default=1"), std::string::npos);
    EXPECT_NE(ReadFileBytes(wget).find("Default=0"), std::string::npos);
    EXPECT_TRUE(m_presenter.Shown().empty());
}

TEST_F(MainWindowTest, ReportsWaitingToBeSentAreListedAndRemovedAfterTheQuestion)
{
    for (int n = 1; n <= 4; ++n)
        WriteFileBytes(m_home.Path() / (std::to_string(n) + ".vtr"),
            "[Main]\r\nURL=http://h/" + std::to_string(n) + "\r\nSent=" + (n == 2 ? "1" : "0")
                + "\r\n[Rule]\r\nName=R" + std::to_string(n) + "\r\n");
    Open();
    EXPECT_EQ(Entries("lstReports"),
        (std::vector<std::string> {
            "Rule: R1 - URL: http://h/1", "Rule: R3 - URL: http://h/3", "Rule: R4 - URL: http://h/4"}));
    auto* list = Control<QListWidget>("lstReports");
    Click("btnDelReports"); // nothing selected: nothing asked
    EXPECT_TRUE(m_presenter.Shown().empty());

    list->item(0)->setSelected(true);
    m_presenter.QueueAnswer(MessageAnswer::No);
    Click("btnDelReports");
    ASSERT_EQ(m_presenter.Shown().size(), 1u);
    EXPECT_EQ(m_presenter.Shown()[0].text, "Are you sure you want to delete the report without sending it ?");
    EXPECT_TRUE(fs::exists(m_home.Path() / "1.vtr"));

    list->item(1)->setSelected(true);
    list->item(2)->setSelected(true);
    m_presenter.QueueAnswer(MessageAnswer::Yes);
    Click("btnDelReports");
    EXPECT_EQ(m_presenter.Shown()[1].text,
        "Are you sure you want to delete thoose 3 reports without sending them ?");
    EXPECT_TRUE(Entries("lstReports").empty());
    EXPECT_FALSE(fs::exists(m_home.Path() / "1.vtr"));
    EXPECT_TRUE(fs::exists(m_home.Path() / "2.vtr")); // a sent report is not listed, so not removed
    EXPECT_EQ(m_presenter.Shown().size(), 2u);
}

TEST_F(MainWindowTest, SelectedReportsAreSentOneExchangeAtATime)
{
    for (int n = 1; n <= 3; ++n)
        WriteFileBytes(m_home.Path() / (std::to_string(n) + ".vtr"),
            "[Main]\r\nURL=http://h/" + std::to_string(n) + "\r\n[Rule]\r\nName=R" + std::to_string(n)
                + "\r\n");
    // What the window shows while the server has a request: the answer waits for the check.
    std::vector<std::string> during;
    ScriptedServer server([&](int, const std::string& request) {
        const auto shown
            = [&](const char* name) { return Control<QWidget>(name)->isVisible() ? "shown" : "hidden"; };
        const auto enabled
            = [&](const char* name) { return Control<QWidget>(name)->isEnabled() ? "on" : "off"; };
        during.push_back(std::string("wait ") + shown("picWait") + ", send " + enabled("btnSendReports")
            + ", check " + enabled("btnCheckUpdates"));
        const std::string body = request.find("action=versions") != std::string::npos ? "ok1.2:0:0:0"
            : request.find("URL=http%3A%2F%2Fh%2F1") != std::string::npos             ? "ok"
                                                                                      : "OK";
        return ServerReply::Whole(
            "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    });
    Open({}, server.Url("/vtl.php"));
    m_window->Navigate(QStringLiteral("Special Group"), QStringLiteral("support"));

    Click("btnSendReports");
    ASSERT_EQ(m_presenter.Shown().size(), 1u);
    EXPECT_EQ(m_presenter.Shown()[0].text, "No reports selected");
    EXPECT_EQ(m_presenter.Shown()[0].icon, MessageIcon::Critical);
    EXPECT_EQ(m_presenter.Shown()[0].buttons, MessageButtons::Ok);
    EXPECT_TRUE(server.Requests().empty());

    // Selected last to first; sent first to last.
    auto* list = Control<QListWidget>("lstReports");
    list->item(2)->setSelected(true);
    list->item(0)->setSelected(true);
    Click("btnSendReports");
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_NE(server.Requests()[0].find("\r\n\r\naction=sendreport&URL=http%3A%2F%2Fh%2F1&Rule=R1&"),
        std::string::npos);
    EXPECT_NE(server.Requests()[1].find("\r\n\r\naction=sendreport&URL=http%3A%2F%2Fh%2F3&Rule=R3&"),
        std::string::npos);
    EXPECT_EQ(during, (std::vector<std::string>(2, "wait shown, send off, check off")));
    ASSERT_EQ(m_presenter.Shown().size(), 2u);
    EXPECT_EQ(m_presenter.Shown()[1].text, "1 reports succesfully sent");
    EXPECT_EQ(m_presenter.Shown()[1].icon, MessageIcon::None);
    EXPECT_EQ(Entries("lstReports"),
        (std::vector<std::string> {"Rule: R2 - URL: http://h/2", "Rule: R3 - URL: http://h/3"}));
    EXPECT_FALSE(Control<QWidget>("picWait")->isVisible());
    EXPECT_TRUE(Control<QWidget>("btnSendReports")->isEnabled());
    EXPECT_TRUE(Control<QWidget>("btnCheckUpdates")->isEnabled());

    // The other way round: no report leaves while the update check waits.
    m_window->Navigate(QStringLiteral("Special Group"), QStringLiteral("update"));
    Click("btnCheckUpdates");
    ASSERT_EQ(during.size(), 3u);
    EXPECT_EQ(during[2], "wait hidden, send off, check off");
    EXPECT_TRUE(Control<QWidget>("btnSendReports")->isEnabled());
}

TEST_F(MainWindowTest, EscOnTheWaitPanelEndsTheSendAndTheRestStayListed)
{
    for (int n = 1; n <= 2; ++n)
        WriteFileBytes(m_home.Path() / (std::to_string(n) + ".vtr"),
            "[Main]\r\nURL=http://h/" + std::to_string(n) + "\r\n");
    // The server would take each report after a while; Esc, which reaches the focused Cancel
    // button, ends the wait first.
    ScriptedServer server([this](int, const std::string&) {
        QTimer::singleShot(0, [this] { QTest::keyClick(Control<QWidget>("btnCancelWait"), Qt::Key_Escape); });
        return ServerReply {{{2000, "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"}}, true};
    });
    Open({}, server.Url("/vtl.php"));
    m_window->Navigate(QStringLiteral("Special Group"), QStringLiteral("support"));
    Control<QListWidget>("lstReports")->selectAll();
    Click("btnSendReports");
    EXPECT_EQ(server.Requests().size(), 1u);
    ASSERT_EQ(m_presenter.Shown().size(), 1u);
    EXPECT_EQ(m_presenter.Shown()[0].text, "0 reports succesfully sent");
    EXPECT_EQ(Entries("lstReports").size(), 2u);
    EXPECT_FALSE(Control<QWidget>("picWait")->isVisible());
}

TEST_F(MainWindowTest, ARefusedServerAddressSendsNothingAndSaysWhy)
{
    WriteFileBytes(m_home.Path() / "1.vtr", "[Main]\r\nURL=http://h/1\r\n");
    Open({}, "http://updates.example/vtl.php");
    m_window->Navigate(QStringLiteral("Special Group"), QStringLiteral("support"));
    Control<QListWidget>("lstReports")->item(0)->setSelected(true);
    Click("btnSendReports");
    EXPECT_TRUE(m_presenter.Shown().empty());
    EXPECT_FALSE(Control<QWidget>("picWait")->isVisible());
    EXPECT_TRUE(Control<QLabel>("lblSendStatus")->isVisible());
    // The address comes from the environment: markup in it is shown, not rendered.
    EXPECT_EQ(Control<QLabel>("lblSendStatus")->textFormat(), Qt::PlainText);
    EXPECT_NE(Control<QLabel>("lblSendStatus")->text().toStdString().find("https://"), std::string::npos)
        << Control<QLabel>("lblSendStatus")->text().toStdString();
    EXPECT_EQ(Entries("lstReports").size(), 1u);
}

TEST_F(MainWindowTest, PanelTextsAreTheProgramsOwn)
{
    Open();
    EXPECT_EQ(Control<QPushButton>("btnOk")->text().toStdString(), "Ok");
    EXPECT_EQ(
        Control<QLabel>("Label6")->text().toStdString(), "Connecting to VTL website...      Please Wait...");
    const std::string donate = Control<QLabel>("lblDonate")->text().toStdString();
    EXPECT_NE(donate.find("help VTL getting better & better.\n\nPlease click"), std::string::npos);
    EXPECT_NE(
        Control<QLabel>("lblEmail")->text().toStdString().find("help@vortalux.invalid"), std::string::npos);
    EXPECT_FALSE(Control<QPushButton>("btnDoUpdates")->isVisibleTo(m_window.get()));
}

} // namespace
