// The engine's windows with the real script hand-off: a download-manager definition that writes
// down every AddLink and AddList call it receives.
#include "EngineTestSupport.h"
#include "RecordingPresenter.h"
#include "VTL.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vortalux;
using namespace vortalux::test;

namespace {

class RecordingDefinitionTest : public ::testing::Test {
protected:
    void WriteRecorder(const std::string& extra = {}) { m_home.RecordingManager(extra); }
    std::string Calls() const { return m_home.RecordedCalls(); }

    void ClickOkOnTheListWindow()
    {
        QTimer::singleShot(0, [this] {
            QWidget* window = QApplication::activeModalWidget();
            if (window == nullptr) {
                ClickOkOnTheListWindow();
                return;
            }
            QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("btnOk")), Qt::LeftButton);
        });
    }

    VTL& Engine()
    {
        VtlOptions options;
        options.interface = VtlOptions::Interface::Windows;
        options.programDirectory = m_home.Path();
        m_engine = std::make_unique<VTL>(options);
        return *m_engine;
    }

    EngineHome m_home;
    RecordingPresenter m_presenter;
    std::unique_ptr<VTL> m_engine;
};

} // namespace

TEST_F(RecordingDefinitionTest, TwoRulesGoOutAsTwoPartsWithTheirOwnReferers)
{
    WriteRecorder();
    m_home.ReplaceRule("A", "^http://a/", {{"_t\\.", "."}}, 1);
    m_home.ReplaceRule("B", "^http://b\\.example/", {{"/small/", "/big/"}}, 3);
    ClickOkOnTheListWindow();
    Engine().AddUrlList({"http://forum/thread", "http://b.example/small/3.jpg", "three", "http://a/1_t.jpg",
        "one", "http://a/2_t.jpg", "two"});

    EXPECT_EQ(Calls(),
        "AddList|http://forum/thread|http://a/1.jpg|1.jpg|http://a/2.jpg|2.jpg\n"
        "AddList|http://b.example/|http://b.example/big/3.jpg|3.jpg\n");
    ASSERT_EQ(m_presenter.Shown().size(), 2u);
    EXPECT_EQ(m_presenter.Shown()[0].icon, MessageIcon::Information);
    EXPECT_EQ(m_presenter.Shown()[0].text.rfind("More than one rule was found", 0), 0u);
    EXPECT_EQ(m_presenter.Shown()[1].text.rfind("Only one part of the URLs have been sent", 0), 0u);
}

TEST_F(RecordingDefinitionTest, OneLinkGoesOutWithAddLink)
{
    WriteRecorder();
    m_home.ReplaceRule("A", "^http://a/", {{"_t\\.", "."}}, 2);
    Engine().AddUrl("http://a/x/cat_t.jpg", "Cat", "http://forum/thread");
    EXPECT_EQ(Calls(), "AddLink|http://a/x/cat_t.jpg|http://a/x/cat.jpg|cat.jpg\n");
    EXPECT_TRUE(m_presenter.Shown().empty());
}

TEST_F(RecordingDefinitionTest, AScriptErrorShowsOneMessageAndTheWindowStillCloses)
{
    WriteRecorder("Sub Broken(\r\n");
    m_home.ReplaceRule("A", "^http://a/", {{"_t\\.", "."}}, 2);
    Engine().AddUrl("http://a/x/cat_t.jpg", "", "http://forum/thread");
    ASSERT_EQ(m_presenter.Shown().size(), 1u);
    const MessageRequest& message = m_presenter.Shown()[0];
    EXPECT_EQ(message.caption, "Vortalux");
    EXPECT_EQ(message.icon, MessageIcon::None);
    EXPECT_EQ(message.text.rfind("Script Syntax Error : ", 0), 0u) << message.text;
    EXPECT_NE(message.text.find(" at line 13 column "), std::string::npos) << message.text;
    EXPECT_FALSE(std::filesystem::exists(m_home.Path() / "calls.txt"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
