// Downloads a 50 MiB page over loopback with the page fetcher and, for comparison, with curl from
// the same server in the same run. The peak memory of one fetch is measured in a child process
// (this program started again with --peak-memory URL), so the benchmark's own buffers do not count.
#include "PageFetcher.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

constexpr size_t BodySize = 50 * 1024 * 1024;

// A plain blocking HTTP/1.0 server on its own thread: answers every request with the same page.
class LoopbackServer {
public:
    LoopbackServer()
        : m_body(BodySize, '\0')
    {
        for (size_t i = 0; i < m_body.size(); ++i)
            m_body[i] = static_cast<char>('a' + i % 26);
        m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(m_listener, 8) != 0
            || getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot listen");
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~LoopbackServer()
    {
        m_stop = true;
        m_thread.join();
        close(m_listener);
    }

    std::string Url(bool sized) const
    {
        return "http://127.0.0.1:" + std::to_string(m_port) + (sized ? "/sized" : "/streamed");
    }

private:
    void Serve()
    {
        const std::string header = "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n";
        const std::string length = "Content-Length: " + std::to_string(BodySize) + "\r\n";
        while (!m_stop) {
            pollfd waiting {m_listener, POLLIN, 0};
            if (poll(&waiting, 1, 100) <= 0)
                continue;
            const int connection = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0)
                continue;
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
                if (got <= 0)
                    break;
                request.append(buffer, static_cast<size_t>(got));
            }
            // "/sized" announces the length (as static files do), "/streamed" does not (as many
            // generated pages do): only the first lets the fetcher reserve memory up front.
            const bool sized = request.starts_with("GET /sized ");
            if (SendAll(connection, header + (sized ? length : "") + "\r\n") && SendAll(connection, m_body))
                shutdown(connection, SHUT_WR);
            close(connection);
        }
    }

    static bool SendAll(int connection, const std::string& bytes)
    {
        size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            sent += static_cast<size_t>(n);
        }
        return true;
    }

    std::string m_body;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop {false};
    std::thread m_thread;
};

LoopbackServer& Server()
{
    static LoopbackServer server;
    return server;
}

long StatusKilobytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + std::char_traits<char>::length(field));
    }
    return -1;
}

vortalux::PageFetcher& Fetcher()
{
    static vortalux::PageFetcher fetcher;
    fetcher.SetCookieLookup({});
    return fetcher;
}

// Argument 1: the server announces the length; 0: it does not.
void BM_OpenURL(benchmark::State& state)
{
    const std::string url = Server().Url(state.range(0) != 0);
    for (auto _ : state) {
        const std::string page = Fetcher().OpenURL(url);
        if (page.size() != BodySize) {
            state.SkipWithError("short page");
            break;
        }
        benchmark::DoNotOptimize(page.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * BodySize));
}
BENCHMARK(BM_OpenURL)
    ->ArgName("sized")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

void BM_Curl(benchmark::State& state)
{
    const std::string command = "curl -s -o /dev/null " + Server().Url(true);
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("curl failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * BodySize));
}
BENCHMARK(BM_Curl)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Peak resident memory one fetch adds, measured in a fresh process, against the body size.
void BM_PeakMemory(benchmark::State& state)
{
    const std::string command
        = "/proc/" + std::to_string(getpid()) + "/exe --peak-memory " + Server().Url(state.range(0) != 0);
    long before = 0, after = 0, bytes = 0;
    for (auto _ : state) {
        std::unique_ptr<FILE, int (*)(FILE*)> child(popen(command.c_str(), "r"), pclose);
        if (child == nullptr || std::fscanf(child.get(), "%ld %ld %ld", &before, &after, &bytes) != 3) {
            state.SkipWithError("the measuring process failed");
            break;
        }
    }
    state.counters["body_MiB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
    state.counters["peak_growth_MiB"] = static_cast<double>(after - before) / 1024.0;
    state.counters["peak_per_body"]
        = static_cast<double>(after - before) * 1024.0 / static_cast<double>(bytes);
}
BENCHMARK(BM_PeakMemory)
    ->ArgName("sized")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

int MeasurePeakMemory(const char* url)
{
    const long before = StatusKilobytes("VmHWM:");
    const std::string page = Fetcher().OpenURL(url);
    const long after = StatusKilobytes("VmHWM:");
    std::printf("%ld %ld %zu\n", before, after, page.size());
    return page.size() == BodySize ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc == 3 && std::string_view(argv[1]) == "--peak-memory")
        return MeasurePeakMemory(argv[2]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
