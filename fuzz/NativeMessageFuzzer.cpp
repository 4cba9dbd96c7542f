// The native-messaging host's input, which any page's extension traffic can shape: the same bytes
// go to the framer whole and in pieces whose sizes come from the input's first byte (the messages
// must not depend on how the pipe split them), and every message, and the whole input as one,
// to the decoder. What it accepts holds only sendable addresses and descriptions without control
// bytes, encodes and decodes to the same request, and every reply is well-formed JSON.
#include "HostRequest.h"
#include "JsonReader.h"
#include "NativeMessageFramer.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace vortalux;

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

bool NoControlBytes(std::string_view text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F')
            return false;
    }
    return true;
}

void CheckReply(const std::string& reply)
{
    std::string error;
    const auto json = JsonReader::Parse(reply, error);
    Check(json.has_value() && json->kind == JsonValue::Kind::Object);
    const JsonValue* ok = json->Find("ok");
    Check(ok != nullptr && ok->kind == JsonValue::Kind::Bool);
}

void Decode(std::string_view body)
{
    HostRequest request;
    std::string error;
    if (!DecodeHostRequest(body, request, error)) {
        Check(!error.empty());
        CheckReply(ErrorReply(error));
        return;
    }
    switch (request.command) {
    case HostRequest::Command::Version:
        break;
    case HostRequest::Command::AddUrl:
        Check(IsSendableUrl(request.url));
        Check(request.referer.empty() || IsSendableUrl(request.referer));
        Check(NoControlBytes(request.desc));
        break;
    case HostRequest::Command::AddUrlList:
        Check(request.urlList.size() % 2 == 1);
        Check(request.urlList[0].empty() || IsSendableUrl(request.urlList[0]));
        for (size_t i = 1; i < request.urlList.size(); i += 2) {
            Check(IsSendableUrl(request.urlList[i]));
            Check(NoControlBytes(request.urlList[i + 1]));
        }
        break;
    }
    CheckReply(AcceptedReply(request, "0.1.4"));
    HostRequest again;
    Check(DecodeHostRequest(EncodeHostRequest(request), again, error));
    Check(again.command == request.command && again.url == request.url && again.desc == request.desc
        && again.referer == request.referer && again.urlList == request.urlList && again.refused == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    NativeMessageFramer whole;
    std::vector<std::string> messages;
    const bool wholeDelimited = whole.Feed(input, messages);
    const bool wholeFinished = whole.Finish();

    const size_t piece = size == 0 ? 1 : 1 + static_cast<unsigned char>(input[0]) % 16;
    NativeMessageFramer pieces;
    std::vector<std::string> pieceMessages;
    bool piecesDelimited = true;
    for (size_t at = 0; at < size; at += piece)
        piecesDelimited = pieces.Feed(input.substr(at, piece), pieceMessages) && piecesDelimited;
    Check(pieces.Finish() == wholeFinished && piecesDelimited == wholeDelimited);
    Check(pieceMessages == messages && pieces.Error() == whole.Error());

    for (const std::string& message : messages)
        Decode(message);
    Decode(input);
    return 0;
}
