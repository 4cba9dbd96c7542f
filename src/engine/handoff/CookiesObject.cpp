#include "CookiesObject.h"

#include "AsciiText.h"
#include "FileErrors.h"
#include "HostArguments.h"
#include "ScriptArray.h"
#include "ScriptHost.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <set>

namespace vortalux {

namespace fs = std::filesystem;
using script::Variant;

namespace {

// A killed download job cannot remove its file; a day is longer than any hand-off's downloads
// need to start, which is when the programs read the file.
constexpr std::int64_t StaleCookieFileSeconds = 24 * 60 * 60;
constexpr std::string_view CookieFilePrefix = "cookies-";
constexpr std::string_view CookieFileSuffix = ".txt";

bool IsWebAddress(std::string_view text)
{
    return StartsWithNoCase(text, "http://") || StartsWithNoCase(text, "https://");
}

// A tab would start another field of the line, a line break another line.
bool FitsCookieFileField(std::string_view text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return false;
    }
    return true;
}

std::vector<std::string> AddressesOf(const Variant& argument)
{
    std::vector<std::string> addresses;
    if (argument.IsArray()) {
        for (const Variant& element : argument.AsArray()->Elements()) {
            if (element.IsString() && IsWebAddress(element.AsString()))
                addresses.push_back(element.AsString());
        }
        return addresses;
    }
    std::string address = script::ToString(argument);
    if (IsWebAddress(address))
        addresses.push_back(std::move(address));
    return addresses;
}

// Creates the folder (mode 0700) when it is missing and makes sure that it is the user's own
// folder and private: the file written into it holds the user's sessions.
void PreparePrivateFolder(const fs::path& folder)
{
    std::error_code ignored;
    fs::create_directories(folder.parent_path(), ignored);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        script::RaiseFileError(errno, folder.string());
    struct stat status { };
    if (lstat(folder.c_str(), &status) != 0)
        script::RaiseFileError(errno, folder.string());
    if (!S_ISDIR(status.st_mode) || status.st_uid != geteuid())
        script::RaiseFileError(EACCES, folder.string());
    if ((status.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0)
        script::RaiseFileError(errno, folder.string());
}

void RemoveStaleCookieFiles(const fs::path& folder, std::int64_t now)
{
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with(CookieFilePrefix) || !name.ends_with(CookieFileSuffix))
            continue;
        struct stat status { };
        if (lstat(it->path().c_str(), &status) == 0 && S_ISREG(status.st_mode)
            && now - static_cast<std::int64_t>(status.st_mtime) > StaleCookieFileSeconds)
            unlink(it->path().c_str());
    }
}

void WriteAll(int descriptor, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = write(descriptor, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw std::system_error(written < 0 ? errno : EIO, std::generic_category());
        text.remove_prefix(static_cast<size_t>(written));
    }
}

} // namespace

CookiesObject::CookiesObject(CookieStore store)
    : m_store(std::move(store))
{
}

const std::vector<Cookie>& CookiesObject::Cookies()
{
    if (!m_cookies)
        m_cookies
            = m_store.Source().empty() ? std::vector<Cookie>() : CookieStore::LoadCookies(m_store.Source());
    return *m_cookies;
}

std::string CookiesObject::CookieFileText(
    const std::vector<Cookie>& cookies, const std::vector<std::string>& urls, std::int64_t now)
{
    std::set<const Cookie*> written;
    std::string text = "# Netscape HTTP Cookie File\n";
    for (const std::string& url : urls) {
        for (const Cookie* cookie : CookieStore::MatchingCookies(cookies, url, now)) {
            if (cookie->name.empty() || !written.insert(cookie).second)
                continue;
            const bool domainCookie = cookie->includeSubdomains || cookie->host.starts_with('.');
            const std::string domain
                = domainCookie && !cookie->host.starts_with('.') ? "." + cookie->host : cookie->host;
            const std::string path = cookie->path.empty() ? "/" : cookie->path;
            if (!FitsCookieFileField(domain) || !FitsCookieFileField(path)
                || !FitsCookieFileField(cookie->name) || !FitsCookieFileField(cookie->value))
                continue;
            text += domain + (domainCookie ? "\tTRUE\t" : "\tFALSE\t") + path
                + (cookie->secure ? "\tTRUE\t" : "\tFALSE\t") + std::to_string(cookie->expiry) + "\t"
                + cookie->name + "\t" + cookie->value + "\n";
        }
    }
    return written.empty() ? std::string() : text;
}

fs::path CookiesObject::CookieFileFolder()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime == '/') {
        std::error_code ec;
        if (fs::is_directory(runtime, ec))
            return fs::path(runtime) / "vortalux";
    }
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache == '/')
        return fs::path(cache) / "vortalux" / "cookies";
    if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/')
        return fs::path(home) / ".cache" / "vortalux" / "cookies";
    script::RaiseFileError(ENOENT, "~/.cache/vortalux/cookies");
}

std::string CookiesObject::WriteCookieFile(const std::vector<std::string>& urls)
{
    const auto now = static_cast<std::int64_t>(std::time(nullptr));
    const std::string text = CookieFileText(Cookies(), urls, now);
    if (text.empty())
        return {};
    const fs::path folder = CookieFileFolder();
    PreparePrivateFolder(folder);
    RemoveStaleCookieFiles(folder, now);

    std::string path = (folder / (std::string(CookieFilePrefix) + "XXXXXX")).string();
    path += CookieFileSuffix;
    // mkostemps creates the file new (O_EXCL) and readable by the user alone.
    const int descriptor = mkostemps(path.data(), static_cast<int>(CookieFileSuffix.size()), O_CLOEXEC);
    if (descriptor < 0)
        script::RaiseFileError(errno, folder.string());
    int error = 0;
    try {
        WriteAll(descriptor, text);
    } catch (const std::system_error& failure) {
        error = failure.code().value();
    }
    if (close(descriptor) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        unlink(path.c_str());
        script::RaiseFileError(error, path);
    }
    return path;
}

Variant CookiesObject::CallMethod(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "ForUrl")) {
        script::RequireArgumentCount(args, 1, 1);
        const std::string url = script::ToString(args[0]);
        if (!IsWebAddress(url))
            return Variant::FromString("");
        return Variant::FromString(
            CookieStore::CookieHeader(Cookies(), url, static_cast<std::int64_t>(std::time(nullptr))));
    }
    if (EqualsNoCase(name, "WriteCookieFile")) {
        script::RequireArgumentCount(args, 1, 1);
        return Variant::FromString(WriteCookieFile(AddressesOf(args[0])));
    }
    script::Raise(script::errc::NoSuchMember);
}

void RegisterCookiesObject(script::ScriptHost& host)
{
    host.RegisterObjectFactory(
        "Vortalux.Cookies", [] { return std::make_shared<CookiesObject>(CookieStore::FromEnvironment()); });
}

} // namespace vortalux
