// Feeds a response to the parser whole and again in pieces whose sizes come from the input's
// first bytes: the outcome must not depend on how the socket happened to split the data.
#include "HttpResponseParser.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using vortalux::HttpResponseParser;

namespace {

constexpr size_t MaxBody = 4096;
constexpr size_t MaxHeader = 2048;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    std::string_view splits(reinterpret_cast<const char*>(data), 4);
    const std::string_view response(reinterpret_cast<const char*>(data) + 4, size - 4);

    HttpResponseParser whole(MaxBody, MaxHeader);
    whole.Feed(response);

    HttpResponseParser pieces(MaxBody, MaxHeader);
    size_t at = 0;
    for (size_t i = 0; at < response.size(); ++i) {
        const size_t piece = 1 + static_cast<unsigned char>(splits[i % splits.size()]) % 64;
        pieces.Feed(response.substr(at, piece));
        at += piece;
    }

    Check(whole.GetState() == pieces.GetState());
    Check(whole.Code() == pieces.Code());
    Check(whole.Location() == pieces.Location());
    Check(whole.Body() == pieces.Body());
    Check(whole.Body().size() <= MaxBody);
    using State = HttpResponseParser::State;
    const State state = whole.GetState();
    Check(state != State::Body || whole.Code() == "200");
    Check(state != State::Redirect || !whole.Location().empty());
    Check(whole.Body().empty() || state == State::Body || state == State::BodyFull);
    Check(state == State::Incomplete || state == State::Rejected || response.starts_with("HTTP/1."));
    Check(whole.GetRejection() == pieces.GetRejection());
    Check((state == State::Rejected) == (whole.GetRejection() != HttpResponseParser::Rejection::None));
    // No control byte of the server's reaches a request through a redirect.
    for (const char c : whole.Location())
        Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    return 0;
}
