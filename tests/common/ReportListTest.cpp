#include "ReportList.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace vortalux;
using namespace vortalux::test;
namespace fs = std::filesystem;

namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

void Report(const TempDir& home, const std::string& fileName, const std::string& text)
{
    WriteFileBytes(home / fileName, text);
}

TEST(ReportList, ListsReportsWithAnAddressThatWaitToBeSent)
{
    TempDir home;
    Report(home, "1.vtr", "[Main]\r\nURL=http://a/1\r\n[Rule]\r\nName=A\r\n");
    Report(home, "2.vtr", "[Main]\r\nURL=http://a/2\r\nSent=1\r\n[Rule]\r\nName=B\r\n");
    Report(home, "3.vtr", "[Main]\r\nURL=\r\n[Rule]\r\nName=C\r\n");
    Report(home, "4.vtr", "[Rule]\r\nName=D\r\n");
    Report(home, "0.vtr", "[Main]\r\nURL=http://a/0\r\n");
    Report(home, "x1.vtr", "[Main]\r\nURL=http://a/x\r\n");
    Report(home, ".vtr-123-abcdef", "[Main]\r\nURL=http://a/tmp\r\n");
    fs::create_directory(home / "5.vtr");
    ReportList reports;
    reports.LoadReports(home.Path());
    std::vector<std::string> loaded;
    for (const ReportEntry& entry : reports.Entries())
        loaded.push_back(std::to_string(entry.number) + " " + entry.ruleName + " " + entry.url
            + (entry.sent ? " sent" : ""));
    EXPECT_EQ(loaded, (std::vector<std::string> {"0  http://a/0", "1 A http://a/1", "2 B http://a/2 sent"}));
    ASSERT_EQ(reports.Unsent().size(), 1u);
    EXPECT_EQ(reports.Unsent()[0].number, 1);
}

TEST(ReportList, SendFieldsFollowTheServersOrderStepByStep)
{
    TempDir home;
    Report(home, "7.vtr",
        "[Main]\r\nURL=http://h/x_t.jpg\r\n[Rule]\r\nName=R\r\nver=3\r\nIdent=id\r\nType=0\r\nReferer=2\r\n"
        "[SR]\r\nnb=2\r\nsr1.1=a\r\nsr2.1=b\r\nsr1.2=c\r\nsr2.2=d\r\n[OS]\r\nnb=0\r\n"
        "[Referer]\r\nRegExp=rp\r\nResult=rt\r\n");
    ReportList reports;
    reports.LoadReports(home.Path());
    ASSERT_EQ(reports.Entries().size(), 1u);
    EXPECT_EQ(ReportList::SendFields(home.Path(), reports.Entries()[0]),
        (Fields {{"URL", "http://h/x_t.jpg"}, {"Rule", "R"}, {"ver", "3"}, {"Ident", "id"}, {"Type", "0"},
            {"Referer", "2"}, {"nbSR", "2"}, {"sr1_1", "a"}, {"sr2_1", "b"}, {"sr1_2", "c"}, {"sr2_2", "d"},
            {"nbOS", "0"}, {"Referer_Regexp", "rp"}, {"Referer_Result", "rt"}}));

    // A step count that is not a number sends no steps; a huge one stops at the rules' own cap.
    Report(home, "8.vtr", "[Main]\r\nURL=u\r\n[SR]\r\nnb=many\r\n[OS]\r\nnb=99999999\r\n");
    const Fields fields = ReportList::SendFields(home.Path(), {8, "", "u", false});
    EXPECT_EQ(fields[6], (std::pair<std::string, std::string> {"nbSR", "0"}));
    EXPECT_EQ(fields[7], (std::pair<std::string, std::string> {"nbOS", "1000"}));
    EXPECT_EQ(fields.size(), 8u + 3 * 1000 + 2);
}

TEST(ReportList, MarkingAndDeletingNeverMakeAReportThatIsGone)
{
    TempDir home;
    Report(home, "1.vtr", "[Main]\r\nURL=http://a/1\r\n; kept\r\n[Rule]\r\nName=A\r\n");
    EXPECT_FALSE(ReportList::MarkSent(home.Path(), 1));
    EXPECT_EQ(ReadFileBytes(home / "1.vtr"),
        "[Main]\r\nURL=http://a/1\r\n; kept\r\nSent=1\r\n[Rule]\r\nName=A\r\n");
    EXPECT_EQ(ReportList::MarkSent(home.Path(), 2), std::errc::no_such_file_or_directory);
    EXPECT_FALSE(fs::exists(home / "2.vtr"));

    EXPECT_FALSE(ReportList::Delete(home.Path(), 1));
    EXPECT_FALSE(fs::exists(home / "1.vtr"));
    EXPECT_EQ(ReportList::Delete(home.Path(), 1), std::errc::no_such_file_or_directory);
}

} // namespace
