// Host objects as the download-manager definitions use them: created by ProgID, called with
// the hand-off's arguments, released when the script lets go of them.
#include "AsciiText.h"
#include "Coercion.h"
#include "MemberName.h"
#include "ScriptArray.h"
#include "ScriptError.h"
#include "ScriptHost.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace vortalux;
using namespace vortalux::script;

namespace {

// Stands in for a download manager's automation object.
class FakeManager final : public ScriptObject {
public:
    explicit FakeManager(std::vector<std::string>& received)
        : m_received(received)
    {
    }

    std::string TypeName() const override { return "FakeManager"; }

    Variant GetProperty(std::string_view name, std::vector<Variant>& args) override
    {
        if (EqualsNoCase(name, "Version"))
            return Variant::FromString("2.0");
        return ScriptObject::GetProperty(name, args);
    }

    Variant CallMethod(std::string_view name, std::vector<Variant>& args) override
    {
        if (EqualsNoCase(name, "AddUrl")) {
            if (args.size() != 3)
                throw ScriptError(errc::WrongArgumentCount);
            m_received.push_back(ToString(args[0]) + " " + ToString(args[1]) + " " + ToString(args[2]));
            return Variant::FromBool(true);
        }
        if (EqualsNoCase(name, "Busy"))
            throw ScriptError(1001, "The manager is busy", "FakeManager");
        if (EqualsNoCase(name, "Crash"))
            throw std::runtime_error("lost the connection");
        return ScriptObject::CallMethod(name, args);
    }

private:
    std::vector<std::string>& m_received;
};

const char* const Definition = R"(Sub AddLink(Referer, URL, Name)
    Dim manager
    Set manager = CreateObject("FakeManager.Automation")
    manager.AddUrl URL, Name, Referer
End Sub

Sub AddList(Referer, List)
    Dim manager, i
    Set manager = CreateObject("fakemanager.automation")
    If manager.Version < "2" Then Exit Sub
    For i = 0 To UBound(List) Step 2
        Call manager.AddUrl(List(i), List(i + 1), Referer)
    Next
End Sub
)";

class HostObjects : public testing::Test {
protected:
    HostObjects()
    {
        m_host.RegisterObjectFactory("FakeManager.Automation", [this] {
            auto manager = std::make_shared<FakeManager>(m_received);
            m_lastCreated = manager;
            return manager;
        });
    }

    ScriptHost m_host;
    std::vector<std::string> m_received;
    std::weak_ptr<FakeManager> m_lastCreated;
};

TEST_F(HostObjects, DefinitionHandsLinksToTheManager)
{
    ASSERT_TRUE(m_host.AddCode(Definition));
    std::vector<Variant> one = {Variant::FromString("http://ref/"), Variant::FromString("http://a/1.jpg"),
        Variant::FromString("1.jpg")};
    ASSERT_TRUE(m_host.Run("AddLink", one)) << m_host.Error().description;
    std::vector<Variant> links;
    for (const char* url : {"http://b/2.jpg", "2.jpg", "http://b/3.jpg", "3.jpg"})
        links.push_back(Variant::FromString(url));
    std::vector<Variant> list
        = {Variant::FromString(""), Variant::FromArray(ScriptArray::FromElements(links))};
    ASSERT_TRUE(m_host.Run("AddList", list)) << m_host.Error().description;
    const std::vector<std::string> expected
        = {"http://a/1.jpg 1.jpg http://ref/", "http://b/2.jpg 2.jpg ", "http://b/3.jpg 3.jpg "};
    EXPECT_EQ(m_received, expected);
    // The procedure's local was the last reference: the object is gone.
    EXPECT_TRUE(m_lastCreated.expired());
}

TEST_F(HostObjects, GlobalReferencesLiveUntilResetOrNothing)
{
    ASSERT_TRUE(m_host.AddCode("Set keep = CreateObject(\"FakeManager.Automation\")"));
    EXPECT_FALSE(m_lastCreated.expired());
    ASSERT_TRUE(m_host.AddCode("Set alias = keep\nSet keep = Nothing"));
    EXPECT_FALSE(m_lastCreated.expired());
    m_host.Reset();
    EXPECT_TRUE(m_lastCreated.expired());
}

TEST_F(HostObjects, ObjectErrorsReachTheScriptAndTheHost)
{
    EXPECT_FALSE(m_host.AddCode("Set m = CreateObject(\"FakeManager.Automation\")\n\nm.Busy"));
    EXPECT_EQ(m_host.Error().number, 1001);
    EXPECT_EQ(m_host.Error().description, "The manager is busy");
    EXPECT_EQ(m_host.Error().source, "FakeManager");
    EXPECT_EQ(m_host.Error().line, 3);

    EXPECT_FALSE(m_host.AddCode("m.Crash"));
    EXPECT_EQ(m_host.Error().number, 440);
    EXPECT_EQ(m_host.Error().description, "lost the connection");

    ASSERT_TRUE(
        m_host.AddCode("On Error Resume Next\nm.Crash\nfirst = Err.Number\nm.Missing\nagain = Err.Number\n"
                       "Function Results()\n Results = first & \",\" & again\nEnd Function"));
    std::vector<Variant> none;
    Variant result;
    ASSERT_TRUE(m_host.Run("Results", none, &result));
    EXPECT_EQ(result.AsString(), "440,438");
}

TEST_F(HostObjects, FactoryWithoutObjectIsError429)
{
    m_host.RegisterObjectFactory("Broken.Thing", [] { return ObjectRef(); });
    EXPECT_FALSE(m_host.AddCode("Set x = CreateObject(\"broken.thing\")"));
    EXPECT_EQ(m_host.Error().number, 429);
}

TEST_F(HostObjects, AddObjectNamesAnObjectForTheScript)
{
    m_host.AddObject("Manager", std::make_shared<FakeManager>(m_received));
    ASSERT_TRUE(m_host.AddCode("manager.AddUrl \"u\", \"n\", \"r\"\nv = Manager.Version"));
    ASSERT_EQ(m_received.size(), 1u);
    EXPECT_EQ(m_received[0], "u n r");
    EXPECT_FALSE(m_host.AddCode("Set Manager = Nothing"));
    EXPECT_EQ(m_host.Error().number, 501);
    EXPECT_FALSE(m_host.AddCode("Dim manager"));
    EXPECT_EQ(m_host.Error().number, 1041);
    ASSERT_TRUE(m_host.AddCode("manager.AddUrl \"still\", \"there\", \"\""));
    EXPECT_EQ(m_received.size(), 2u);
}

// Host objects name their members with a bit test instead of a case table: only the letters may
// fold, and no other byte may pass for one.
TEST(MemberNames, MatchInAnyLetterCaseAndNothingElse)
{
    const std::pair<std::string_view, bool> names[] = {{"submatches", true}, {"SubMatches", true},
        {"SUBMATCHES", true}, {"SubMatche", false}, {"SubMatchess", false}, {"SubMatchez", false},
        {"", false}, {"Sub_atches", false}, {"Su\x02Matches", false}, {"SubMatche\xd3", false},
        {"SubMatche\xf3", false}, {"SubMatche\x13", false}};
    for (const auto& [name, expected] : names)
        EXPECT_EQ(IsMemberName(name, "submatches"), expected) << name;
    EXPECT_TRUE(IsMemberName("", ""));
}

} // namespace
