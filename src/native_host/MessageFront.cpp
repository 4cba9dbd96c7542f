#include "MessageFront.h"

#include "EngineWorker.h"
#include "HostRequest.h"
#include "NativeMessageFramer.h"

#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <vector>

namespace vortalux {

namespace {

// A reader that has gone away loses the replies; the requests already taken still run.
void WriteFrame(int output, std::string_view body)
{
    const std::string frame = NativeMessageFramer::Frame(body);
    std::string_view rest = frame;
    while (!rest.empty()) {
        const ssize_t written = ::write(output, rest.data(), rest.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        rest.remove_prefix(static_cast<size_t>(written));
    }
}

std::string Answer(const std::string& body, const std::string& version, EngineWorker& worker)
{
    HostRequest request;
    std::string error;
    if (!DecodeHostRequest(body, request, error))
        return ErrorReply(error);
    const bool forEngine = request.command == HostRequest::Command::AddUrl
        || (request.command == HostRequest::Command::AddUrlList && request.Accepted() > 0);
    if (forEngine && !worker.Send(NativeMessageFramer::Frame(EncodeHostRequest(request)), error))
        return ErrorReply(error);
    return AcceptedReply(request, version);
}

} // namespace

int RunMessageFront(int input, int output, const std::string& version, EngineWorker& worker)
{
    NativeMessageFramer framer;
    std::vector<std::string> messages;
    std::vector<char> buffer(64 * 1024);
    bool delimited = true;
    while (delimited) {
        const ssize_t got = ::read(input, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            delimited = framer.Finish();
            break;
        }
        messages.clear();
        delimited = framer.Feed(std::string_view(buffer.data(), static_cast<size_t>(got)), messages);
        for (const std::string& message : messages)
            WriteFrame(output, Answer(message, version, worker));
    }
    if (!delimited) {
        std::cerr << "vortalux-native-host: " << framer.Error() << '\n';
        WriteFrame(output, ErrorReply(framer.Error()));
    }
    worker.Finish();
    return delimited ? 0 : 1;
}

} // namespace vortalux
