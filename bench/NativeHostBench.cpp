// The native-messaging host as browsers meet it: its start (a browser starts it for each
// connection) to the first reply, a page of 2,000 links from the message to the reply, and the
// decoding and checking of such a message, and of a hostile one, in the process.

#include "HostRequest.h"
#include "NativeMessageFramer.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

extern char** environ;

namespace fs = std::filesystem;
using namespace vortalux;

namespace {

std::string PageOfLinks(int links)
{
    std::string body
        = "{\"cmd\":\"add-url-list\",\"origin\":\"https://forum.example/thread/12345?page=2\",\"links\":[";
    for (int i = 0; i < links; ++i) {
        body += i == 0 ? "{" : ",{";
        body += "\"url\":\"https://host" + std::to_string(i % 40) + ".example/viewer.php?id="
            + std::to_string(i) + "&size=thumb\",\"desc\":\"Picture " + std::to_string(i) + "\"}";
    }
    return body + "]}";
}

// Sends `frames` to a fresh host and returns the seconds until its first whole reply.
double FirstReplySeconds(const std::string& frames, const fs::path& home, std::string& reply)
{
    int toHost[2];
    int fromHost[2];
    if (::pipe2(toHost, O_CLOEXEC) != 0 || ::pipe2(fromHost, O_CLOEXEC) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toHost[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromHost[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string program = VORTALUX_PROGRAM_DIR "/vortalux-native-host";
    const std::string homeVariable = "VORTALUX_HOME=" + home.string();
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    char* envp[] = {const_cast<char*>(homeVariable.c_str()), nullptr};

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    const int failure = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp);
    posix_spawn_file_actions_destroy(&actions);
    ::close(toHost[0]);
    ::close(fromHost[1]);
    if (failure != 0)
        return -1;
    [[maybe_unused]] const ssize_t sent = ::write(toHost[1], frames.data(), frames.size());
    NativeMessageFramer framer;
    std::vector<std::string> replies;
    char buffer[4096];
    while (replies.empty()) {
        const ssize_t got = ::read(fromHost[0], buffer, sizeof buffer);
        if (got <= 0 || !framer.Feed(std::string_view(buffer, static_cast<size_t>(got)), replies))
            break;
    }
    const auto end = std::chrono::steady_clock::now();
    ::close(toHost[1]);
    ::close(fromHost[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    reply = replies.empty() ? std::string() : replies.front();
    return std::chrono::duration<double>(end - start).count();
}

void Measure(benchmark::State& state, const std::string& body, const std::string& expected)
{
    // No download-manager definition: the engine's worker drops the links after its message.
    const fs::path home = fs::temp_directory_path() / "vortalux-bench-native-host";
    fs::create_directories(home);
    const std::string frames = NativeMessageFramer::Frame(body);
    for (auto _ : state) {
        std::string reply;
        const double seconds = FirstReplySeconds(frames, home, reply);
        if (seconds < 0 || reply != expected) {
            state.SkipWithError(("unexpected reply: " + reply).c_str());
            break;
        }
        state.SetIterationTime(seconds);
    }
}

void BM_HostStartToVersionReply(benchmark::State& state)
{
    Measure(state, "{\"cmd\":\"version\"}", "{\"ok\":true,\"version\":\"0.1.4\"}");
}
BENCHMARK(BM_HostStartToVersionReply)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(50);

// Decoding, checking, passing the list to the engine's worker (started for it) and replying.
void BM_HostStartToReplyFor2000Links(benchmark::State& state)
{
    Measure(state, PageOfLinks(2000), "{\"ok\":true,\"accepted\":2000,\"refused\":0}");
}
BENCHMARK(BM_HostStartToReplyFor2000Links)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

void BM_DecodeAndCheck2000Links(benchmark::State& state)
{
    const std::string body = PageOfLinks(2000);
    for (auto _ : state) {
        HostRequest request;
        std::string error;
        if (!DecodeHostRequest(body, request, error) || request.Accepted() != 2000) {
            state.SkipWithError(error.c_str());
            break;
        }
        benchmark::DoNotOptimize(request);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_DecodeAndCheck2000Links)->Unit(benchmark::kMillisecond);

// A hostile message: one object of 100,000 distinct members. The reader's duplicate check
// must stay linear.
void BM_DecodeObjectOf100000Members(benchmark::State& state)
{
    std::string body = "{\"cmd\":\"version\"";
    for (int i = 0; i < 100'000; ++i)
        body += ",\"m" + std::to_string(i) + "\":0";
    body += "}";
    for (auto _ : state) {
        HostRequest request;
        std::string error;
        if (!DecodeHostRequest(body, request, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
}
BENCHMARK(BM_DecodeObjectOf100000Members)->Unit(benchmark::kMillisecond);

} // namespace
BENCHMARK_MAIN();
