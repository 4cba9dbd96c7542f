// `vortalux browser`: the host manifests in a home folder of the test's own.
#include "CliRunner.h"
#include "TestSupport.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QProcess>

#include <gtest/gtest.h>

using namespace vortalux::test;

namespace {

class BrowserCommandTest : public ::testing::Test {
protected:
    // `vortalux [before] browser args`, the user's data folder the default one unless named.
    CliResult Browser(const std::vector<std::string>& args, const std::vector<std::string>& before = {},
        std::optional<std::string> dataFolder = std::nullopt)
    {
        CliProcess::Options options;
        options.environment = {{"HOME", m_home.Path().string()}, {"XDG_DATA_HOME", dataFolder}};
        std::vector<std::string> words = before;
        words.push_back("browser");
        words.insert(words.end(), args.begin(), args.end());
        return RunProgram(words, options);
    }
    std::filesystem::path Chromium() const
    {
        return m_home.Path() / ".config/chromium/NativeMessagingHosts/org.vortalux.native_host.json";
    }
    std::filesystem::path Chrome() const
    {
        return m_home.Path() / ".config/google-chrome/NativeMessagingHosts/org.vortalux.native_host.json";
    }
    std::filesystem::path Firefox() const
    {
        return m_home.Path() / ".mozilla/native-messaging-hosts/org.vortalux.native_host.json";
    }

    // The Chromium ID of the extension, from the public key its manifest carries.
    static std::string ExtensionIdFromKey()
    {
        const QByteArray key = QByteArray::fromBase64(
            QByteArray::fromStdString(ReadFileBytes(VORTALUX_SOURCE_DIR "/browser/extension/manifest.key"))
                .trimmed());
        const QByteArray digest = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32);
        std::string id;
        for (const char c : digest)
            id += static_cast<char>('a' + (c <= '9' ? c - '0' : c - 'a' + 10));
        return id;
    }

    std::string Launcher() const
    {
        return (m_home.Path() / ".local/share/vortalux/native-host/chromium").string();
    }

    TempDir m_home;
    const std::string m_host = VORTALUX_PROGRAM_DIR "/vortalux-native-host";
};

} // namespace

TEST_F(BrowserCommandTest, InstallRegistersTheBrowsersFoundAndUninstallRemovesOnlyOurs)
{
    std::filesystem::create_directories(m_home.Path() / ".config/chromium/NativeMessagingHosts");
    std::filesystem::create_directories(m_home.Path() / ".mozilla");
    const std::filesystem::path other
        = m_home.Path() / ".config/chromium/NativeMessagingHosts/com.other.host.json";
    WriteFileBytes(other, "{}");

    CliResult result = Browser({"install"});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out,
        "chromium: registered in " + Chromium().string()
            + ", program directory " VORTALUX_PROGRAM_DIR "\nfirefox: registered in " + Firefox().string()
            + ", program directory " VORTALUX_PROGRAM_DIR "\n");
    EXPECT_FALSE(std::filesystem::exists(m_home.Path() / ".config/google-chrome"));
    EXPECT_EQ(ExtensionIdFromKey().size(), 32u);
    EXPECT_EQ(ReadFileBytes(Chromium()),
        "{\n  \"name\": \"org.vortalux.native_host\",\n"
        "  \"description\": \"Vortalux: the links a browser sends, handed to the engine\",\n"
        "  \"path\": \""
            + m_host + "\",\n  \"type\": \"stdio\",\n  \"allowed_origins\": [\n    \"chrome-extension://"
            + ExtensionIdFromKey() + "/\"\n  ]\n}\n");
    EXPECT_EQ(ReadFileBytes(Firefox()),
        "{\n  \"name\": \"org.vortalux.native_host\",\n"
        "  \"description\": \"Vortalux: the links a browser sends, handed to the engine\",\n"
        "  \"path\": \""
            + m_host
            + "\",\n  \"type\": \"stdio\",\n  \"allowed_extensions\": [\n    \"vortalux@vortalux.org\"\n  "
              "]\n}\n");
    EXPECT_EQ(m_host.front(), '/');

    result = Browser({"status"});
    EXPECT_EQ(result.out,
        "chromium: registered in " + Chromium().string() + ", host " + m_host
            + ", program directory " VORTALUX_PROGRAM_DIR "\nchrome: not registered\nfirefox: registered in "
            + Firefox().string() + ", host " + m_host + ", program directory " VORTALUX_PROGRAM_DIR "\n");

    // A manifest that points at a program no longer there.
    WriteFileBytes(
        Firefox(), "{\"name\":\"org.vortalux.native_host\",\"path\":\"/nowhere/vortalux-native-host\"}");
    result = Browser({"status", "--firefox"});
    EXPECT_EQ(result.out,
        "firefox: registered in " + Firefox().string()
            + ", host /nowhere/vortalux-native-host (missing), program directory /nowhere (missing)\n");

    result = Browser({"uninstall"});
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out,
        "chromium: removed " + Chromium().string() + "\nchrome: not registered\nfirefox: removed "
            + Firefox().string() + "\n");
    EXPECT_FALSE(std::filesystem::exists(Chromium()));
    EXPECT_FALSE(std::filesystem::exists(Firefox()));
    EXPECT_EQ(ReadFileBytes(other), "{}");
}

TEST_F(BrowserCommandTest, WithoutABrowserFoundOneHasToBeNamed)
{
    CliResult result = Browser({"install"});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err,
        "vortalux browser: no browser found (~/.config/chromium, ~/.config/google-chrome, ~/.mozilla); name "
        "one "
        "with --chromium, --chrome or --firefox\n");
    EXPECT_TRUE(std::filesystem::is_empty(m_home.Path()));

    result = Browser({"install", "--chrome"});
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out,
        "chrome: registered in " + Chrome().string() + ", program directory " VORTALUX_PROGRAM_DIR "\n");
    EXPECT_TRUE(std::filesystem::exists(Chrome()));

    result = Browser({"reinstall"});
    EXPECT_EQ(result.code, 2);
    EXPECT_EQ(result.err.substr(0, 45), "vortalux browser: unknown action 'reinstall'\n");
}

// A browser starts the host with its own environment: another program directory than the host's
// folder reaches the host through a launcher the manifest names.
TEST_F(BrowserCommandTest, AnotherProgramDirectoryIsSetByALauncher)
{
    const std::filesystem::path directory = m_home.Path() / "Ann's \"pictures\" $HOME";
    std::filesystem::create_directories(directory);
    CliResult result = Browser({"install", "--chromium"}, {"--home", directory.string()});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out,
        "chromium: registered in " + Chromium().string() + ", program directory " + directory.string()
            + "\n");
    EXPECT_EQ(ReadFileBytes(Chromium()),
        "{\n  \"name\": \"org.vortalux.native_host\",\n"
        "  \"description\": \"Vortalux: the links a browser sends, handed to the engine\",\n"
        "  \"path\": \""
            + Launcher() + "\",\n  \"type\": \"stdio\",\n  \"allowed_origins\": [\n    \"chrome-extension://"
            + ExtensionIdFromKey() + "/\"\n  ]\n}\n");
    EXPECT_EQ(ReadFileBytes(Launcher()),
        "#!/bin/sh\n# Written by `vortalux browser install`: runs the host with the program directory\n"
        "# that was in effect then. `vortalux browser uninstall` removes it.\n"
        "VORTALUX_HOME='"
            + m_home.Path().string() + "/Ann'\\''s \"pictures\" $HOME'\nexport VORTALUX_HOME\nexec '" + m_host
            + "' \"$@\"\n");
    EXPECT_EQ(std::filesystem::status(Launcher()).permissions(), std::filesystem::perms(0755));

    // The shell reads the directory and the host back as they are, quotes and all: the launcher
    // run with its exec turned into setting the arguments.
    QProcess shell;
    shell.start(QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"),
            QStringLiteral(
                "eval \"$(sed 's/^exec /set -- /' \"$0\")\"; printf '%s|%s' \"$VORTALUX_HOME\" \"$1\""),
            QString::fromStdString(Launcher())});
    ASSERT_TRUE(shell.waitForFinished(10000));
    EXPECT_EQ(shell.readAllStandardOutput().toStdString(), directory.string() + "|" + m_host);

    result = Browser({"status", "--chromium"});
    EXPECT_EQ(result.out,
        "chromium: registered in " + Chromium().string() + ", host " + m_host + ", program directory "
            + directory.string() + ", set by " + Launcher() + "\n");

    // A launcher altered by hand is not trusted to say where the host looks.
    WriteFileBytes(Launcher(), "#!/bin/sh\nexec /bin/true\n");
    result = Browser({"status", "--chromium"});
    EXPECT_EQ(result.out,
        "chromium: registered in " + Chromium().string() + ", through " + Launcher()
            + ", which is missing or not a launcher of Vortalux\n");

    // Installed again for the host's own folder: the launcher goes.
    result = Browser({"install", "--chromium"});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_FALSE(std::filesystem::exists(Launcher()));
    EXPECT_NE(ReadFileBytes(Chromium()).find("\"path\": \"" + m_host + "\""), std::string::npos);

    // Uninstall removes the manifest and the launcher, and their folder once empty.
    const std::filesystem::path dataFolder = m_home.Path() / "data";
    result = Browser(
        {"install", "--chromium", "--firefox"}, {"--home", directory.string()}, dataFolder.string());
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_TRUE(std::filesystem::exists(dataFolder / "vortalux/native-host/chromium"));
    EXPECT_TRUE(std::filesystem::exists(dataFolder / "vortalux/native-host/firefox"));
    result = Browser({"uninstall"}, {}, dataFolder.string());
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out,
        "chromium: removed " + Chromium().string() + "\nchromium: removed "
            + (dataFolder / "vortalux/native-host/chromium").string()
            + "\nchrome: not registered\nfirefox: removed " + Firefox().string() + "\nfirefox: removed "
            + (dataFolder / "vortalux/native-host/firefox").string() + "\n");
    EXPECT_FALSE(std::filesystem::exists(dataFolder / "vortalux"));

    // A directory that is not there is a mistake, not a registration.
    result = Browser({"install", "--chromium"}, {"--home", (m_home.Path() / "nowhere").string()});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err,
        "vortalux browser: the home folder " + (m_home.Path() / "nowhere").string() + " does not exist\n");
    EXPECT_FALSE(std::filesystem::exists(Chromium()));
}
