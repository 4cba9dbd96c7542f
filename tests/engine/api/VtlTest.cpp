#include "VTL.h"
#include "EngineTestSupport.h"
#include "frmSelectURLs.h"
#include "Intake.h"
#include "OriginPage.h"
#include "RecordingPresenter.h"
#include "ScriptedServer.h"
#include "Version.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace vortalux;
using namespace vortalux::test;

namespace {

using Links = std::vector<Link>;

class VtlTest : public ::testing::Test {
protected:
    VTL& Engine(VtlOptions::Interface interface)
    {
        VtlOptions options;
        options.interface = interface;
        options.programDirectory = m_home.Path();
        options.handOffFactory
            = RecordingHandOff::Factory(m_calls, [this] { return m_presenter.Shown().size(); });
        m_engine = std::make_unique<VTL>(options);
        return *m_engine;
    }

    // Runs `action` on the next modal window the engine shows.
    void OnModalWindow(std::function<void(QWidget*)> action)
    {
        QTimer::singleShot(0, [this, action] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) {
                OnModalWindow(action);
                return;
            }
            action(modal);
        });
    }

    EngineHome m_home;
    RecordingPresenter m_presenter;
    std::shared_ptr<RecordingHandOff::Log> m_calls = std::make_shared<RecordingHandOff::Log>();
    std::unique_ptr<VTL> m_engine;
};

} // namespace

TEST_F(VtlTest, VersionIsTheBuildsVersion)
{
    EXPECT_EQ(Engine(VtlOptions::Interface::Headless).Version(), VersionText());
    EXPECT_EQ(VersionText(), "0.1.4");
}

TEST_F(VtlTest, WithoutAnyManagerTheCallEndsAfterOneCriticalMessage)
{
    m_home.ReplaceRule("A", "a", {});
    Engine(VtlOptions::Interface::Windows).AddUrl("http://a/1.jpg", "", "http://r/");
    Engine(VtlOptions::Interface::Windows).AddUrlList({"http://origin/", "http://a/1.jpg", ""});
    ASSERT_EQ(m_presenter.Shown().size(), 2u);
    const MessageRequest& message = m_presenter.Shown()[0];
    EXPECT_EQ(message.caption, "Vortalux");
    EXPECT_EQ(message.text,
        "There are no download managers supported at the moment. Please check your installation of VTL."
        "\r\n\r\nTip: You can start VTL and check for an update to get new download managers definitions.");
    EXPECT_EQ(message.icon, MessageIcon::Critical);
    EXPECT_TRUE(m_calls->empty());
    // The list call ended before it took its origin page.
    EXPECT_NE(OriginPage(), "http://origin/");
}

TEST_F(VtlTest, WithoutADefaultManagerTheFirstServesThisCallOnly)
{
    m_home.Manager("Wget", false);
    m_home.Manager("aria", false);
    const std::string before = ReadFileBytes(m_home.Path() / "Managers" / "aria.vtm");
    Engine(VtlOptions::Interface::Headless).AddUrl("http://nowhere/x/pic.jpg", "", "http://forum/t");

    ASSERT_EQ(m_presenter.Shown().size(), 2u);
    EXPECT_EQ(m_presenter.Shown()[0].text,
        "There is no download managers set by default. VTL will use aria as default for this time.\r\n"
        "Please run VTL and select a default DM");
    EXPECT_EQ(m_presenter.Shown()[0].icon, MessageIcon::Information);
    // No active rule either: that message comes second and the link still goes out.
    EXPECT_EQ(m_presenter.Shown()[1].text,
        "There are no active rules !\r\nPlease run VTL and selected the rules (or Image Hosting Service) you "
        "that VTL should look for.");
    EXPECT_EQ(m_presenter.Shown()[1].icon, MessageIcon::Critical);
    ASSERT_EQ(m_calls->size(), 1u);
    EXPECT_EQ((*m_calls)[0].procedure, "AddLink");
    EXPECT_EQ((*m_calls)[0].position, 0);
    EXPECT_EQ((*m_calls)[0].referer, "http://forum/t");
    EXPECT_EQ((*m_calls)[0].links, (Links {{"http://nowhere/x/pic.jpg", "pic.jpg"}}));
    EXPECT_EQ(ReadFileBytes(m_home.Path() / "Managers" / "aria.vtm"), before);
}

TEST_F(VtlTest, SingleLinkWindowHandsOffAndClosesItself)
{
    m_home.Manager("Wget", true);
    m_home.ReplaceRule("Thumbs", "_t\\.", {{"_t\\.", "."}}, 2);
    Engine(VtlOptions::Interface::Windows).AddUrl("http://h/a/cat_t.jpg", "Cat", "http://forum/t");
    EXPECT_TRUE(m_presenter.Shown().empty());
    ASSERT_EQ(m_calls->size(), 1u);
    EXPECT_EQ((*m_calls)[0].procedure, "AddLink");
    EXPECT_EQ((*m_calls)[0].referer, "http://h/a/cat_t.jpg");
    EXPECT_EQ((*m_calls)[0].links, (Links {{"http://h/a/cat.jpg", "cat.jpg"}}));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(VtlTest, SingleLinkWithTwoAddressesOnItsPageGoesOutAsOneList)
{
    m_home.Manager("Wget", true);
    ScriptedServer server([](int, const std::string&) {
        return ServerReply::Whole("HTTP/1.0 200 OK\r\n\r\n<img src=\"/p/1.jpg\"> <img src=\"/p/2.jpg\">");
    });
    m_home.SearchRule("Gallery", "127\\.0\\.0\\.1", "<img src=\"([^\"]+)\">", "http://cdn$1", true, 1);
    Engine(VtlOptions::Interface::Windows).AddUrl(server.Url("/gallery.html"), "", "http://forum/t");
    ASSERT_EQ(m_calls->size(), 1u);
    EXPECT_EQ((*m_calls)[0].procedure, "AddList");
    EXPECT_EQ((*m_calls)[0].referer, "http://forum/t");
    EXPECT_EQ(
        (*m_calls)[0].links, (Links {{"http://cdn/p/1.jpg", "1.jpg"}, {"http://cdn/p/2.jpg", "2.jpg"}}));
}

TEST_F(VtlTest, EscEndsAHangingDownloadAndTheRulesUseWhatArrived)
{
    m_home.Manager("Wget", true);
    ScriptedServer server([this](int, const std::string&) {
        OnModalWindow([](QWidget* wait) {
            QTimer::singleShot(200, wait, [wait] { QTest::keyClick(wait, Qt::Key_Escape); });
        });
        return ServerReply {{{0, "HTTP/1.0 200 OK\r\n\r\n<img src=\"http://cdn/a.jpg\">"}}, false};
    });
    m_home.SearchRule("Viewer", "127\\.0\\.0\\.1", "<img src=\"([^\"]+)\">", "$1");
    Engine(VtlOptions::Interface::Windows).AddUrl(server.Url("/view.html"), "", "http://forum/t");
    ASSERT_EQ(m_calls->size(), 1u);
    EXPECT_EQ((*m_calls)[0].links, (Links {{"http://cdn/a.jpg", "a.jpg"}}));
}

TEST_F(VtlTest, ListWindowOfOnlyTheOriginIsEmptyAndCancelSendsNothing)
{
    m_home.Manager("Wget", true);
    m_home.ReplaceRule("A", "a", {});
    int rows = -1;
    OnModalWindow([&rows](QWidget* window) {
        rows = window->findChild<QTreeView*>(QStringLiteral("lv"))->model()->rowCount();
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("btnCancel")), Qt::LeftButton);
    });
    Engine(VtlOptions::Interface::Windows).AddUrlList({"http://forum/only"});
    EXPECT_EQ(rows, 0);
    EXPECT_TRUE(m_calls->empty());
    EXPECT_EQ(OriginPage(), "http://forum/only");
}

TEST_F(VtlTest, ListWindowOkRunsTheBatch)
{
    m_home.Manager("Wget", true);
    m_home.ReplaceRule("Thumbs", "_t\\.", {{"_t\\.", "."}}, 1);
    OnModalWindow([](QWidget* window) {
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("btnOk")), Qt::LeftButton);
    });
    Engine(VtlOptions::Interface::Windows)
        .AddUrlList(
            {"http://forum/t", "http://h/1_t.jpg", "one", "http://h/1_t.jpg", "dup", "http://h/2_t.jpg"});
    ASSERT_EQ(m_calls->size(), 1u);
    EXPECT_EQ((*m_calls)[0].referer, "http://forum/t");
    EXPECT_EQ((*m_calls)[0].links, (Links {{"http://h/1.jpg", "1.jpg"}}));
}

TEST_F(VtlTest, HeadlessListConfirmsTheSelectionAsItStands)
{
    m_home.Manager("Wget", true);
    m_home.ReplaceRule("Thumbs", "_t\\.", {{"_t\\.", "."}}, 3);
    Engine(VtlOptions::Interface::Headless)
        .AddUrlList(
            {"http://forum/t", "http://h/1_t.jpg", "", "http://h/other.jpg", "", "http://h/2_t.jpg", ""});
    ASSERT_EQ(m_calls->size(), 1u);
    EXPECT_EQ((*m_calls)[0].links, (Links {{"http://h/1.jpg", "1.jpg"}, {"http://h/2.jpg", "2.jpg"}}));
    EXPECT_EQ((*m_calls)[0].position, 0);
}
