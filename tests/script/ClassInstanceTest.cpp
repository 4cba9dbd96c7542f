// Class instances and procedure references seen from host code: held past the run that made
// them, past the interpreter, and the order of Class_Terminate when a script ends.
#include "ScriptError.h"
#include "ScriptHost.h"
#include "TestObject.h"

#include <gtest/gtest.h>

using namespace vortalux::script;

namespace {

Variant Text(const char* text) { return Variant::FromString(text); }

// Records what scripts hand to it: `Sink.Add x` appends "x;".
class Sink final : public ScriptObject {
public:
    Variant CallMethod(std::string_view, std::vector<Variant>& args) override
    {
        for (const Variant& arg : args)
            log += (arg.IsString() ? arg.AsString() : std::string("?")) + ";";
        return {};
    }
    std::string log;
};

constexpr const char* ItemScript = "Dim log\n"
                                   "Class Item\n"
                                   "  Public Name\n"
                                   "  Private m_secret\n"
                                   "  Public Function Greet(who)\n"
                                   "    Greet = \"hi \" & who & \" from \" & Name\n"
                                   "  End Function\n"
                                   "  Private Sub Class_Terminate()\n"
                                   "    log = log & \"~\" & Name\n"
                                   "  End Sub\n"
                                   "End Class\n"
                                   "Function Make(n)\n"
                                   "  Set Make = New Item\n"
                                   "  Make.Name = n\n"
                                   "End Function\n"
                                   "Function GetLog()\n"
                                   "  GetLog = log\n"
                                   "End Function\n";

TEST(ClassInstance, HostCodeUsesAnInstanceBetweenRunsAndItsReleaseTerminatesIt)
{
    ScriptHost host;
    ASSERT_TRUE(host.AddCode(ItemScript)) << host.Error().description;
    std::vector<Variant> args = {Text("box")};
    Variant made;
    ASSERT_TRUE(host.Run("Make", args, &made)) << host.Error().description;
    ASSERT_TRUE(made.IsObject());
    ObjectRef item = made.AsObject();
    made = Variant();
    EXPECT_EQ(item->TypeName(), "Item");

    std::vector<Variant> none;
    EXPECT_EQ(item->GetProperty("NAME", none).AsString(), "box");
    std::vector<Variant> greetArgs = {Text("you")};
    EXPECT_EQ(item->CallMethod("Greet", greetArgs).AsString(), "hi you from box");
    item->SetProperty("Name", none, Text("crate"));
    EXPECT_EQ(item->GetProperty("Name", none).AsString(), "crate");
    try {
        item->GetProperty("m_secret", none);
        ADD_FAILURE() << "a private field answered the host";
    } catch (const ScriptError& error) {
        EXPECT_EQ(error.Number(), 438);
    }

    Variant log;
    ASSERT_TRUE(host.Run("GetLog", none, &log));
    EXPECT_TRUE(log.IsEmpty()) << "no Terminate while the host holds the instance";
    item.reset();
    ASSERT_TRUE(host.Run("GetLog", none, &log));
    EXPECT_EQ(log.AsString(), "~crate");
}

TEST(ClassInstance, AnInstanceOutlivingItsInterpreterAnswersNoMember)
{
    auto host = std::make_unique<ScriptHost>();
    ASSERT_TRUE(host->AddCode(ItemScript));
    std::vector<Variant> args = {Text("orphan")};
    Variant made;
    ASSERT_TRUE(host->Run("Make", args, &made));
    host->Reset();
    std::vector<Variant> none;
    try {
        made.AsObject()->GetProperty("Name", none);
        ADD_FAILURE() << "an orphan answered";
    } catch (const ScriptError& error) {
        EXPECT_EQ(error.Number(), 424);
    }
    EXPECT_EQ(made.AsObject()->TypeName(), "Item");
    host.reset();
    made = Variant(); // freed without its Terminate: nothing is left to run it
}

TEST(ClassInstance, TheEndOfTheScriptTerminatesGlobalsInOrderAndFreesCycles)
{
    for (const bool reset : {true, false}) {
        auto host = std::make_unique<ScriptHost>();
        auto sink = std::make_shared<Sink>();
        host->AddObject("Sink", sink);
        ASSERT_TRUE(host->AddCode("Class T\n"
                                  "  Public N, Other\n"
                                  "  Sub Class_Terminate()\n"
                                  "    Sink.Add N\n"
                                  "    If N = \"b\" Then Err.Raise 5\n"
                                  "  End Sub\n"
                                  "End Class\n"
                                  "Dim a, b, c\n"
                                  "Set c = New T : c.N = \"c\"\n"
                                  "Set a = New T : a.N = \"a\"\n"
                                  "Set b = New T : b.N = \"b\"\n"
                                  "Set b.Other = c\n"
                                  "Set x = New T : x.N = \"x\"\n"
                                  "Set y = New T : y.N = \"y\"\n"
                                  "Set x.Other = y : Set y.Other = x\n"
                                  "Set x = Nothing : Set y = Nothing\n"))
            << host->Error().description;
        EXPECT_EQ(sink->log, "");
        if (reset)
            host->Reset();
        else
            host.reset();
        // Declared order; b's error stops nothing; the cycle x <-> y is freed without Terminate.
        EXPECT_EQ(sink->log, "a;b;c;") << (reset ? "Reset" : "destroyed");
    }
}

TEST(ClassInstance, ATerminatePastTheTimeLimitAtTheEndFreesTheRestWithoutTheirs)
{
    // a's Terminate runs out of time while a holds b and b holds c: b waits for its Terminate,
    // and freeing it frees c, which an earlier version then read after it was gone.
    auto host = std::make_unique<ScriptHost>();
    auto sink = std::make_shared<Sink>();
    host->AddObject("Sink", sink);
    host->SetTimeLimit(std::chrono::milliseconds(100));
    ASSERT_TRUE(host->AddCode("Class T\n"
                              "  Public N, Other\n"
                              "  Sub Class_Terminate()\n"
                              "    Sink.Add N\n"
                              "    If N = \"a\" Then Do : Loop\n"
                              "  End Sub\n"
                              "End Class\n"
                              "Dim a\n"
                              "Set a = New T : a.N = \"a\"\n"
                              "Set a.Other = New T : a.Other.N = \"b\"\n"
                              "Set a.Other.Other = New T : a.Other.Other.N = \"c\"\n"))
        << host->Error().description;
    host.reset();
    EXPECT_EQ(sink->log, "a;");
}

TEST(ClassInstance, NewRegExpComesFromTheHostFactory)
{
    ScriptHost host;
    ASSERT_FALSE(host.AddCode("Set r = New RegExp"));
    EXPECT_EQ(host.Error().number, 429);
    EXPECT_EQ(host.Error().line, 1);

    int made = 0;
    host.RegisterObjectFactory("vbscript.regexp", [&made] {
        ++made;
        return std::make_shared<test::RecorderObject>();
    });
    ASSERT_TRUE(host.AddCode("Set r = New regexp\n"
                             "r.Value = \"pattern\"\n"
                             "Function Check()\n"
                             "  Check = TypeName(r) & \" \" & r.Value\n"
                             "End Function\n"))
        << host.Error().description;
    std::vector<Variant> none;
    Variant result;
    ASSERT_TRUE(host.Run("Check", none, &result));
    EXPECT_EQ(result.AsString(), "Recorder pattern");
    EXPECT_EQ(made, 1);
}

TEST(ClassInstance, HostCodeCallsAProcedureReference)
{
    ScriptHost host;
    ASSERT_TRUE(host.AddCode("Function Twice(n)\n"
                             "  Twice = n * 2\n"
                             "End Function\n"
                             "Sub Fail()\n"
                             "  Err.Raise 70\n"
                             "End Sub\n"
                             "Function Pick(name)\n"
                             "  Set Pick = GetRef(name)\n"
                             "End Function\n"));
    std::vector<Variant> args = {Text("twice")};
    Variant reference;
    ASSERT_TRUE(host.Run("Pick", args, &reference));
    std::vector<Variant> callArgs = {Variant::FromInteger(21)};
    EXPECT_EQ(reference.AsObject()->CallMethod("", callArgs).AsInteger(), 42);

    args = {Text("Fail")};
    ASSERT_TRUE(host.Run("Pick", args, &reference));
    std::vector<Variant> none;
    try {
        reference.AsObject()->CallMethod("", none);
        ADD_FAILURE() << "the error did not reach the host";
    } catch (const ScriptError& error) {
        EXPECT_EQ(error.Number(), 70);
    }
    // The host's interpreter is still usable after the failed callback.
    args = {Text("twice")};
    EXPECT_TRUE(host.Run("Pick", args, &reference));
}

} // namespace
