#include "HostFixture.h"

#include "AsciiText.h"
#include "Coercion.h"
#include "ScriptError.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace vortalux::script::test {

namespace {

std::string Answer(const vortalux::test::RecordedRequest& request)
{
    using vortalux::test::LoopbackHttpServer;
    if (request.target == "/echo")
        return LoopbackHttpServer::Response(200, request.method + " " + request.body);
    if (request.target.rfind("/status/", 0) == 0)
        return LoopbackHttpServer::Response(std::stoi(request.target.substr(8)), "status page");
    if (request.target == "/redirect")
        return "HTTP/1.1 302 Found\r\nLocation: /echo\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    if (request.target == "/headers")
        return "HTTP/1.1 200 OK\r\nX-Test: one\r\nX-Test: two\r\nContent-Length: 2\r\nConnection: "
               "close\r\n\r\nok";
    return LoopbackHttpServer::Response(404, "no such page");
}

} // namespace

int CountChildProcesses()
{
    const std::string self = std::to_string(::getpid());
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream stat(entry.path() / "stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        // "pid (name) state ppid ...": the name may hold blanks and parentheses.
        const size_t close = text.rfind(')');
        if (close == std::string::npos)
            continue;
        std::string state, parent;
        std::istringstream fields(text.substr(close + 1));
        fields >> state >> parent;
        count += parent == self ? 1 : 0;
    }
    return count;
}

HostFixture::HostFixture()
    : m_server(Answer)
{
    m_silentListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(m_silentListener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(m_silentListener, 4);
    ::getsockname(m_silentListener, reinterpret_cast<sockaddr*>(&address), &length);
    m_silentPort = ntohs(address.sin_port);
}

HostFixture::~HostFixture() { ::close(m_silentListener); }

Variant HostFixture::CallMethod(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "Folder"))
        return Variant::FromString(m_folder.Path().string());
    if (EqualsNoCase(name, "Url") && args.size() == 1)
        return Variant::FromString(m_server.Url(ToString(args[0])));
    if (EqualsNoCase(name, "SilentUrl"))
        return Variant::FromString("http://127.0.0.1:" + std::to_string(m_silentPort) + "/");
    if (EqualsNoCase(name, "RequestCount"))
        return Variant::FromLong(static_cast<int32_t>(m_server.Requests().size()));
    if (EqualsNoCase(name, "Request") && args.size() == 2) {
        const auto requests = m_server.Requests();
        const auto index = static_cast<size_t>(ToLong(args[0]));
        if (index >= requests.size())
            Raise(errc::SubscriptOutOfRange);
        const auto& request = requests[index];
        const std::string part = ToString(args[1]);
        if (EqualsNoCase(part, "method"))
            return Variant::FromString(request.method);
        if (EqualsNoCase(part, "target"))
            return Variant::FromString(request.target);
        if (EqualsNoCase(part, "body"))
            return Variant::FromString(request.body);
        return Variant::FromString(request.Header(part));
    }
    if (EqualsNoCase(name, "ReadFile") && args.size() == 1)
        return Variant::FromString(vortalux::test::ReadFileBytes(ToString(args[0])));
    if (EqualsNoCase(name, "WriteFile") && args.size() == 2) {
        vortalux::test::WriteFileBytes(ToString(args[0]), ToString(args[1]));
        return {};
    }
    if (EqualsNoCase(name, "Children"))
        return Variant::FromLong(CountChildProcesses());
    Raise(errc::NoSuchMember);
}

} // namespace vortalux::script::test
