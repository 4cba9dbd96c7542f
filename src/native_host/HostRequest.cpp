#include "HostRequest.h"

#include "AsciiText.h"
#include "JsonReader.h"
#include "JsonWriter.h"
#include "NativeMessageFramer.h"
#include "Utf8Text.h"

#include <sstream>

namespace vortalux {

namespace {

enum class Presence { Required, Optional };

// The string member `name` of `object` into `out`; absent optional members give "".
bool StringField(const JsonValue& object, std::string_view name, Presence presence, std::string& out,
    std::string& error, std::string_view where = {})
{
    const JsonValue* value = object.Find(name);
    if (value == nullptr) {
        if (presence == Presence::Optional) {
            out.clear();
            return true;
        }
        error = std::string(where) + "\"" + std::string(name) + "\" is missing";
        return false;
    }
    if (value->kind != JsonValue::Kind::String) {
        error = std::string(where) + "\"" + std::string(name) + "\" must be a string";
        return false;
    }
    out = value->text;
    return true;
}

bool IsValidUtf8(std::string_view bytes)
{
    for (size_t at = 0; at < bytes.size();) {
        const size_t length = Utf8SequenceLength(bytes, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

// Descriptions end up in windows, file names and download managers' command lines.
std::string WithoutControlBytes(std::string text)
{
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F')
            c = ' ';
    }
    return text;
}

std::string SendableOrEmpty(std::string url) { return IsSendableUrl(url) ? url : std::string(); }

bool DecodeList(const JsonValue& message, HostRequest& request, std::string& error)
{
    std::string origin;
    if (!StringField(message, "origin", Presence::Required, origin, error))
        return false;
    const JsonValue* links = message.Find("links");
    if (links == nullptr || links->kind != JsonValue::Kind::Array) {
        error = links == nullptr ? "\"links\" is missing" : "\"links\" must be an array";
        return false;
    }
    request.urlList.reserve(1 + 2 * links->items.size());
    request.urlList.push_back(SendableOrEmpty(std::move(origin)));
    std::string url;
    std::string desc;
    for (size_t i = 0; i < links->items.size(); ++i) {
        const JsonValue& link = links->items[i];
        const std::string where = "link " + std::to_string(i + 1) + ": ";
        if (link.kind != JsonValue::Kind::Object) {
            error = where + "not an object";
            return false;
        }
        if (!StringField(link, "url", Presence::Required, url, error, where)
            || !StringField(link, "desc", Presence::Optional, desc, error, where))
            return false;
        if (!IsSendableUrl(url)) {
            ++request.refused;
            continue;
        }
        request.urlList.push_back(std::move(url));
        request.urlList.push_back(WithoutControlBytes(std::move(desc)));
    }
    return true;
}

} // namespace

bool IsSendableUrl(std::string_view url)
{
    size_t start = 0;
    if (StartsWithNoCase(url, "http://"))
        start = 7;
    else if (StartsWithNoCase(url, "https://"))
        start = 8;
    else
        return false;
    for (const char c : url) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == '\x7F')
            return false;
    }
    std::string_view authority = url.substr(start, url.find_first_of("/?#", start) - start);
    if (const size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    std::string_view host = authority;
    if (!host.empty() && host.front() == '[') {
        const size_t close = host.find(']');
        if (close == std::string_view::npos)
            return false;
        const std::string_view rest = host.substr(close + 1);
        if (!rest.empty() && rest.front() != ':')
            return false;
        host = host.substr(0, close + 1);
    } else if (const size_t colon = host.rfind(':'); colon != std::string_view::npos) {
        host = host.substr(0, colon);
    }
    return !host.empty() && host != "[]";
}

bool DecodeHostRequest(std::string_view body, HostRequest& request, std::string& error)
{
    request = HostRequest {};
    if (!IsValidUtf8(body)) {
        error = "the message is not valid UTF-8";
        return false;
    }
    std::string jsonError;
    const auto message = JsonReader::Parse(body, jsonError,
        JsonLimits {.maxBytes = NativeMessageFramer::MaxMessageBytes, .maxDepth = 8, .maxValues = 1'000'000});
    if (!message) {
        error = "the message is not JSON: " + jsonError;
        return false;
    }
    if (message->kind != JsonValue::Kind::Object) {
        error = "the message is not a JSON object";
        return false;
    }
    std::string command;
    if (!StringField(*message, "cmd", Presence::Required, command, error))
        return false;
    if (command == "version") {
        request.command = HostRequest::Command::Version;
        return true;
    }
    if (command == "add-url") {
        request.command = HostRequest::Command::AddUrl;
        std::string desc;
        std::string referer;
        if (!StringField(*message, "url", Presence::Required, request.url, error)
            || !StringField(*message, "desc", Presence::Optional, desc, error)
            || !StringField(*message, "referer", Presence::Optional, referer, error))
            return false;
        if (!IsSendableUrl(request.url)) {
            error = "\"url\" is not an http or https address";
            return false;
        }
        request.desc = WithoutControlBytes(std::move(desc));
        request.referer = SendableOrEmpty(std::move(referer));
        return true;
    }
    if (command == "add-url-list") {
        request.command = HostRequest::Command::AddUrlList;
        return DecodeList(*message, request, error);
    }
    error = "unknown command " + JsonWriter::Quote(command.substr(0, 64));
    return false;
}

std::string EncodeHostRequest(const HostRequest& request)
{
    std::ostringstream out;
    JsonWriter json(out, JsonLayout::Compact);
    json.BeginObject();
    switch (request.command) {
    case HostRequest::Command::Version:
        json.Key("cmd").String("version");
        break;
    case HostRequest::Command::AddUrl:
        json.Key("cmd").String("add-url").Key("url").String(request.url).Key("desc").String(request.desc);
        json.Key("referer").String(request.referer);
        break;
    case HostRequest::Command::AddUrlList:
        json.Key("cmd")
            .String("add-url-list")
            .Key("origin")
            .String(request.urlList.empty() ? "" : request.urlList[0]);
        json.Key("links").BeginArray();
        for (size_t i = 1; i + 1 < request.urlList.size(); i += 2)
            json.BeginObject()
                .Key("url")
                .String(request.urlList[i])
                .Key("desc")
                .String(request.urlList[i + 1])
                .EndObject();
        json.EndArray();
        break;
    }
    json.EndObject();
    return out.str();
}

std::string AcceptedReply(const HostRequest& request, std::string_view version)
{
    std::ostringstream out;
    JsonWriter json(out, JsonLayout::Compact);
    json.BeginObject().Key("ok").Bool(true);
    if (request.command == HostRequest::Command::Version)
        json.Key("version").String(version);
    if (request.command == HostRequest::Command::AddUrlList) {
        json.Key("accepted").Number(static_cast<int64_t>(request.Accepted()));
        json.Key("refused").Number(static_cast<int64_t>(request.refused));
    }
    json.EndObject();
    return out.str();
}

std::string ErrorReply(std::string_view error)
{
    std::ostringstream out;
    JsonWriter json(out, JsonLayout::Compact);
    json.BeginObject().Key("ok").Bool(false).Key("error").String(error).EndObject();
    return out.str();
}

} // namespace vortalux
