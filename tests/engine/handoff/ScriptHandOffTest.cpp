#include "ScriptHandOff.h"

#include "ManagerStore.h"
#include "RecordingPresenter.h"
#include "ScriptArray.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace vortalux;
using script::Variant;
using vortalux::test::RecordingPresenter;
using vortalux::test::TempDir;
using vortalux::test::WriteFileBytes;

namespace {

// A program folder whose Managers hold one definition per script, named "0", "1", ... in order.
class Definitions {
public:
    explicit Definitions(const std::vector<std::string>& scripts)
    {
        for (size_t i = 0; i < scripts.size(); ++i) {
            WriteFileBytes(m_home / "Managers" / (std::to_string(i) + ".vtm"),
                "[Main]\r\nver=1\r\nDefault=0\r\n[SCRIPT]\r\n\r\n" + scripts[i]);
        }
        m_store.LoadManagers(m_home.Path());
    }
    const ManagerStore& Store() const { return m_store; }

private:
    TempDir m_home;
    ManagerStore m_store;
};

std::vector<Variant> Texts(const std::vector<std::string>& texts)
{
    std::vector<Variant> values;
    for (const std::string& text : texts)
        values.push_back(Variant::FromString(text));
    return values;
}

// Reports what AddLink and AddList received through the one channel the interface leaves: the
// error message.
constexpr const char* EchoScript
    = "Sub AddLink(referer, url, name)\r\n"
      "    Err.Raise 1000, , \"link[\" & referer & \"|\" & url & \"|\" & name & \"]\"\r\n"
      "End Sub\r\n"
      "Sub AddList(referer, list)\r\n"
      "    Err.Raise 1001, , \"list[\" & referer & \"|\" & TypeName(list) & \"|\" & LBound(list)"
      " & \"|\" & UBound(list) & \"|\" & Join(list, \",\") & \"]\"\r\n"
      "End Sub\r\n";

} // namespace

TEST(ScriptHandOff, AddLinkAndAddListReceiveTheirArgumentsAsTheContractSays)
{
    Definitions definitions({EchoScript});
    RecordingPresenter presenter;
    ScriptHandOff handOff;
    handOff.AddLink(definitions.Store(), 0, "http://page/", {"http://host/a.jpg", "a.jpg"});
    handOff.AddLink(definitions.Store(), 0, "", {"http://host/", "http://host/"});
    handOff.AddList(
        definitions.Store(), 0, "http://page/", {{"http://h/1.jpg", "1.jpg"}, {"http://h/2.jpg", "2.jpg"}});
    handOff.AddList(definitions.Store(), 0, "r", {{"http://h/only.jpg", "only.jpg"}});
    handOff.AddList(definitions.Store(), 0, "", {});

    ASSERT_EQ(presenter.Shown().size(), 5u);
    EXPECT_EQ(presenter.Shown()[0].text,
        "Script Syntax Error : 1000: link[http://page/|http://host/a.jpg|a.jpg] at line 2 column 0");
    EXPECT_EQ(presenter.Shown()[1].text,
        "Script Syntax Error : 1000: link[|http://host/|http://host/] at line 2 column 0");
    EXPECT_EQ(presenter.Shown()[2].text,
        "Script Syntax Error : 1001: "
        "list[http://page/|Variant()|0|3|http://h/1.jpg,1.jpg,http://h/2.jpg,2.jpg] at "
        "line 5 column 0");
    EXPECT_EQ(presenter.Shown()[3].text,
        "Script Syntax Error : 1001: list[r|Variant()|0|1|http://h/only.jpg,only.jpg] at line 5 column 0");
    EXPECT_EQ(
        presenter.Shown()[4].text, "Script Syntax Error : 1001: list[|Variant()|0|-1|] at line 5 column 0");
    for (const MessageRequest& shown : presenter.Shown()) {
        EXPECT_EQ(shown.caption, "Vortalux");
        EXPECT_EQ(shown.icon, MessageIcon::None);
        EXPECT_EQ(shown.buttons, MessageButtons::Ok);
    }
}

TEST(ScriptHandOff, ArgumentsAreByReferenceAndEveryHandOffStartsAfresh)
{
    Definitions definitions({"Dim count\r\ncount = 10\r\n"
                             "Sub AddLink(referer, url, name)\r\n"
                             "    count = count + 1\r\n"
                             "    referer = \"seen \" & count\r\n"
                             "    url = UCase(url)\r\n"
                             "End Sub\r\n"});
    RecordingPresenter presenter;
    ScriptHandOff handOff;
    for (int round = 0; round < 3; ++round) {
        std::vector<Variant> args = Texts({"r", "http://h/x", "x"});
        EXPECT_TRUE(handOff.RunManagerScript(definitions.Store(), 0, "AddLink", args));
        EXPECT_EQ(args[0].AsString(), "seen 11") << "the global counter starts over at every hand-off";
        EXPECT_EQ(args[1].AsString(), "HTTP://H/X");
    }
    EXPECT_TRUE(presenter.Shown().empty());
}

TEST(ScriptHandOff, EveryKindOfFailureGivesOneMessageAndTheFlowGoesOn)
{
    Definitions definitions({
        "Dim a\r\nSub AddLink(r, u, n)\r\n    On Error GoTo 1\r\nEnd Sub\r\n", // syntax error on line 3
        "Sub AddLink(r, u, n)\r\nEnd Sub\r\n", // no AddList
        "Sub AddList(r, list)\r\n    x = 1\r\n    x = x / 0\r\nEnd Sub\r\n", // run-time error
        "Dim d\r\nd = 1 / 0\r\nSub AddList(r, list)\r\nEnd Sub\r\n", // error in the global statements
        "Sub AddList(r, list)\r\n    x = Now\r\nEnd Sub\r\n", // fine
    });
    RecordingPresenter presenter;
    ScriptHandOff handOff;
    std::vector<Variant> args;

    args = Texts({"", "u", "n"});
    EXPECT_FALSE(handOff.RunManagerScript(definitions.Store(), 0, "AddLink", args));
    args = {Variant::FromString(""), Variant::FromArray(script::ScriptArray::FromElements({}))};
    EXPECT_FALSE(handOff.RunManagerScript(definitions.Store(), 1, "AddList", args));
    EXPECT_FALSE(handOff.RunManagerScript(definitions.Store(), 2, "AddList", args));
    EXPECT_FALSE(handOff.RunManagerScript(definitions.Store(), 3, "AddList", args));
    EXPECT_FALSE(handOff.RunManagerScript(definitions.Store(), -1, "AddList", args));
    EXPECT_FALSE(handOff.RunManagerScript(definitions.Store(), 5, "AddList", args));
    EXPECT_TRUE(handOff.RunManagerScript(definitions.Store(), 4, "AddList", args));

    std::vector<std::string> texts;
    for (const MessageRequest& shown : presenter.Shown())
        texts.push_back(shown.text);
    EXPECT_EQ(texts,
        (std::vector<std::string> {
            "Script Syntax Error : 1002: Syntax error at line 3 column 18",
            "Script Syntax Error : 35: Sub or Function not defined at line 0 column 0",
            "Script Syntax Error : 11: Division by zero at line 3 column 0",
            "Script Syntax Error : 11: Division by zero at line 2 column 0",
            "Script Syntax Error : 0:  at line 0 column 0",
            "Script Syntax Error : 0:  at line 0 column 0",
        }));
}

TEST(ScriptHandOff, ARunawayScriptIsStoppedByTheTimeLimit)
{
    Definitions definitions({"Sub AddLink(r, u, n)\r\n    Do\r\n    Loop\r\nEnd Sub\r\n"});
    RecordingPresenter presenter;
    ScriptHandOff handOff;
    EXPECT_EQ(handOff.Host().TimeLimit(), std::chrono::milliseconds(10000));
    handOff.Host().SetTimeLimit(std::chrono::milliseconds(100));
    handOff.AddLink(definitions.Store(), 0, "", {"u", "n"});
    ASSERT_EQ(presenter.Shown().size(), 1u);
    EXPECT_EQ(presenter.Shown()[0].text.rfind("Script Syntax Error : 9000: Script timed out at line ", 0), 0u)
        << presenter.Shown()[0].text;
}

TEST(ScriptHandOff, AHostObjectFailingOutsideTheLanguageIsReportedAndTheNextHandOffWorks)
{
    class Thrower final : public script::ScriptObject {
    public:
        Variant CallMethod(std::string_view, std::vector<Variant>&) override
        {
            throw std::runtime_error("disk on fire");
        }
    };
    Definitions definitions({"Sub AddLink(r, u, n)\r\n    CreateObject(\"Test.Thrower\").Go\r\nEnd Sub\r\n",
        "Sub AddLink(r, u, n)\r\nEnd Sub\r\n"});
    RecordingPresenter presenter;
    ScriptHandOff handOff;
    handOff.Host().RegisterObjectFactory("Test.Thrower", [] { return std::make_shared<Thrower>(); });
    std::vector<Variant> args = Texts({"", "u", "n"});
    EXPECT_FALSE(handOff.RunManagerScript(definitions.Store(), 0, "AddLink", args));
    EXPECT_TRUE(handOff.RunManagerScript(definitions.Store(), 1, "AddLink", args));
    ASSERT_EQ(presenter.Shown().size(), 1u);
    // The interpreter turns it into an automation error on the line that called the object.
    EXPECT_EQ(presenter.Shown()[0].text, "Script Syntax Error : 440: disk on fire at line 2 column 0");
}
