// The server's side of the exchange, which faces the internet: the same bytes go to the request
// framer (whole and in pieces whose sizes come from the input's first bytes: the outcome must not
// depend on how the socket split them), to the form decoder (whatever it accepts must encode and
// decode to the same fields) and to the answering code over a published folder with links out of
// it (a reply is "ok..." exactly when it succeeds, and no byte of a file outside ever comes back).
#include "ExchangeHandler.h"
#include "FormBody.h"
#include "RequestFramer.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>
#include <unistd.h>

using namespace vortalux::server;
namespace fs = std::filesystem;

namespace {

constexpr std::string_view Secret = "SECRET-OUTSIDE-THE-ROOT";

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void Write(const fs::path& path, std::string_view bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

struct Published {
    fs::path base;
    std::unique_ptr<PublishedFolder> folder;
    std::unique_ptr<ReportStore> reports;
    RateLimiter limiter {0};
    std::unique_ptr<ExchangeHandler> handler;
    size_t calls = 0;

    Published()
    {
        char pattern[] = "/tmp/vortalux-server-fuzz-XXXXXX";
        base = mkdtemp(pattern);
        const fs::path root = base / "root";
        Write(root / "core/versions.ini", "[Main]\r\nengine=1.2.3\r\nprogram=0.1.11\r\n");
        Write(root / "core/vtl", "program");
        Write(root / "Managers/a.vtm", "[Main]\r\nver=1\r\n");
        Write(root / "Rules/a.vtl", "[Main]\r\nver=2\r\n");
        Write(base / "secret.vtl", Secret);
        fs::create_symlink(base / "secret.vtl", root / "Rules/out.vtl");
        fs::create_symlink("../../secret.vtl", root / "Managers/out.vtm");
        fs::create_symlink(base, root / "Rules/up");
        folder = std::make_unique<PublishedFolder>(root);
        Reopen();
    }
    ~Published() { fs::remove_all(base); }

    // A fresh in-memory store now and then, so the reports of a long run do not pile up.
    void Reopen()
    {
        handler.reset();
        std::string error;
        reports = ReportStore::Open(":memory:", ReportStore::OpenMode::CreateIfMissing, error);
        Check(reports != nullptr);
        handler = std::make_unique<ExchangeHandler>(*folder, *reports, limiter);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Published published;
    if (size < 4)
        return 0;
    const std::string_view splits(reinterpret_cast<const char*>(data), 4);
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 4, size - 4);

    const RequestFramer::Limits limits {.maxHeaderBytes = 512, .maxBodyBytes = 256};
    RequestFramer whole(limits);
    const auto wholeVerdict = whole.Feed(bytes);
    RequestFramer pieces(limits);
    auto piecesVerdict = RequestFramer::Verdict::Continue;
    size_t at = 0;
    for (size_t i = 0; at < bytes.size(); ++i) {
        const size_t piece = 1 + static_cast<unsigned char>(splits[i % splits.size()]) % 64;
        piecesVerdict = pieces.Feed(bytes.substr(at, piece));
        at += piece;
    }
    Check(wholeVerdict == piecesVerdict);
    Check(whole.CompletedRequests() == pieces.CompletedRequests());
    Check(whole.RefusalStatus() == pieces.RefusalStatus());

    if (const auto fields = DecodeFormBody(bytes)) {
        const auto again = DecodeFormBody(EncodeFormBody(*fields));
        Check(again && *again == *fields);
    }

    if (++published.calls % 10000 == 0)
        published.Reopen();
    const ExchangeReply reply = published.handler->Handle(bytes, "192.0.2.1", RateLimiter::Clock::now());
    Check((reply.status == 200) == reply.body.starts_with("ok"));
    Check(reply.status == 200 || reply.body.starts_with("error: "));
    Check(reply.body.find(Secret) == std::string::npos);
    return 0;
}
