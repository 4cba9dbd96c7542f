// Numbers a script reads and writes do not follow the process locale: under a locale with ","
// as its decimal mark (what a Qt application gives a German user), literals, conversions and
// texts still use ".".
#include "Coercion.h"
#include "CommaDecimalLocale.h"
#include "RecordingPresenter.h"
#include "ScriptArray.h"
#include "ScriptHost.h"

#include <gtest/gtest.h>

using namespace vortalux;
using namespace vortalux::script;

TEST(ScriptLocale, NumbersKeepTheirPointUnderACommaDecimalLocale)
{
    test::CommaDecimalLocale locale;
    if (!locale.Active())
        GTEST_SKIP() << locale.Problem();

    ScriptHost host;
    ASSERT_TRUE(host.AddCode(
        "Function Texts()\n"
        "  Texts = Array(1.5 * 2, CStr(0.5), CDbl(CStr(0.25)) * 4, CDbl(\"1.5E+3\"), \"x\" & 2.5E-05, _\n"
        "    \"0.5\" + 1, CLng(\"2.6\"), Round(2.675, 2), Hex(255), Oct(8), 1E+20 & \"\", _\n"
        "    IsNumeric(\"1.5\"), 0.1 < \"0.2\", CStr(CSng(1.5)), CCur(\"2.25\") * 2, CSng(\"0.5\") / 4, _\n"
        "    CDate(\"1/5/2020\") + 0.5, FormatDateTime(#1/5/2020 1:05 PM#, vbLongDate), _\n"
        "    FormatNumber(1234.5), FormatCurrency(-0.5), FormatPercent(\"0.125\"))\n"
        "End Function\n"));
    std::vector<Variant> none;
    Variant result;
    ASSERT_TRUE(host.Run("Texts", none, &result))
        << host.Error().description << " at line " << host.Error().line;
    std::vector<std::string> texts;
    for (const Variant& value : result.AsArray()->Elements())
        texts.push_back(ToString(value));
    const std::vector<std::string> expected = {"3", "0.5", "1", "1500", "x2.5E-05", "1.5", "3", "2.68", "FF",
        "10", "1E+20", "True", "True", "1.5", "4.5", "0.125", "1/5/2020 12:00:00 PM",
        "Sunday, January 5, 2020", "1,234.50", "($0.50)", "12.50%"};
    EXPECT_EQ(texts, expected);
}

TEST(ScriptLocale, MessageTextsKeepTheirPoint)
{
    test::CommaDecimalLocale locale;
    if (!locale.Active())
        GTEST_SKIP() << locale.Problem();
    test::RecordingPresenter presenter;
    ScriptHost host;
    ASSERT_TRUE(host.AddCode("MsgBox 3 / 4"));
    ASSERT_EQ(presenter.Shown().size(), 1u);
    EXPECT_EQ(presenter.Shown()[0].text, "0.75");
}
