#include "UpdateCheck.h"
#include "VersionsReply.h"

#include <gtest/gtest.h>

using namespace vortalux;

namespace {

LocalVersions Local(std::string engine, std::string program, std::vector<OfferedItem> managers = {},
    std::vector<OfferedItem> rules = {})
{
    return {std::move(engine), std::move(program), std::move(managers), std::move(rules)};
}

} // namespace

TEST(UpdateCheckTest, ReportsNothingNewForTheSameVersions)
{
    const UpdateCheckResult result = AnalyseVersionsReply("ok1.2.3:0.1.11:0:0", Local("1.2.3", "0.1.11"));
    ASSERT_TRUE(result.IsDone());
    EXPECT_EQ(result.statusTexts,
        (std::vector<std::string> {"Data received, analysis....     Please wait....", "Done."}));
    EXPECT_EQ(
        result.results, (std::array<std::string, 3> {"no updates", "0 new, 0 updates", "0 new, 0 updates"}));
    EXPECT_EQ(result.looks, (std::array {ResultLook::Plain, ResultLook::Plain, ResultLook::Plain}));
    EXPECT_EQ(result.coreStatus, 0);
    EXPECT_EQ(result.progress, 100);
}

TEST(UpdateCheckTest, ComparesEngineAndProgramVersionsAsNumbers)
{
    struct Case {
        std::string localEngine, localProgram, reply, line;
        int coreStatus;
    };
    const std::vector<Case> cases {
        {"1.9.0", "0.1.11", "ok1.10.0:0.1.11:0:0", "new DLL v1.10.0", 2},
        {"1.9.0", "0.1.11", "ok1.10.0:0.2.0:0:0", "new DLL v1.10.0 + GUI v0.2.0", 3},
        {"1.9.0", "0.1.9", "ok1.9.0:0.1.10:0:0", "new GUI v0.1.10", 1},
        {"2.0.0", "0.1.11", "ok1.9.9:0.1.11:0:0", "no updates", 0},
        {"2.0.0", "0.1.11", "ok1.9.9:0.1.12:0:0", "new GUI v0.1.12", 1},
        // Parts are read leniently: leading digits, a part without digits or a missing one is 0.
        {"1.2.3", "1.2.3", "ok1.2.3x:1.2:0:0", "no updates", 0},
        {"1.2.0", "1.2.3", "ok1.2.0.9:1.2.003:0:0", "no updates", 0},
        {"1.2.3", "1.2.3", "ok1.2.00000000000000000000000000004:1.2.3:0:0",
            "new DLL v1.2.00000000000000000000000000004", 2},
        {"1.2.3", "1.2.3", "ok99999999999999999999999.0.0:a.b.c:0:0", "new DLL v99999999999999999999999.0.0",
            2},
    };
    for (const Case& c : cases) {
        const UpdateCheckResult result = AnalyseVersionsReply(c.reply, Local(c.localEngine, c.localProgram));
        ASSERT_TRUE(result.IsDone()) << c.reply;
        EXPECT_EQ(result.results[0], c.line) << c.reply;
        EXPECT_EQ(result.coreStatus, c.coreStatus) << c.reply;
        EXPECT_EQ(result.looks[0], c.coreStatus == 0 ? ResultLook::Plain : ResultLook::Link) << c.reply;
    }
}

TEST(UpdateCheckTest, OffersNewAndNewerItemsComparingVersionsAsText)
{
    const LocalVersions local
        = Local("1.0.0", "1.0.0", {{"ImageHost", "2"}, {"imagehost", "9"}, {"Other", "1"}},
            {{"Nine", "9"}, {"Edited", "0"}, {"Same", "1.9"}});
    const UpdateCheckResult result = AnalyseVersionsReply(
        "ok1.0.0:1.0.0:3:imagehost:3:Other:1:Fresh:1:4:nine:10:Edited:5:same:1.10:New Rule:2:trailing:fields",
        local);
    ASSERT_TRUE(result.IsDone());
    // The first definition in store order is the one compared, whatever the letter case.
    ASSERT_EQ(result.managerUpdates.size(), 2u);
    EXPECT_EQ(result.managerUpdates[0].name, "imagehost");
    EXPECT_EQ(result.managerUpdates[0].localVer, "2");
    EXPECT_EQ(result.managerUpdates[0].serverVer, "3");
    EXPECT_FALSE(result.managerUpdates[0].isNew);
    EXPECT_EQ(result.managerUpdates[1].name, "Fresh");
    EXPECT_EQ(result.managerUpdates[1].localVer, "-1");
    EXPECT_TRUE(result.managerUpdates[1].isNew);
    EXPECT_TRUE(result.managerUpdates[0].selected && result.managerUpdates[1].selected);
    EXPECT_EQ(result.results[1], "1 new, 1 updates");
    EXPECT_EQ(result.looks[1], ResultLook::Link);
    // "10" is not above "9" as text, nor "1.10" above "1.9"; "5" is above a rule edited here ("0").
    ASSERT_EQ(result.ruleUpdates.size(), 2u);
    EXPECT_EQ(result.ruleUpdates[0].name, "Edited");
    EXPECT_EQ(result.ruleUpdates[0].localVer, "0");
    EXPECT_EQ(result.ruleUpdates[1].name, "New Rule");
    EXPECT_EQ(result.results[2], "1 new, 1 updates");
    EXPECT_EQ(result.newRuleCount, 1);
    EXPECT_EQ(result.updatedRuleCount, 1);
    EXPECT_EQ(result.newManagerCount, 1);
    EXPECT_EQ(result.updatedManagerCount, 1);

    EXPECT_EQ(UpdateDetailsInfo(result.ruleUpdates[0], UpdateList::Rules),
        "This rule was modified. Back to original one (might also be a new one)");
    EXPECT_EQ(UpdateDetailsInfo(result.ruleUpdates[1], UpdateList::Rules), "New rule");
    EXPECT_EQ(UpdateDetailsInfo(result.managerUpdates[0], UpdateList::Managers),
        "New version of the definition (from 2 to 3)");
    EXPECT_EQ(UpdateDetailsInfo(result.managerUpdates[1], UpdateList::Managers), "New definition");

    // An item nothing beats leaves its row plain.
    const UpdateCheckResult none = AnalyseVersionsReply("ok1.0.0:1.0.0:1:IMAGEHOST:2:0", local);
    ASSERT_TRUE(none.IsDone());
    EXPECT_EQ(none.results[1], "0 new, 0 updates");
    EXPECT_EQ(none.looks[1], ResultLook::Plain);
}

TEST(UpdateCheckTest, TreatsMalformedRepliesAsIncorrectData)
{
    const std::vector<std::string> replies {
        "",
        "OK1.0.0:1.0.0:0:0",
        "ok1.0.0:1.0.0",
        "ok1.0.0:1.0.0:0",
        "ok1.0.0:1.0.0:1:a",
        "ok1.0.0:1.0.0:2:a:1:b:1",
        "ok1.0.0:1.0.0:0:1:r",
        "ok1.0.0:1.0.0:99999999999999999999999:a:1:0",
        "ok1.0.0:1.0.0:x:0",
        "ok1.0.0:1.0.0:-1:0",
        "ok1.0.0:1.0.0:+1:a:1:0",
        "ok1.0.0:1.0.0: 1:a:1:0",
        "ok1.0.0:1.0.0:1.0:a:1:0",
        "ok1.0.0:1.0.0:0:1::1",
        "ok1.0.0:1.0.0:0:1:.:1",
        "ok1.0.0:1.0.0:0:1:..:1",
        "ok1.0.0:1.0.0:0:1:../x:1",
        "ok1.0.0:1.0.0:1:a\\b:1:0",
        std::string("ok1.0.0:1.0.0:1:a\0b:1:0", 24),
        "ok1.0.0:1.0.0:1:a\rb:1:0",
        "ok1.0.0:1.0.0:1:ab\x7f:1:0",
    };
    for (const std::string& reply : replies) {
        EXPECT_FALSE(VersionsReply::Read(reply)) << reply;
        const UpdateCheckResult result = AnalyseVersionsReply(reply, Local("1.0.0", "1.0.0"));
        EXPECT_FALSE(result.IsDone()) << reply;
        EXPECT_EQ(
            result.statusTexts, (std::vector<std::string> {"Error! Incorrect data received from server"}));
        EXPECT_EQ(result.progress, 0);
    }
    // Names may hold dots, blanks and bytes above 0x7F.
    const auto reply = VersionsReply::Read("ok1:2:1:my.host v2\xe9:3:0");
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->managers.size(), 1u);
    EXPECT_EQ(reply->managers[0].name, "my.host v2\xe9");
}

TEST(UpdateCheckTest, TheDetailsChoiceChangesTheCounts)
{
    std::vector<UpdateItem> items {
        {"a", "-1", "1", true, true}, {"b", "-1", "1", true, true}, {"c", "2", "3", false, true}};
    EXPECT_EQ(UpdateDetails(items, ":1:2:"), "1/2 new, 1 updates");
    EXPECT_EQ((std::vector {items[0].selected, items[1].selected, items[2].selected}),
        (std::vector {false, true, true}));
    EXPECT_EQ(UpdateDetails(items, ":"), "0/2 new, 0/1 updates");
    EXPECT_EQ(UpdateDetails(items, ":0:1:2:"), "2 new, 1 updates");
    // ":1" without its closing colon, or ":12:", chooses nothing.
    EXPECT_EQ(UpdateDetails(items, ":12:1"), "0/2 new, 0/1 updates");
}

TEST(UpdateCheckTest, ShowsTheReplysProgressScaledTo95)
{
    EXPECT_EQ(CheckProgressPercent(0, 0), 0);
    EXPECT_EQ(CheckProgressPercent(50, 100), 47);
    EXPECT_EQ(CheckProgressPercent(100, 100), 95);
    EXPECT_EQ(CheckProgressPercent(200, 100), 95);
    EXPECT_EQ(CheckProgressPercent(1ULL << 40, std::int64_t {1} << 41), 47);
}
