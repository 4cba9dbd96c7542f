// vortalux-server under load on loopback, each request on a connection of its own as the
// configuration program makes it: "versions" with 1,000 rules published, and 200 clients sending
// 50 failure reports each at once, every one of them counted in the database afterwards.
#include "BackgroundServer.h"
#include "FormBody.h"
#include "ReportStore.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using namespace vortalux::server;
namespace fs = std::filesystem;

namespace {

class BenchFolder {
public:
    BenchFolder()
    {
        char pattern[] = "/tmp/vortalux-server-bench-XXXXXX";
        m_path = mkdtemp(pattern);
    }
    ~BenchFolder() { fs::remove_all(m_path); }
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

void Write(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ClientRequest(const std::string& body)
{
    return "POST /vtl.php HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Type: application/x-www-form-urlencoded\r\n"
           "User-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows 98; VTL)\r\nAccept: */*, *,*\r\n"
           "Content-Length: "
        + std::to_string(body.size()) + "\r\nConnection: Keep-Alive\r\n\r\n" + body + "\r\n";
}

// One exchange on a fresh connection; the reply body, or "" when it failed. The connection is
// reset on close so a long run does not fill the port range with TIME_WAIT entries.
std::string Exchange(quint16 port, const std::string& request)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string received;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
        char buffer[65536];
        while (true) {
            const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            received.append(buffer, static_cast<size_t>(got));
            const size_t headEnd = received.find("\r\n\r\n");
            const size_t lengthAt = received.find("Content-Length: ");
            if (headEnd == std::string::npos || lengthAt == std::string::npos)
                continue;
            size_t length = 0;
            std::from_chars(received.data() + lengthAt + 16, received.data() + headEnd, length);
            if (received.size() - headEnd - 4 >= length) {
                received.erase(0, headEnd + 4);
                break;
            }
        }
    }
    const linger reset {1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    close(fd);
    return received;
}

// The published folder of the "versions" runs and its server, made once for every run and
// stopped by main() while the application object still exists.
struct VersionsFixture {
    BenchFolder folder;
    std::unique_ptr<BackgroundServer> server;

    VersionsFixture()
    {
        Write(folder.Path() / "core/versions.ini", "[Main]\r\nengine=1.2.3\r\nprogram=0.1.11\r\n");
        for (int i = 0; i < 1000; ++i)
            Write(folder.Path() / "Rules" / ("rule" + std::to_string(i) + ".vtl"),
                "[Main]\r\nver=" + std::to_string(i % 7 + 1) + "\r\nName=rule\r\n");
        ServerSettings settings;
        settings.root = folder.Path();
        server = std::make_unique<BackgroundServer>(settings);
    }
};

std::unique_ptr<VersionsFixture>& Versions()
{
    static std::unique_ptr<VersionsFixture> fixture;
    return fixture;
}

void BM_VersionsWith1000Rules(benchmark::State& state)
{
    // The other threads wait at the start of the loop until this one is there.
    if (state.thread_index() == 0 && !Versions())
        Versions() = std::make_unique<VersionsFixture>();
    const std::string request = ClientRequest("action=versions");
    int64_t failed = 0;
    for (auto _ : state) {
        const std::string reply = Exchange(Versions()->server->Port(), request);
        if (!reply.starts_with("ok1.2.3:0.1.11:0:1000:rule0:1:"))
            ++failed;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["failed"] = static_cast<double>(failed);
}
BENCHMARK(BM_VersionsWith1000Rules)->Threads(1)->Threads(4)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_200ClientsSend50ReportsEach(benchmark::State& state)
{
    constexpr int Clients = 200;
    constexpr int ReportsEach = 50;
    int64_t lost = 0;
    for (auto _ : state) {
        state.PauseTiming();
        BenchFolder folder;
        Write(folder.Path() / "core/versions.ini", "[Main]\r\nengine=1.2.3\r\nprogram=0.1.11\r\n");
        ServerSettings settings;
        settings.root = folder.Path();
        settings.reportsPerMinute = 0; // every client comes from 127.0.0.1
        auto server = std::make_unique<BackgroundServer>(settings);
        std::atomic<int64_t> answered {0};
        state.ResumeTiming();

        std::vector<std::thread> clients;
        for (int c = 0; c < Clients; ++c) {
            clients.emplace_back([&, c] {
                for (int r = 0; r < ReportsEach; ++r) {
                    const std::string body = EncodeFormBody({{"action", "sendreport"},
                        {"URL", "http://pics.example/view.php?id=" + std::to_string(c * ReportsEach + r)},
                        {"Rule", "picsrule"}, {"ver", "3"}, {"Ident", ""}, {"Type", "1"}, {"Referer", ""},
                        {"nbSR", "1"}, {"sr1_1", "id=(\\d+)"}, {"sr2_1", "/full/$1.jpg"}, {"nbOS", "0"},
                        {"Referer_Regexp", ""}, {"Referer_Result", ""}});
                    if (Exchange(server->Port(), ClientRequest(body)) == "ok")
                        ++answered;
                }
            });
        }
        for (std::thread& client : clients)
            client.join();

        state.PauseTiming();
        server.reset();
        std::string error;
        const auto store
            = ReportStore::Open(folder.Path() / "reports.sqlite", ReportStore::OpenMode::ExistingOnly, error);
        const int64_t stored = store ? store->Count() : 0;
        lost += Clients * ReportsEach - stored;
        if (answered != stored)
            state.SkipWithError("the server answered \"ok\" for a report it did not store");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * Clients * ReportsEach);
    state.counters["lost"] = static_cast<double>(lost);
}
BENCHMARK(BM_200ClientsSend50ReportsEach)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    Versions().reset();
    benchmark::Shutdown();
    return 0;
}
