// The host interface the script hand-off is built on: AddCode, Run with arguments by
// reference, Reset, Error, host objects and the limits.
#include "ScriptHost.h"
#include "Coercion.h"
#include "RecordingPresenter.h"
#include "ScriptArray.h"
#include "TestObject.h"

#include <gtest/gtest.h>

#include <pthread.h>

using namespace vortalux;
using namespace vortalux::script;

namespace {

Variant Text(const char* text) { return Variant::FromString(text); }

TEST(ScriptHost, RunPassesArgumentsByReference)
{
    ScriptHost host;
    ASSERT_TRUE(host.AddCode("Sub AddList(referer, list)\n"
                             "  referer = referer & \"|\" & (UBound(list) + 1)\n"
                             "  list(1) = UCase(list(1))\n"
                             "End Sub\n"));
    std::vector<Variant> links
        = {Text("http://a/1.jpg"), Text("1.jpg"), Text("http://a/2.jpg"), Text("2.jpg")};
    std::vector<Variant> args = {Text("http://ref/"), Variant::FromArray(ScriptArray::FromElements(links))};
    ASSERT_TRUE(host.Run("addlist", args)) << host.Error().description;
    EXPECT_EQ(args[0].AsString(), "http://ref/|4");
    ASSERT_TRUE(args[1].IsArray());
    EXPECT_EQ(args[1].AsArray()->Elements()[1].AsString(), "1.JPG");
    // The caller's own copy of the list is not touched through the shared storage.
    EXPECT_EQ(links[1].AsString(), "1.jpg");
}

TEST(ScriptHost, ByValParametersAndFunctionResults)
{
    ScriptHost host;
    ASSERT_TRUE(host.AddCode("Function Twice(ByVal n)\n n = n * 2\n Twice = n\nEnd Function"));
    std::vector<Variant> args = {Variant::FromInteger(21)};
    Variant result;
    ASSERT_TRUE(host.Run("Twice", args, &result));
    EXPECT_EQ(result.AsInteger(), 42);
    EXPECT_EQ(args[0].AsInteger(), 21);
}

TEST(ScriptHost, AddCodeRunsGlobalStatementsAndResetForgetsThem)
{
    ScriptHost host;
    const char* script
        = "Dim counter\ncounter = counter + 1\nFunction Count()\n Count = counter\nEnd Function\n";
    ASSERT_TRUE(host.AddCode(script));
    ASSERT_TRUE(host.AddCode("counter = counter + 10"));
    std::vector<Variant> none;
    Variant result;
    ASSERT_TRUE(host.Run("Count", none, &result));
    EXPECT_EQ(result.AsInteger(), 11);

    host.Reset();
    EXPECT_FALSE(host.Run("Count", none, &result));
    EXPECT_EQ(host.Error().number, 35);
    ASSERT_TRUE(host.AddCode(script));
    ASSERT_TRUE(host.Run("Count", none, &result));
    EXPECT_EQ(result.AsInteger(), 1);
}

TEST(ScriptHost, MissingProcedureIsError35WithoutPlace)
{
    ScriptHost host;
    ASSERT_TRUE(host.AddCode("Sub AddLink(r, u, n)\nEnd Sub"));
    std::vector<Variant> args = {Text(""), Text("")};
    EXPECT_FALSE(host.Run("AddList", args));
    EXPECT_EQ(host.Error().number, 35);
    EXPECT_EQ(host.Error().description, "Sub or Function not defined");
    EXPECT_EQ(host.Error().line, 0);
    EXPECT_EQ(host.Error().column, 0);
    // The wrong number of arguments is its own error.
    EXPECT_FALSE(host.Run("AddLink", args));
    EXPECT_EQ(host.Error().number, 450);
}

TEST(ScriptHost, CompileErrorKeepsNothingOfTheCode)
{
    ScriptHost host;
    EXPECT_FALSE(host.AddCode("Sub A()\nEnd Sub\nx = (1 + \n"));
    EXPECT_EQ(host.Error().number, 1023);
    EXPECT_EQ(host.Error().source, "Microsoft VBScript compilation error");
    EXPECT_EQ(host.Error().line, 3);
    EXPECT_EQ(host.Error().column, 9);
    std::vector<Variant> none;
    EXPECT_FALSE(host.Run("A", none));
    EXPECT_EQ(host.Error().number, 35);
}

TEST(ScriptHost, RuntimeErrorInGlobalCodeKeepsProcedures)
{
    ScriptHost host;
    EXPECT_FALSE(host.AddCode("Sub A()\nEnd Sub\n\nx = 1 / 0\n"));
    EXPECT_EQ(host.Error().number, 11);
    EXPECT_EQ(host.Error().description, "Division by zero");
    EXPECT_EQ(host.Error().source, "Microsoft VBScript runtime error");
    EXPECT_EQ(host.Error().line, 4);
    EXPECT_EQ(host.Error().column, 0);
    std::vector<Variant> none;
    EXPECT_TRUE(host.Run("A", none));
    EXPECT_EQ(host.Error().number, 0);
}

TEST(ScriptHost, ErrorLineIsWhereTheErrorHappened)
{
    ScriptHost host;
    ASSERT_TRUE(host.AddCode("Sub Outer()\n  Inner\nEnd Sub\nSub Inner()\n  Err.Raise 5\nEnd Sub\n"));
    std::vector<Variant> none;
    EXPECT_FALSE(host.Run("Outer", none));
    EXPECT_EQ(host.Error().number, 5);
    EXPECT_EQ(host.Error().line, 5);
}

TEST(ScriptHost, TimeLimitStopsEndlessLoops)
{
    ScriptHost host;
    host.SetTimeLimit(std::chrono::milliseconds(50));
    ASSERT_TRUE(host.AddCode("Sub Spin()\n On Error Resume Next\n Do\n  x = x + 1\n Loop\nEnd Sub"));
    std::vector<Variant> none;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(host.Run("Spin", none));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(host.Error().number, 9000);
    EXPECT_EQ(host.Error().description, "Script timed out");
    EXPECT_EQ(host.Error().line, 4);
    // The next run gets a fresh allowance.
    ASSERT_TRUE(host.AddCode("Function Quick()\n Quick = 1\nEnd Function"));
    EXPECT_TRUE(host.Run("Quick", none));
}

TEST(ScriptHost, UntilResetTheRunsShareOneTimeLimit)
{
    ScriptHost host;
    host.SetTimeLimit(std::chrono::milliseconds(600));
    host.SetTimeLimitScope(TimeLimitScope::UntilReset);
    const char* const code
        = "Sub Busy(seconds)\n Dim start\n start = Timer\n Do While Timer < start + seconds\n"
          " Loop\nEnd Sub\nBusy 0.4\n";
    ASSERT_TRUE(host.AddCode(code)) << host.Error().description;
    // 0.4 s more would be within a fresh allowance, not within what is left of it.
    std::vector<Variant> args = {Variant::FromDouble(0.4)};
    EXPECT_FALSE(host.Run("Busy", args));
    EXPECT_EQ(host.Error().number, 9000);
    EXPECT_EQ(host.Error().line, 4);
    host.Reset();
    EXPECT_TRUE(host.AddCode(code)) << "a Reset gives a fresh allowance";
}

TEST(ScriptHost, EveryByteCountedIsGivenBackWhenTheValuesGo)
{
    const int64_t before = RunBudget::HeldBytes();
    {
        ScriptHost host;
        ASSERT_TRUE(host.AddCode("Dim keep(9), s, t, a, x, y\n"
                                 "s = String(100000, \"x\")\n"
                                 "For i = 0 To 9\n"
                                 "  keep(i) = s & i\n"
                                 "  t = keep(i)\n"
                                 "  t = t & t\n"
                                 "Next\n"
                                 "ReDim a(1000)\n"
                                 "a(1) = s\n"
                                 "b = a\n"
                                 "b(2) = s\n"
                                 "ReDim Preserve a(10)\n"
                                 "x = Split(s & \",\" & s, \",\")\n"
                                 "y = Join(x, s)\n"
                                 "s = Replace(y, \"x\", \"yy\")\n"
                                 "Erase b\n"
                                 "t = 0\n"
                                 "y = Null\n"
                                 "Function Big()\n"
                                 "  Big = Space(50000) & keep(3)\n"
                                 "End Function\n"))
            << host.Error().description;
        EXPECT_GT(RunBudget::HeldBytes(), before + 1000000) << "what the globals hold is counted";
        std::vector<Variant> none;
        Variant result;
        ASSERT_TRUE(host.Run("Big", none, &result));
        EXPECT_EQ(ToString(result).size(), 150001u);
    }
    EXPECT_EQ(RunBudget::HeldBytes(), before);
}

TEST(ScriptHost, CallDepthLimit)
{
    ScriptHost host;
    host.SetMaxCallDepth(20);
    ASSERT_TRUE(host.AddCode("Function Depth(n)\n If n = 0 Then Depth = 0 Else Depth = 1 + Depth(n - 1)\n"
                             "End Function"));
    std::vector<Variant> args = {Variant::FromInteger(19)};
    Variant result;
    ASSERT_TRUE(host.Run("Depth", args, &result)) << host.Error().description;
    EXPECT_EQ(result.AsInteger(), 19);
    args = {Variant::FromInteger(20)};
    EXPECT_FALSE(host.Run("Depth", args, &result));
    EXPECT_EQ(host.Error().number, 28);
    EXPECT_EQ(host.Error().description, "Out of stack space");
}

TEST(ScriptHost, DefaultLimitsSurviveRunawayRecursion)
{
    ScriptHost host;
    ASSERT_TRUE(host.AddCode("Sub Forever(n)\n Forever n + 1\nEnd Sub"));
    std::vector<Variant> args = {Variant::FromInteger(0)};
    EXPECT_FALSE(host.Run("Forever", args));
    EXPECT_EQ(host.Error().number, 28);
}

TEST(ScriptHost, ObjectFactoriesAreCaseBlind)
{
    ScriptHost host;
    script::test::RegisterTestObjects(host);
    ASSERT_TRUE(host.AddCode("Set r = CreateObject(\"TEST.recorder\")\nr.Add 1, , \"x\"\nlogged = r.Log"));
    EXPECT_FALSE(host.AddCode("Set s = CreateObject(\"Shell.Unknown\")"));
    EXPECT_EQ(host.Error().number, 429);
    EXPECT_EQ(host.Error().description, "ActiveX component can't create object");
    EXPECT_EQ(host.Error().line, 1);
    // Reset keeps the registered factories.
    host.Reset();
    EXPECT_TRUE(host.AddCode("Set r = CreateObject(\"Test.Recorder\")"));
}

TEST(ScriptHost, MsgBoxGoesThroughTheMessageInterface)
{
    vortalux::test::RecordingPresenter presenter;
    presenter.QueueAnswer(MessageAnswer::No);
    ScriptHost host;
    ASSERT_TRUE(
        host.AddCode("Function Ask()\n Ask = MsgBox(\"Send?\", vbYesNo + vbQuestion + vbDefaultButton2, "
                     "\"Example Manager\")\n MsgBox \"done\"\nEnd Function"));
    std::vector<Variant> none;
    Variant answer;
    ASSERT_TRUE(host.Run("Ask", none, &answer));
    EXPECT_EQ(answer.AsInteger(), 7);
    ASSERT_EQ(presenter.Shown().size(), 2u);
    EXPECT_EQ(presenter.Shown()[0].text, "Send?");
    EXPECT_EQ(presenter.Shown()[0].caption, "Example Manager");
    EXPECT_EQ(presenter.Shown()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(presenter.Shown()[0].icon, MessageIcon::Question);
    EXPECT_EQ(presenter.Shown()[0].defaultButton, 1);
    EXPECT_EQ(presenter.Shown()[1].caption, "VBScript");
    EXPECT_EQ(presenter.Shown()[1].buttons, MessageButtons::Ok);
    EXPECT_EQ(presenter.Shown()[1].icon, MessageIcon::None);
}

TEST(ScriptHost, InputBoxAsksThroughTheMessageInterface)
{
    vortalux::test::RecordingPresenter presenter;
    presenter.QueueText("typed");
    presenter.QueueText(std::nullopt);
    presenter.QueueText("");
    ScriptHost host;
    ASSERT_TRUE(host.AddCode("Function Ask()\n"
                             " a = InputBox(\"Name?\", \"Example Manager\", 42, 1500, 3000, \"h.chm\", 7)\n"
                             " b = InputBox(\"Again?\")\n"
                             " c = InputBox(\"Once more?\", , \"x\")\n"
                             " Ask = TypeName(a) & \":\" & a & \"|\" & TypeName(b) & \":\" & (b = \"\") & "
                             "\"|\" & TypeName(c) & \":\" & c\n"
                             "End Function"));
    std::vector<Variant> none;
    Variant answer;
    ASSERT_TRUE(host.Run("Ask", none, &answer)) << host.Error().description;
    // Cancel answers Empty, which equals "".
    EXPECT_EQ(answer.AsString(), "String:typed|Empty:True|String:");
    ASSERT_EQ(presenter.Asked().size(), 3u);
    const TextRequest& first = presenter.Asked()[0];
    EXPECT_EQ(first.prompt, "Name?");
    EXPECT_EQ(first.caption, "Example Manager");
    EXPECT_EQ(first.defaultText, "42");
    EXPECT_EQ(first.left, 100);
    EXPECT_EQ(first.top, 200);
    const TextRequest& second = presenter.Asked()[1];
    EXPECT_EQ(second.caption, "VBScript");
    EXPECT_EQ(second.defaultText, "");
    EXPECT_FALSE(second.left.has_value());
    EXPECT_FALSE(second.top.has_value());
    EXPECT_EQ(presenter.Asked()[2].caption, "VBScript");
    EXPECT_EQ(presenter.Asked()[2].defaultText, "x");
    EXPECT_TRUE(presenter.Shown().empty());
}

} // namespace

namespace {

struct SmallStackRun {
    std::string code;
    int32_t errorNumber = -1;
};

void* RunOnThisThread(void* argument)
{
    auto* run = static_cast<SmallStackRun*>(argument);
    ScriptHost host;
    run->errorNumber = host.AddCode(run->code) ? 0 : host.Error().number;
    return nullptr;
}

// Runs `code` on a thread with a 1 MiB stack; the error number, or -1 when the thread failed.
int32_t RunWithSmallStack(std::string code)
{
    SmallStackRun run {std::move(code)};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, size_t {1} << 20);
    pthread_t thread;
    if (pthread_create(&thread, &attributes, RunOnThisThread, &run) != 0)
        return -1;
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    return run.errorNumber;
}

TEST(ScriptHost, SmallThreadStacksEndInOutOfStackSpace)
{
    // The call depth limit is far away: the native stack runs out first, and is noticed.
    EXPECT_EQ(RunWithSmallStack("Sub R(n)\n R n + 1\nEnd Sub\nR 0"), 28);
    std::string deep = "x = " + std::string(190, '(') + "1" + std::string(190, ')');
    const int32_t parsed = RunWithSmallStack(deep);
    EXPECT_TRUE(parsed == 0 || parsed == 28) << parsed;
    std::string chain = "x = 1";
    for (int i = 0; i < 900; ++i)
        chain += " + 1";
    chain += "\nIf x <> 901 Then Err.Raise 5";
    const int32_t evaluated = RunWithSmallStack(chain);
    EXPECT_TRUE(evaluated == 0 || evaluated == 28) << evaluated;
}

} // namespace
