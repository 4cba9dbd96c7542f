#include "ArgumentParser.h"
#include "Command.h"
#include "JsonReader.h"
#include "JsonWriter.h"

#include "ProfileFile.h"
#include "TerminalText.h"
#include "Utf8Text.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>

namespace vortalux::cli {

namespace {

namespace fs = std::filesystem;

// The name browsers know the host by, and the file its manifest is written to.
constexpr std::string_view NativeHostName = "org.vortalux.native_host";
// The extension's ID in Chromium and Chrome: the first 32 hex digits of the SHA-256 of the
// public key in browser/extension/manifest.key, each digit 0-f written as a letter a-p.
constexpr std::string_view ChromiumExtensionId = "pmecckbmogajcjgcnjgoapjoigjchane";
// The extension's ID in Firefox, from its manifest's browser_specific_settings.
constexpr std::string_view FirefoxExtensionId = "vortalux@vortalux.org";
constexpr std::string_view HostProgram = "vortalux-native-host";

enum class Family { Chromium, Firefox };

struct Browser {
    std::string_view flag;
    std::string_view name;
    Family family;
    // Below HOME: the browser's own folder, and the folder of its user-level host manifests.
    std::string_view configFolder;
    std::string_view manifestFolder;
};

constexpr Browser Browsers[] = {
    {"--chromium", "chromium", Family::Chromium, ".config/chromium", ".config/chromium/NativeMessagingHosts"},
    {"--chrome", "chrome", Family::Chromium, ".config/google-chrome",
        ".config/google-chrome/NativeMessagingHosts"},
    {"--firefox", "firefox", Family::Firefox, ".mozilla", ".mozilla/native-messaging-hosts"},
};

fs::path ManifestPath(const fs::path& home, const Browser& browser)
{
    return home / browser.manifestFolder / (std::string(NativeHostName) + ".json");
}

std::string ManifestText(const Browser& browser, const fs::path& host)
{
    std::ostringstream out;
    JsonWriter json(out);
    json.BeginObject();
    json.Key("name").String(NativeHostName);
    json.Key("description").String("Vortalux: the links a browser sends, handed to the engine");
    json.Key("path").String(host.string());
    json.Key("type").String("stdio");
    if (browser.family == Family::Chromium)
        json.Key("allowed_origins")
            .BeginArray()
            .String("chrome-extension://" + std::string(ChromiumExtensionId) + "/")
            .EndArray();
    else
        json.Key("allowed_extensions").BeginArray().String(FirefoxExtensionId).EndArray();
    json.EndObject();
    json.Finish();
    return out.str();
}

// The host program beside this one; the browsers need it absolute.
fs::path HostProgramPath()
{
    std::error_code ignored;
    const fs::path self = fs::read_symlink("/proc/self/exe", ignored);
    return self.parent_path() / HostProgram;
}

// The browsers the flags name; none named: every browser, or with `onlyFound` those whose
// folder is there.
std::vector<const Browser*> ChosenBrowsers(const ArgumentParser& parser, const fs::path& home, bool onlyFound)
{
    std::vector<const Browser*> chosen;
    for (const Browser& browser : Browsers) {
        if (parser.Has(browser.flag))
            chosen.push_back(&browser);
    }
    if (chosen.empty()) {
        for (const Browser& browser : Browsers) {
            std::error_code ignored;
            if (!onlyFound || fs::is_directory(home / browser.configFolder, ignored))
                chosen.push_back(&browser);
        }
    }
    return chosen;
}

// The manifest is a small file of ours; a large one is not, and only its start is read.
std::string ReadSmallFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::string text(64 * 1024, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(file.gcount()));
    return text;
}

int Install(CommandContext& context, const ArgumentParser& parser, const fs::path& home)
{
    const fs::path host = HostProgramPath();
    std::error_code failure;
    if (!fs::is_regular_file(host, failure)) {
        context.err << "vortalux browser: the host program " << TerminalText(host.string())
                    << " is not there\n";
        return ExitFailure;
    }
    const std::string hostText = host.string();
    for (size_t at = 0; at < hostText.size();) {
        const size_t length = Utf8SequenceLength(hostText, at);
        if (length == 0) {
            context.err << "vortalux browser: the host program's path " << TerminalText(hostText)
                        << " is not UTF-8, as the browsers' manifests need\n";
            return ExitFailure;
        }
        at += length;
    }
    const std::vector<const Browser*> browsers = ChosenBrowsers(parser, home, true);
    if (browsers.empty()) {
        context.err << "vortalux browser: no browser found (~/.config/chromium, ~/.config/google-chrome, "
                       "~/.mozilla); name one with --chromium, --chrome or --firefox\n";
        return ExitFailure;
    }
    int code = ExitOk;
    for (const Browser* browser : browsers) {
        const fs::path manifest = ManifestPath(home, *browser);
        fs::create_directories(manifest.parent_path(), failure);
        if (failure || !WriteFileAtomically(manifest, ManifestText(*browser, host), failure)) {
            context.err << "vortalux browser: " << browser->name << ": cannot write "
                        << TerminalText(manifest.string()) << ": " << failure.message() << '\n';
            code = ExitFailure;
            continue;
        }
        context.out << browser->name << ": registered in " << TerminalText(manifest.string()) << '\n';
    }
    return code;
}

int Uninstall(CommandContext& context, const ArgumentParser& parser, const fs::path& home)
{
    int code = ExitOk;
    for (const Browser* browser : ChosenBrowsers(parser, home, false)) {
        const fs::path manifest = ManifestPath(home, *browser);
        std::error_code failure;
        if (fs::remove(manifest, failure))
            context.out << browser->name << ": removed " << TerminalText(manifest.string()) << '\n';
        else if (failure) {
            context.err << "vortalux browser: " << browser->name << ": cannot remove "
                        << TerminalText(manifest.string()) << ": " << failure.message() << '\n';
            code = ExitFailure;
        } else
            context.out << browser->name << ": not registered\n";
    }
    return code;
}

int Status(CommandContext& context, const ArgumentParser& parser, const fs::path& home)
{
    for (const Browser* browser : ChosenBrowsers(parser, home, false)) {
        const fs::path manifest = ManifestPath(home, *browser);
        context.out << browser->name << ": ";
        std::error_code failure;
        if (!fs::is_regular_file(manifest, failure)) {
            context.out << "not registered\n";
            continue;
        }
        std::string error;
        const std::string text = ReadSmallFile(manifest);
        const std::optional<JsonValue> json = JsonReader::Parse(text, error);
        const JsonValue* path = json ? json->Find("path") : nullptr;
        if (path == nullptr || path->kind != JsonValue::Kind::String) {
            context.out << "registered in " << TerminalText(manifest.string())
                        << ", but the file is not a host manifest\n";
            continue;
        }
        context.out << "registered in " << TerminalText(manifest.string()) << ", host "
                    << TerminalText(path->text);
        if (!fs::is_regular_file(path->text, failure))
            context.out << " (missing)";
        else if (path->text != HostProgramPath().string())
            context.out << " (another copy of Vortalux)";
        context.out << '\n';
    }
    return ExitOk;
}

int RunBrowser(CommandContext& context)
{
    ArgumentParser parser;
    for (const Browser& browser : Browsers)
        parser.Flag(browser.flag);
    if (!parser.Parse(context.args))
        return UsageError(context, BrowserCommand, parser.Error());
    const auto& words = parser.Positionals();
    if (words.size() != 1)
        return UsageError(context, BrowserCommand, "needs one action: install, uninstall or status");
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home != '/') {
        context.err << "vortalux browser: HOME is not set to a folder\n";
        return ExitFailure;
    }
    if (words[0] == "install")
        return Install(context, parser, home);
    if (words[0] == "uninstall")
        return Uninstall(context, parser, home);
    if (words[0] == "status")
        return Status(context, parser, home);
    return UsageError(context, BrowserCommand, "unknown action '" + words[0] + "'");
}

} // namespace

const Command BrowserCommand {"browser", "register the native-messaging host with the browsers",
    "usage: vortalux browser install|uninstall|status [--chromium] [--chrome] [--firefox]\n\n"
    "install writes the manifests through which the browsers find vortalux-native-host, the\n"
    "program beside this one that hands the links the Vortalux extension sends to the engine:\n"
    "  Chromium  ~/.config/chromium/NativeMessagingHosts/org.vortalux.native_host.json\n"
    "  Chrome    ~/.config/google-chrome/NativeMessagingHosts/org.vortalux.native_host.json\n"
    "  Firefox   ~/.mozilla/native-messaging-hosts/org.vortalux.native_host.json\n"
    "Without a browser named, install registers every browser whose folder is there, uninstall\n"
    "removes the manifests of all three and status reports on all three. Run install again after\n"
    "moving the program.\n",
    RunBrowser};

} // namespace vortalux::cli
