#include "ArgumentParser.h"
#include "Command.h"
#include "JsonReader.h"
#include "JsonWriter.h"

#include "ProfileFile.h"
#include "ProgramDirectory.h"
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

// A browser starts the host with the browser's own environment, where neither `--home` nor the
// VORTALUX_HOME of the install is: for another program directory than the host's own folder, the
// manifest names a launcher that sets it and then runs the host. One launcher a browser, so that
// each can be installed for its own directory and uninstalled alone.
fs::path LauncherPath(const fs::path& home, const Browser& browser)
{
    const char* data = std::getenv("XDG_DATA_HOME");
    const fs::path dataFolder = data != nullptr && *data == '/' ? fs::path(data) : home / ".local/share";
    return dataFolder / "vortalux/native-host" / browser.name;
}

constexpr std::string_view LauncherHeader
    = "#!/bin/sh\n# Written by `vortalux browser install`: runs the host with the program directory\n"
      "# that was in effect then. `vortalux browser uninstall` removes it.\n";

// One word for the shell: everything inside single quotes, a quote as '\''.
std::string ShellWord(std::string_view text)
{
    std::string word = "'";
    for (const char c : text)
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

// Reads back a word ShellWord wrote at the start of `text`; nullopt when it is not one.
std::optional<std::string> ReadShellWord(std::string_view text)
{
    std::string word;
    size_t at = 0;
    while (at < text.size() && text[at] == '\'') {
        const size_t close = text.find('\'', at + 1);
        if (close == std::string_view::npos)
            return std::nullopt;
        word.append(text.substr(at + 1, close - at - 1));
        at = close + 1;
        if (text.substr(at, 2) != "\\'")
            return at == text.size() ? std::optional(word) : std::nullopt;
        word += '\'';
        at += 2;
    }
    return std::nullopt;
}

std::string LauncherText(const fs::path& host, const fs::path& directory)
{
    return std::string(LauncherHeader) + "VORTALUX_HOME=" + ShellWord(directory.string())
        + "\nexport VORTALUX_HOME\nexec " + ShellWord(host.string()) + " \"$@\"\n";
}

struct LauncherTarget {
    std::string host;
    std::string directory;
};

// What a launcher of ours runs; nullopt when the file is not one.
std::optional<LauncherTarget> ReadLauncher(std::string_view text)
{
    if (text.substr(0, LauncherHeader.size()) != LauncherHeader)
        return std::nullopt;
    std::istringstream lines {std::string(text.substr(LauncherHeader.size()))};
    std::string homeLine;
    std::string exportLine;
    std::string execLine;
    std::getline(lines, homeLine);
    std::getline(lines, exportLine);
    std::getline(lines, execLine);
    constexpr std::string_view HomePrefix = "VORTALUX_HOME=";
    constexpr std::string_view ExecPrefix = "exec ";
    constexpr std::string_view ExecSuffix = " \"$@\"";
    if (homeLine.rfind(HomePrefix, 0) != 0 || exportLine != "export VORTALUX_HOME"
        || execLine.rfind(ExecPrefix, 0) != 0 || !std::string_view(execLine).ends_with(ExecSuffix))
        return std::nullopt;
    std::optional<std::string> directory
        = ReadShellWord(std::string_view(homeLine).substr(HomePrefix.size()));
    std::optional<std::string> host = ReadShellWord(std::string_view(execLine).substr(
        ExecPrefix.size(), execLine.size() - ExecPrefix.size() - ExecSuffix.size()));
    if (!directory || !host)
        return std::nullopt;
    return LauncherTarget {std::move(*host), std::move(*directory)};
}

bool SameFolder(const fs::path& a, const fs::path& b)
{
    std::error_code failure;
    return fs::equivalent(a, b, failure) || a.lexically_normal() == b.lexically_normal();
}

// Whether `text` may stand in a manifest (UTF-8) and a launcher (no control byte).
bool UsablePath(std::string_view text)
{
    for (size_t at = 0; at < text.size();) {
        const size_t length = Utf8SequenceLength(text, at);
        if (length == 0 || static_cast<unsigned char>(text[at]) < 0x20 || text[at] == 0x7f)
            return false;
        at += length;
    }
    return true;
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
    const fs::path directory = ProgramDirectory();
    if (!fs::is_directory(directory, failure)) {
        context.err << "vortalux browser: the home folder " << TerminalText(directory.string())
                    << " does not exist\n";
        return ExitFailure;
    }
    const bool ownFolder = SameFolder(directory, host.parent_path());
    for (const fs::path& path : {host, directory}) {
        if (!UsablePath(path.string())) {
            context.err
                << "vortalux browser: the path " << TerminalText(path.string())
                << " holds control characters or is not UTF-8, which the browsers' manifests cannot take\n";
            return ExitFailure;
        }
    }
    const std::vector<const Browser*> browsers = ChosenBrowsers(parser, home, true);
    if (browsers.empty()) {
        context.err << "vortalux browser: no browser found (~/.config/chromium, ~/.config/google-chrome, "
                       "~/.mozilla); name one with --chromium, --chrome or --firefox\n";
        return ExitFailure;
    }
    int code = ExitOk;
    for (const Browser* browser : browsers) {
        const fs::path launcher = LauncherPath(home, *browser);
        fs::path started = host;
        if (ownFolder) {
            fs::remove(launcher, failure);
        } else {
            started = launcher;
            fs::create_directories(launcher.parent_path(), failure);
            if (failure || !UsablePath(launcher.string())
                || !WriteFileAtomically(launcher, LauncherText(host, directory),
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec
                        | fs::perms::others_read | fs::perms::others_exec,
                    failure)) {
                context.err << "vortalux browser: " << browser->name << ": cannot write "
                            << TerminalText(launcher.string()) << ": "
                            << (failure ? failure.message()
                                        : "the path holds control characters or is not UTF-8")
                            << '\n';
                code = ExitFailure;
                continue;
            }
        }
        const fs::path manifest = ManifestPath(home, *browser);
        fs::create_directories(manifest.parent_path(), failure);
        if (failure || !WriteFileAtomically(manifest, ManifestText(*browser, started), failure)) {
            context.err << "vortalux browser: " << browser->name << ": cannot write "
                        << TerminalText(manifest.string()) << ": " << failure.message() << '\n';
            code = ExitFailure;
            continue;
        }
        context.out << browser->name << ": registered in " << TerminalText(manifest.string())
                    << ", program directory " << TerminalText(directory.string()) << '\n';
    }
    return code;
}

int Uninstall(CommandContext& context, const ArgumentParser& parser, const fs::path& home)
{
    int code = ExitOk;
    for (const Browser* browser : ChosenBrowsers(parser, home, false)) {
        bool removedAny = false;
        for (const fs::path& path : {ManifestPath(home, *browser), LauncherPath(home, *browser)}) {
            std::error_code failure;
            if (fs::remove(path, failure)) {
                context.out << browser->name << ": removed " << TerminalText(path.string()) << '\n';
                removedAny = true;
            } else if (failure) {
                context.err << "vortalux browser: " << browser->name << ": cannot remove "
                            << TerminalText(path.string()) << ": " << failure.message() << '\n';
                code = ExitFailure;
            }
        }
        if (!removedAny && code == ExitOk)
            context.out << browser->name << ": not registered\n";
    }
    // The launchers' folder and ours in the data folder, once they are empty.
    std::error_code ignored;
    const fs::path launchers = LauncherPath(home, Browsers[0]).parent_path();
    if (fs::remove(launchers, ignored))
        fs::remove(launchers.parent_path(), ignored);
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
        // A launcher of ours names the host and the directory; a host alone uses its own folder.
        LauncherTarget target {path->text, fs::path(path->text).parent_path().string()};
        const bool launched = fs::path(path->text) == LauncherPath(home, *browser);
        if (launched) {
            std::optional<LauncherTarget> read = ReadLauncher(ReadSmallFile(path->text));
            if (!read) {
                context.out << "registered in " << TerminalText(manifest.string()) << ", through "
                            << TerminalText(path->text)
                            << ", which is missing or not a launcher of Vortalux\n";
                continue;
            }
            target = std::move(*read);
        }
        context.out << "registered in " << TerminalText(manifest.string()) << ", host "
                    << TerminalText(target.host);
        if (!fs::is_regular_file(target.host, failure))
            context.out << " (missing)";
        else if (target.host != HostProgramPath().string())
            context.out << " (another copy of Vortalux)";
        context.out << ", program directory " << TerminalText(target.directory);
        if (!fs::is_directory(target.directory, failure))
            context.out << " (missing)";
        if (launched)
            context.out << ", set by " << TerminalText(path->text);
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
    "moving the program.\n\n"
    "The host uses the program directory that was in effect at install (--home, VORTALUX_HOME):\n"
    "when that is not the host's own folder, the manifest names a launcher that sets it, written\n"
    "to ~/.local/share/vortalux/native-host/ (or below XDG_DATA_HOME); status shows the directory.\n",
    RunBrowser};

} // namespace vortalux::cli
