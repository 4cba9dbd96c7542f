// WScript.Shell's Popup through the one dialog interface, and the environment and current
// directory a script changes, which stay with the script and never reach the engine's process.
#include "HostObjects.h"
#include "MessageBox.h"
#include "ScriptHost.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace vortalux;
using namespace vortalux::script;

namespace {

class RecordingPresenter final : public MessagePresenter {
public:
    explicit RecordingPresenter(MessageAnswer answer)
        : m_answer(answer)
        , m_previous(SetMessagePresenter(this))
    {
    }
    ~RecordingPresenter() override { SetMessagePresenter(m_previous); }
    RecordingPresenter(const RecordingPresenter&) = delete;
    RecordingPresenter& operator=(const RecordingPresenter&) = delete;

    MessageAnswer Present(const MessageRequest& request) override
    {
        requests.push_back(request);
        return m_answer;
    }

    std::vector<MessageRequest> requests;

private:
    MessageAnswer m_answer;
    MessagePresenter* m_previous;
};

Variant Evaluate(ScriptHost& host, const std::string& expression)
{
    EXPECT_TRUE(host.AddCode("Function Probe()\nSet shell = CreateObject(\"WScript.Shell\")\nProbe = "
        + expression + "\nEnd Function"))
        << host.Error().description;
    std::vector<Variant> none;
    Variant result;
    EXPECT_TRUE(host.Run("Probe", none, &result)) << expression << ": " << host.Error().description;
    return result;
}

} // namespace

TEST(ShellPopup, GoesThroughTheDialogInterfaceAndAnswersItsNumber)
{
    ScriptHost host;
    RegisterHostObjects(host);
    {
        RecordingPresenter presenter(MessageAnswer::TimedOut);
        const Variant answer = Evaluate(host, "shell.Popup(\"Saved\", 5)");
        EXPECT_EQ(answer.Type(), VarType::Long);
        EXPECT_EQ(answer.AsLong(), -1) << "a box nobody answered in time";
        ASSERT_EQ(presenter.requests.size(), 1u);
        const MessageRequest& request = presenter.requests[0];
        EXPECT_EQ(request.text, "Saved");
        EXPECT_EQ(request.caption, "Windows Script Host");
        EXPECT_EQ(request.timeoutSeconds, 5);
        EXPECT_EQ(request.buttons, MessageButtons::Ok);
        EXPECT_EQ(request.icon, MessageIcon::None);
    }
    {
        RecordingPresenter presenter(MessageAnswer::No);
        // vbYesNo + vbQuestion + vbDefaultButton2
        EXPECT_EQ(Evaluate(host, "shell.Popup(\"Replace?\", 0, \"Title\", 4 + 32 + 256)").AsLong(), 7);
        ASSERT_EQ(presenter.requests.size(), 1u);
        const MessageRequest& request = presenter.requests[0];
        EXPECT_EQ(request.caption, "Title");
        EXPECT_EQ(request.timeoutSeconds, 0);
        EXPECT_EQ(request.buttons, MessageButtons::YesNo);
        EXPECT_EQ(request.icon, MessageIcon::Question);
        EXPECT_EQ(request.defaultButton, 1);
    }
}

TEST(ShellProcessContext, ChangesStayWithTheScriptsThread)
{
    const std::filesystem::path processDirectory = std::filesystem::current_path();
    ASSERT_EQ(std::getenv("VORTALUX_CONTEXT_TEST"), nullptr);
    ScriptHost host;
    RegisterHostObjects(host);
    ASSERT_TRUE(host.AddCode("Set shell = CreateObject(\"WScript.Shell\")\n"
                             "Set env = shell.Environment(\"PROCESS\")\n"
                             "env(\"VORTALUX_CONTEXT_TEST\") = \"set\"\n"
                             "shell.CurrentDirectory = \"/\"\n"))
        << host.Error().description;
    EXPECT_EQ(Evaluate(host, "shell.Environment(\"PROCESS\")(\"VORTALUX_CONTEXT_TEST\")").AsString(), "set");
    EXPECT_EQ(Evaluate(host, "shell.CurrentDirectory").AsString(), "/");
    EXPECT_EQ(std::getenv("VORTALUX_CONTEXT_TEST"), nullptr) << "the engine's environment is untouched";
    EXPECT_EQ(std::filesystem::current_path(), processDirectory) << "and so is its directory";
    // Restore what later tests on this thread see.
    ASSERT_TRUE(host.AddCode("shell.Environment(\"PROCESS\").Remove \"VORTALUX_CONTEXT_TEST\"\n"
                             "shell.CurrentDirectory = \""
        + processDirectory.string() + "\"\n"))
        << host.Error().description;
}
