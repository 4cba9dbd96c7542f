// Runs each test script of tests/script/vbs. The scripts check themselves through the `Test`
// object; a script error or a failed check fails the test with the script's message and line.
#include "ScriptHost.h"
#include "TestObject.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vortalux::script;

namespace {

class ScriptFile : public testing::TestWithParam<const char*> { };

TEST_P(ScriptFile, PassesItsChecks)
{
    const std::filesystem::path path = std::filesystem::path(VORTALUX_SCRIPT_TEST_DIR) / GetParam();
    const std::string code = vortalux::test::ReadFileBytes(path);
    ASSERT_FALSE(code.empty()) << path;

    ScriptHost host;
    test::RegisterTestObjects(host);
    auto testObject = std::make_shared<test::TestObject>(host);
    host.AddObject("Test", testObject);
    const bool ran = host.AddCode(code);
    EXPECT_TRUE(ran) << GetParam() << ":" << host.Error().Line << ":" << host.Error().Column << ": error "
                     << host.Error().Number << " " << host.Error().Description;
    for (const std::string& failure : testObject->Failures())
        ADD_FAILURE() << GetParam() << " " << failure;
    EXPECT_GT(testObject->CheckCount(), 0) << "the script checked nothing";
}

INSTANTIATE_TEST_SUITE_P(Vbs, ScriptFile,
    testing::Values("language.vbs", "builtins.vbs", "coercion.vbs", "errors.vbs", "err_object.vbs",
        "limits.vbs", "crashed_before.vbs"),
    [](const testing::TestParamInfo<const char*>& param) {
        std::string name = param.param;
        return name.substr(0, name.find('.'));
    });

} // namespace
