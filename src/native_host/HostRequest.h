#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux {

// One message of the browser extension, checked and ready for the engine. Only http and https
// addresses with a host and without control bytes or blanks reach it.
struct HostRequest {
    enum class Command { Version, AddUrl, AddUrlList };
    Command command = Command::Version;
    // add-url. The referer is empty unless it is such an address too; the description's control
    // bytes are blanks.
    std::string url;
    std::string desc;
    std::string referer;
    // add-url-list, in the engine's layout: the origin page (empty unless it is such an
    // address), then each accepted link's URL and description.
    std::vector<std::string> urlList;
    // add-url-list: the links left out because of their address.
    size_t refused = 0;

    size_t Accepted() const { return urlList.empty() ? 0 : (urlList.size() - 1) / 2; }
};

// Decodes one message body: {"cmd":"version"}, {"cmd":"add-url","url","desc","referer"} or
// {"cmd":"add-url-list","origin","links":[{"url","desc"}]}, "desc" and "referer" optional.
// False with the reason in `error` for anything else: bytes that are not UTF-8, text that is not
// JSON, an unknown command, a field missing or not a string, an add-url whose address may not
// be sent. A list's links whose address may not be sent are left out and counted instead.
[[nodiscard]] bool DecodeHostRequest(std::string_view body, HostRequest& request, std::string& error);

// The message that DecodeHostRequest turns back into `request` (with nothing refused).
std::string EncodeHostRequest(const HostRequest& request);

// The replies: {"ok":true,...} for an accepted request, {"ok":false,"error":...} otherwise.
std::string AcceptedReply(const HostRequest& request, std::string_view version);
std::string ErrorReply(std::string_view error);

// An http or https address with a host, holding no control byte, blank or DEL.
bool IsSendableUrl(std::string_view url);

} // namespace vortalux
