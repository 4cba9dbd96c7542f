// Runs the host-object test scripts of tests/script/vbs with the shell, file-system and HTTP
// objects registered and a `Fixture` object beside `Test`.
#include "HostFixture.h"
#include "HostObjects.h"
#include "HttpRequestObject.h"
#include "ScriptHost.h"
#include "TestObject.h"

#include <gtest/gtest.h>

using namespace vortalux::script;

namespace {

class HostScriptFile : public testing::TestWithParam<const char*> { };

TEST_P(HostScriptFile, PassesItsChecks)
{
    ScriptHost host;
    RegisterHostObjects(host);
    vortalux::RegisterHttpRequestObjects(host);
    host.AddObject("Fixture", std::make_shared<test::HostFixture>());
    test::RunScriptFile(host, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Vbs, HostScriptFile, testing::Values("shell.vbs", "filesystem.vbs", "xmlhttp.vbs"),
    [](const testing::TestParamInfo<const char*>& param) {
        std::string name = param.param;
        return name.substr(0, name.find('.'));
    });

TEST(HostObjects, UnknownProgIdsCannotBeCreatedAndKnownOnesMatchInAnyCase)
{
    ScriptHost host;
    RegisterHostObjects(host);
    vortalux::RegisterHttpRequestObjects(host);
    ASSERT_TRUE(
        host.AddCode("Function Make(id)\nSet o = CreateObject(id)\nMake = TypeName(o)\nEnd Function"));
    const std::pair<const char*, const char*> known[] = {{"wscript.shell", "IWshShell3"},
        {"SCRIPTING.FILESYSTEMOBJECT", "FileSystemObject"}, {"Msxml2.XmlHttp", "IXMLHTTPRequest"},
        {"msxml2.serverxmlhttp", "IServerXMLHTTPRequest2"}, {"WinHttp.WinHttpRequest.5.1", "IWinHttpRequest"},
        {"scripting.dictionary", "Dictionary"}, {"VBScript.RegExp", "IRegExp2"}};
    for (const auto& [progId, typeName] : known) {
        std::vector<Variant> args = {Variant::FromString(progId)};
        Variant result;
        ASSERT_TRUE(host.Run("Make", args, &result)) << progId << ": " << host.Error().description;
        EXPECT_EQ(result.AsString(), typeName);
    }
    for (const char* progId : {"WScript.Network", "MSXML2.XMLHTTP.9", ""}) {
        std::vector<Variant> args = {Variant::FromString(progId)};
        EXPECT_FALSE(host.Run("Make", args));
        EXPECT_EQ(host.Error().number, 429) << progId;
    }
}

} // namespace
