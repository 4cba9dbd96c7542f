#include "UpdatePanel.h"
#include "EngineTestSupport.h"
#include "ManagerStore.h"
#include "NamedChild.h"
#include "RecordingPresenter.h"
#include "RuleStore.h"
#include "ScriptedServer.h"
#include "Version.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace vortalux;
using namespace vortalux::test;

namespace {

std::string Reply(const std::string& body)
{
    return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

class UpdatePanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_home.Manager("Wget", true);
        m_home.ReplaceRule("Gallery page", "g", {});
        m_managers.LoadManagers(m_home.Path());
        m_rules.LoadRules(m_home.Path());
    }

    UpdatePanel& Open(ScriptedServer& server)
    {
        m_panel = std::make_unique<UpdatePanel>(
            server.Url("/vtl.php"), "1.2.3", m_home.Path(), m_managers, m_rules);
        m_panel->show();
        return *m_panel;
    }

    std::string Text(const char* label) const
    {
        return NamedChild<QLabel>(*m_panel, label)->text().toStdString();
    }
    bool Shown(const char* name) const { return NamedChild<QWidget>(*m_panel, name)->isVisible(); }

    EngineHome m_home;
    ManagerStore m_managers;
    RuleStore m_rules;
    RecordingPresenter m_presenter;
    std::unique_ptr<UpdatePanel> m_panel;
};

TEST_F(UpdatePanelTest, ACheckShowsTheResultsAndTheDetailsChooseTheItems)
{
    ScriptedServer server([](int, const std::string&) {
        return ServerReply::Whole(Reply("ok1.10.0:" + VersionText() + ":0:2:Gallery page:5:NewHost:2"));
    });
    UpdatePanel& panel = Open(server);
    EXPECT_FALSE(Shown("frmUpd"));
    EXPECT_FALSE(Shown("btnDoUpdates"));
    NamedChild<QPushButton>(panel, "btnCheckUpdates")->click();

    EXPECT_EQ(Text("lblUpd"), "Done.");
    EXPECT_EQ(Text("lblChecking2"), "Check for new/updated rules...");
    EXPECT_EQ(Text("lblChkResult0"), "new DLL v1.10.0");
    EXPECT_EQ(Text("lblChkResult1"), "0 new, 0 updates");
    EXPECT_EQ(Text("lblChkResult2"), "1 new, 1 updates");
    EXPECT_TRUE(Shown("btnDoUpdates"));
    EXPECT_EQ(panel.LastCheck().coreStatus, 2);
    EXPECT_EQ(NamedChild<QLabel>(panel, "lblChkResult2")->palette().color(QPalette::WindowText),
        QColor(0, 100, 250));
    EXPECT_TRUE(NamedChild<QLabel>(panel, "lblChkResult2")->font().underline());
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_NE(server.Requests()[0].find("\r\n\r\naction=versions"), std::string::npos);

    // The details: the new rule is left out.
    QTimer::singleShot(0, [] {
        auto* details = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(details, nullptr);
        EXPECT_EQ(details->windowTitle().toStdString(), "Details");
        auto* list = NamedChild<QTreeWidget>(*details, "lv");
        EXPECT_EQ(list->topLevelItem(1)->text(1).toStdString(), "New rule");
        list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
        NamedChild<QPushButton>(*details, "btnOk")->click();
    });
    QTest::mouseClick(NamedChild<QLabel>(panel, "lblChkResult2"), Qt::LeftButton);
    EXPECT_EQ(Text("lblChkResult2"), "0/1 new, 1 updates");
    EXPECT_FALSE(panel.LastCheck().ruleUpdates[1].selected);
}

TEST_F(UpdatePanelTest, AFailedCheckKeepsTheEarlierStateAndHidesTheInstall)
{
    int replies = 0;
    ScriptedServer server([&replies](int, const std::string&) {
        return ServerReply::Whole(++replies == 1
                ? Reply("ok1.2.3:" + VersionText() + ":0:0")
                : std::string("HTTP/1.0 500 Oops\r\nContent-Length: 2\r\n\r\nok"));
    });
    UpdatePanel& panel = Open(server);
    NamedChild<QPushButton>(panel, "btnCheckUpdates")->click();
    EXPECT_EQ(Text("lblChkResult0"), "no updates");
    EXPECT_TRUE(Shown("btnDoUpdates"));

    NamedChild<QPushButton>(panel, "btnCheckUpdates")->click();
    EXPECT_EQ(Text("lblUpd"), "Error! Incorrect data received from server");
    EXPECT_EQ(NamedChild<QProgressBar>(panel, "pbUpd")->value(), 0);
    EXPECT_FALSE(Shown("btnDoUpdates"));
    EXPECT_EQ(Text("lblChkResult0"), "no updates");
    EXPECT_TRUE(m_presenter.Shown().empty());
}

TEST_F(UpdatePanelTest, TheInstallReplacesTheRulesReloadsTheListsAndSaysUpdateDone)
{
    std::vector<bool> buttonsDuringInstall;
    UpdatePanel* shown = nullptr;
    ScriptedServer server([&](int index, const std::string& request) {
        if (index == 0)
            return ServerReply::Whole(Reply("ok1.2.3:" + VersionText() + ":0:1:Gallery page:5"));
        // While the file is fetched, nothing else may start an exchange.
        buttonsDuringInstall = {NamedChild<QPushButton>(*shown, "btnCheckUpdates")->isEnabled(),
            NamedChild<QPushButton>(*shown, "btnDoUpdates")->isEnabled(),
            NamedChild<QPushButton>(*shown, "btnCancelUpd")->isEnabled()};
        EXPECT_NE(request.find("action=getfile&name=Rules%2FGallery+page%2Evtl"), std::string::npos);
        return ServerReply::Whole(Reply("ok[Rule]\r\nver=5\r\n"));
    });
    UpdatePanel& panel = Open(server);
    shown = &panel;
    int refreshes = 0;
    int updaterStarts = 0;
    QObject::connect(&panel, &UpdatePanel::RefreshRequested, [&] { ++refreshes; });
    QObject::connect(&panel, &UpdatePanel::ProgramUpdateSaved, [&] { ++updaterStarts; });
    NamedChild<QPushButton>(panel, "btnCheckUpdates")->click();
    ASSERT_TRUE(Shown("btnDoUpdates"));
    NamedChild<QPushButton>(panel, "btnDoUpdates")->click();

    EXPECT_EQ(buttonsDuringInstall, (std::vector<bool> {false, false, true}));
    EXPECT_EQ(test::ReadFileBytes(m_home.Path() / "Rules" / "Gallery page.vtl"), "[Rule]\r\nver=5\r\n");
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(updaterStarts, 0);
    EXPECT_EQ(Text("lblChecking2"), "Download new/updated rules...");
    EXPECT_EQ(Text("lblChkResult2"), "done");
    EXPECT_EQ(Text("lblChkResult0"), "no updates"); // no program files: the check's text stays
    EXPECT_FALSE(Shown("frmUpd"));
    EXPECT_FALSE(Shown("btnDoUpdates"));
    ASSERT_EQ(m_presenter.Shown().size(), 1u);
    EXPECT_EQ(m_presenter.Shown()[0].text, "Update done");
    EXPECT_EQ(m_presenter.Shown()[0].icon, MessageIcon::Information);
}

TEST_F(UpdatePanelTest, NewProgramFilesHandOverToTheUpdaterAndAStopKeepsTheFrame)
{
    bool engineArrives = false;
    ScriptedServer server([&](int index, const std::string& request) {
        if (index == 0)
            return ServerReply::Whole(Reply("ok9.0.0:" + VersionText() + ":0:0"));
        if (request.ends_with("name=core\r\n"))
            return ServerReply::Whole(Reply("okvtl:libvortalux.so"));
        return ServerReply::Whole(engineArrives ? Reply("okengine") : Reply("error"));
    });
    UpdatePanel& panel = Open(server);
    int updaterStarts = 0;
    QObject::connect(&panel, &UpdatePanel::ProgramUpdateSaved, [&] { ++updaterStarts; });
    NamedChild<QPushButton>(panel, "btnCheckUpdates")->click();
    ASSERT_EQ(panel.LastCheck().coreStatus, 2);

    NamedChild<QPushButton>(panel, "btnDoUpdates")->click();
    EXPECT_EQ(Text("lblUpd"), "Error! Incorrect data received from server");
    EXPECT_EQ(Text("lblChkResult0"), "1/1: libvortalux.so");
    EXPECT_TRUE(Shown("frmUpd"));
    EXPECT_TRUE(Shown("btnDoUpdates"));
    EXPECT_TRUE(NamedChild<QPushButton>(panel, "btnDoUpdates")->isEnabled());
    EXPECT_EQ(updaterStarts, 0);

    // The same install again, now that the server has the file.
    engineArrives = true;
    NamedChild<QPushButton>(panel, "btnDoUpdates")->click();
    EXPECT_EQ(updaterStarts, 1);
    EXPECT_EQ(test::ReadFileBytes(m_home.Path() / "libvortalux.so.vtu"), "engine");
    EXPECT_TRUE(m_presenter.Shown().empty());
}

} // namespace
