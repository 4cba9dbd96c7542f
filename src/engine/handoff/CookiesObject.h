#pragma once

#include "Cookie.h"
#include "CookieStore.h"
#include "ScriptObject.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux::script {
class ScriptHost;
}

namespace vortalux {

// "Vortalux.Cookies": the browser's cookies for the download manager, so that a picture behind
// a session cookie downloads as it shows in the browser. The cookies are those the engine itself
// sends for pages (CookieStore::FromEnvironment), read once, when the object first needs them:
// one hand-off sees one state of the browser's cookies.
//   ForUrl(url)            the Cookie header value a browser sends to `url`, "" for none
//   WriteCookieFile(list)  writes the cookies that any address in `list` gets into a new private
//                          Netscape cookies file (mode 0600, in a folder only the user can
//                          read) and answers its path; "" when none of them gets a cookie, and
//                          then no file is written. `list` is an array (the AddList list as it
//                          is: the names between the addresses are passed over, as is anything
//                          else that is no http or https address) or one address.
// The file is the definition's to remove once its program has read it; files older than a day
// are removed by the next WriteCookieFile, so that a download job killed half-way leaves no
// cookies behind for long.
//
// Cookies are meant for a header and a file read by the download manager, never for a command
// line: a command line is visible to every user of the machine.
class CookiesObject final : public script::ScriptObject {
public:
    explicit CookiesObject(CookieStore store);

    std::string TypeName() const override { return "Cookies"; }
    script::Variant CallMethod(std::string_view name, std::vector<script::Variant>& args) override;

    // The Netscape cookies file text holding the cookies any of `urls` gets at `now` (seconds
    // since the epoch), each once, in the order the addresses first get them. Cookies without a
    // name, and any whose fields hold a tab or a control byte, are left out: they cannot be
    // written as a line of the file.
    static std::string CookieFileText(
        const std::vector<Cookie>& cookies, const std::vector<std::string>& urls, std::int64_t now);

    // The private folder that cookie files go to: $XDG_RUNTIME_DIR/vortalux when the variable
    // names a folder, else ~/.cache/vortalux/cookies.
    static std::filesystem::path CookieFileFolder();

private:
    const std::vector<Cookie>& Cookies();
    std::string WriteCookieFile(const std::vector<std::string>& urls);

    CookieStore m_store;
    std::optional<std::vector<Cookie>> m_cookies;
};

// Registers "Vortalux.Cookies" on `host`.
void RegisterCookiesObject(script::ScriptHost& host);

} // namespace vortalux
