// Runs each test script of tests/script/vbs. The scripts check themselves through the `Test`
// object; a script error or a failed check fails the test with the script's message and line.
#include "HostObjects.h"
#include "ScriptHost.h"
#include "TestObject.h"

#include <gtest/gtest.h>

using namespace vortalux::script;

namespace {

class ScriptFile : public testing::TestWithParam<const char*> { };

TEST_P(ScriptFile, PassesItsChecks)
{
    ScriptHost host;
    test::RegisterTestObjects(host);
    test::RunScriptFile(host, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Vbs, ScriptFile,
    testing::Values("language.vbs", "builtins.vbs", "coercion.vbs", "errors.vbs", "err_object.vbs",
        "limits.vbs", "crashed_before.vbs", "classes.vbs", "eval.vbs", "syntax_forms.vbs", "numbers.vbs",
        "dates.vbs", "formatting.vbs", "operands.vbs", "arrays.vbs", "byte_functions.vbs"),
    [](const testing::TestParamInfo<const char*>& param) {
        std::string name = param.param;
        return name.substr(0, name.find('.'));
    });

// The scripts of the host objects that need no network: RegExp and Dictionary.
class HostObjectFile : public testing::TestWithParam<const char*> { };

TEST_P(HostObjectFile, PassesItsChecks)
{
    ScriptHost host;
    test::RegisterTestObjects(host);
    RegisterHostObjects(host);
    test::RunScriptFile(host, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Vbs, HostObjectFile, testing::Values("regexp.vbs", "dictionary.vbs"),
    [](const testing::TestParamInfo<const char*>& param) {
        std::string name = param.param;
        return name.substr(0, name.find('.'));
    });

} // namespace
