// `vortalux browser`: the host manifests in a home folder of the test's own.
#include "CliRunner.h"
#include "TestSupport.h"

#include <QByteArray>
#include <QCryptographicHash>

#include <gtest/gtest.h>

using namespace vortalux::test;

namespace {

class BrowserCommandTest : public ::testing::Test {
protected:
    CliResult Browser(const std::vector<std::string>& args)
    {
        CliProcess::Options options;
        options.environment = {{"HOME", m_home.Path().string()}};
        std::vector<std::string> words = {"browser"};
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
        "chromium: registered in " + Chromium().string() + "\nfirefox: registered in " + Firefox().string()
            + "\n");
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
            + "\nchrome: not registered\nfirefox: registered in " + Firefox().string() + ", host " + m_host
            + "\n");

    // A manifest that points at a program no longer there.
    WriteFileBytes(
        Firefox(), "{\"name\":\"org.vortalux.native_host\",\"path\":\"/nowhere/vortalux-native-host\"}");
    result = Browser({"status", "--firefox"});
    EXPECT_EQ(result.out,
        "firefox: registered in " + Firefox().string() + ", host /nowhere/vortalux-native-host (missing)\n");

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
    EXPECT_EQ(result.out, "chrome: registered in " + Chrome().string() + "\n");
    EXPECT_TRUE(std::filesystem::exists(Chrome()));

    result = Browser({"reinstall"});
    EXPECT_EQ(result.code, 2);
    EXPECT_EQ(result.err.substr(0, 45), "vortalux browser: unknown action 'reinstall'\n");
}
