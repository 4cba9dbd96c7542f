// Host objects that wait on the world outside (a child process, a server, a FIFO) or read
// without end (a device): the script's deadline and memory limit hold whatever they wait on.
#include "HostFixture.h"
#include "HostObjects.h"
#include "HttpRequestObject.h"
#include "ScriptedServer.h"
#include "ScriptHost.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

using namespace vortalux;
using script::ScriptHost;
using script::Variant;
using Clock = std::chrono::steady_clock;

namespace {

// No such process, or a zombie: dead, waiting for whoever inherited it to reap it.
bool IsGone(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    if (!stat)
        return true;
    const std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'Z';
}

// A signal reaches its target a moment after kill() returns.
bool GoneSoon(pid_t pid)
{
    for (int i = 0; i < 200 && !IsGone(pid); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return IsGone(pid);
}

pid_t PidIn(const std::filesystem::path& file)
{
    return static_cast<pid_t>(std::stol(test::ReadFileBytes(file)));
}

} // namespace

TEST(BlockingCalls, AWaitedCommandIsKilledWithItsProcessGroupAtTheDeadline)
{
    test::TempDir folder;
    ScriptHost host;
    script::RegisterHostObjects(host);
    host.SetTimeLimit(std::chrono::milliseconds(300));
    // The shell and a grandchild both ignore SIGTERM: only the SIGKILL that follows ends them.
    ASSERT_TRUE(
        host.AddCode("Sub Wait(folder)\n"
                     "  On Error Resume Next\n"
                     "  Set shell = CreateObject(\"WScript.Shell\")\n"
                     "  shell.Run \"trap '' TERM; sleep 30 & echo $! > '\" & folder & \"/grandchild'; "
                     "echo $$ > '\" & folder & \"/child'; wait\", 0, True\n"
                     "End Sub\n"));
    std::vector<Variant> args = {Variant::FromString(folder.Path().string())};
    const auto started = Clock::now();
    EXPECT_FALSE(host.Run("Wait", args));
    // Not a speed target: the command alone would take 30 s.
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(host.Error().number, 9000);
    EXPECT_EQ(host.Error().description, "Script timed out");
    EXPECT_EQ(host.Error().line, 4);
    EXPECT_TRUE(GoneSoon(PidIn(folder / "child")));
    EXPECT_TRUE(GoneSoon(PidIn(folder / "grandchild")));
    EXPECT_EQ(script::test::CountChildProcesses(), 0) << "the child is reaped";
}

TEST(BlockingCalls, ACommandThatEndsInTimeGivesItsExitCode)
{
    ScriptHost host;
    script::RegisterHostObjects(host);
    host.SetTimeLimit(std::chrono::milliseconds(5000));
    ASSERT_TRUE(host.AddCode("Function Code()\n"
                             "  Code = CreateObject(\"WScript.Shell\").Run(\"sleep 0.1; exit 3\", 0, True)\n"
                             "End Function\n"));
    std::vector<Variant> none;
    Variant result;
    ASSERT_TRUE(host.Run("Code", none, &result)) << host.Error().description;
    EXPECT_EQ(result.AsLong(), 3);
    EXPECT_EQ(script::test::CountChildProcesses(), 0);
}

TEST(BlockingCalls, AnHttpRequestEndsAtTheDeadlineWhateverTheServerTrickles)
{
    // One byte every 100 ms for 6 s: each byte starts the 8 s silence limit again.
    test::ScriptedServer server([](int, const std::string&) {
        test::ServerReply reply;
        reply.steps.push_back({0, "HTTP/1.1 200 OK\r\nContent-Length: 60\r\n\r\n"});
        for (int i = 0; i < 60; ++i)
            reply.steps.push_back({100, "x"});
        return reply;
    });
    ScriptHost host;
    RegisterHttpRequestObjects(host);
    host.SetTimeLimit(std::chrono::milliseconds(700));
    ASSERT_TRUE(host.AddCode("Sub Fetch(url)\n"
                             "  On Error Resume Next\n"
                             "  Set h = CreateObject(\"MSXML2.ServerXMLHTTP\")\n"
                             "  h.open \"GET\", url, False\n"
                             "  h.send\n"
                             "End Sub\n"));
    std::vector<Variant> args = {Variant::FromString(server.Url("/slow"))};
    const auto started = Clock::now();
    EXPECT_FALSE(host.Run("Fetch", args));
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(5)) << "the server alone takes 6 s";
    EXPECT_EQ(host.Error().number, 9000);
    EXPECT_EQ(host.Error().line, 5);
}

TEST(BlockingCalls, AResponseCountsAgainstTheMemoryLimitWithEveryCopyTakenOfIt)
{
    const std::string body(size_t {3} << 20, 'x');
    test::ScriptedServer server([&](int, const std::string&) {
        return test::ServerReply::Whole(
            "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    });
    ScriptHost host;
    RegisterHttpRequestObjects(host);
    host.SetMemoryLimit(size_t {8} << 20);
    ASSERT_TRUE(host.AddCode("Dim h, first, second\n"
                             "Sub Fetch(url)\n"
                             "  Set h = CreateObject(\"MSXML2.XMLHTTP\")\n"
                             "  h.open \"GET\", url, False\n"
                             "  h.send\n"
                             "  first = h.responseText\n"
                             "  second = h.responseText\n"
                             "End Sub\n"));
    std::vector<Variant> args = {Variant::FromString(server.Url("/big"))};
    EXPECT_FALSE(host.Run("Fetch", args));
    EXPECT_EQ(host.Error().number, 7);
    EXPECT_EQ(host.Error().line, 7) << "the object's copy, the first text and the second pass 8 MiB";
}

TEST(BlockingCalls, AFifoWhoseWriterNeverWritesEndsAtTheDeadline)
{
    test::TempDir folder;
    const std::string fifo = (folder / "pipe").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A writer that holds the FIFO open and never writes.
    const int writer = ::open(fifo.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ScriptHost host;
    script::RegisterHostObjects(host);
    host.SetTimeLimit(std::chrono::milliseconds(300));
    ASSERT_TRUE(host.AddCode("Sub Read(path)\n"
                             "  On Error Resume Next\n"
                             "  Set f = CreateObject(\"Scripting.FileSystemObject\").OpenTextFile(path, 1)\n"
                             "End Sub\n"));
    std::vector<Variant> args = {Variant::FromString(fifo)};
    EXPECT_FALSE(host.Run("Read", args));
    EXPECT_EQ(host.Error().number, 9000);
    EXPECT_EQ(host.Error().line, 3);
    ::close(writer);
}

TEST(BlockingCalls, ADeviceWithoutEndFailsWithOutOfMemoryInsteadOfTakingAllMemory)
{
    ScriptHost host;
    script::RegisterHostObjects(host);
    host.SetMemoryLimit(size_t {8} << 20);
    ASSERT_TRUE(
        host.AddCode("Sub Read()\n"
                     "  Set f = CreateObject(\"Scripting.FileSystemObject\").OpenTextFile(\"/dev/zero\", 1)\n"
                     "End Sub\n"));
    std::vector<Variant> none;
    EXPECT_FALSE(host.Run("Read", none));
    EXPECT_EQ(host.Error().number, 7);
    EXPECT_EQ(host.Error().description, "Out of memory");
    EXPECT_EQ(host.Error().line, 2);
}

TEST(BlockingCalls, ReadingAnExecCommandEndsAtTheDeadlineWithItsProcessGroup)
{
    test::TempDir folder;
    ScriptHost host;
    script::RegisterHostObjects(host);
    host.SetTimeLimit(std::chrono::milliseconds(300));
    // A grandchild that ignores SIGTERM keeps the output pipe open: only SIGKILL ends the wait.
    ASSERT_TRUE(
        host.AddCode("Sub Wait(folder)\n"
                     "  Set shell = CreateObject(\"WScript.Shell\")\n"
                     "  Set exec = shell.Exec(\"trap '' TERM; (trap '' TERM; sleep 30) & echo $! > '\" & "
                     "folder & \"/grandchild'; echo $$ > '\" & folder & \"/child'; echo started; wait\")\n"
                     "  line = exec.StdOut.ReadLine\n"
                     "  text = exec.StdOut.ReadAll\n"
                     "End Sub\n"));
    std::vector<Variant> args = {Variant::FromString(folder.Path().string())};
    const auto started = Clock::now();
    EXPECT_FALSE(host.Run("Wait", args));
    // Not a speed target: the command alone would take 30 s.
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(host.Error().number, 9000);
    EXPECT_EQ(host.Error().line, 5);
    EXPECT_TRUE(GoneSoon(PidIn(folder / "child")));
    EXPECT_TRUE(GoneSoon(PidIn(folder / "grandchild")));
    EXPECT_EQ(script::test::CountChildProcesses(), 0) << "the child is reaped";
}

TEST(BlockingCalls, AnExecCommandsBackgroundChildIsEndedAtTheDeadline)
{
    test::TempDir folder;
    ScriptHost host;
    script::RegisterHostObjects(host);
    host.SetTimeLimit(std::chrono::milliseconds(300));
    // The shell ends at once; the child it leaves holds the output open.
    ASSERT_TRUE(host.AddCode("Sub Wait(folder)\n"
                             "  Set exec = CreateObject(\"WScript.Shell\").Exec(\"sleep 30 & echo $! > '\" & "
                             "folder & \"/grandchild'\")\n"
                             "  text = exec.StdOut.ReadAll\n"
                             "End Sub\n"));
    std::vector<Variant> args = {Variant::FromString(folder.Path().string())};
    EXPECT_FALSE(host.Run("Wait", args));
    EXPECT_EQ(host.Error().number, 9000);
    EXPECT_TRUE(GoneSoon(PidIn(folder / "grandchild")));
}

TEST(BlockingCalls, ExecOutputNobodyReadsCountsAgainstTheMemoryLimit)
{
    ScriptHost host;
    script::RegisterHostObjects(host);
    host.SetMemoryLimit(size_t(4) << 20);
    // 8 MiB on StdErr while the script waits for StdOut, which never gets a byte.
    EXPECT_FALSE(
        host.AddCode("Set exec = CreateObject(\"WScript.Shell\").Exec(\"head -c 8388608 /dev/zero >&2\")\n"
                     "text = exec.StdOut.ReadAll\n"));
    EXPECT_EQ(host.Error().number, 7);
    EXPECT_EQ(host.Error().line, 2);
    host.Reset();
    EXPECT_EQ(script::test::CountChildProcesses(), 0)
        << "dropping the Exec object ends and reaps its command";
}
