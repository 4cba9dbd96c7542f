// The rule editor's save without its window: checks, questions, the whole-file write, renames.
#include "RuleSave.h"

#include "RecordingPresenter.h"
#include "RuleStore.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace vortalux;
using vortalux::test::ReadFileBytes;
using vortalux::test::RecordingPresenter;
using vortalux::test::TempDir;
using vortalux::test::WriteFileBytes;
namespace fs = std::filesystem;

namespace {

RuleDraft Draft(std::string name, std::string ident = "^http://site/")
{
    RuleDraft draft;
    draft.rule.name = std::move(name);
    draft.rule.ident = std::move(ident);
    return draft;
}

std::vector<std::string> RuleFiles(const TempDir& home)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(home / "Rules", ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const std::string OtherRule = "[Main]\r\nver=3\r\nIdent=other\r\nActive=0\r\n";

} // namespace

TEST(RuleSave, RefusesNamesAndIdentificationsWithTheEditorsMessages)
{
    const std::string forbidden
        = "Incorrect rule name -- Please use a valid filename -- forbidden: / \\ < > ? * \" |";
    struct Case {
        std::string name;
        std::string ident;
        std::string message;
    };
    const Case cases[] = {
        {"a\"b", "x", forbidden},
        {"a:b", "x", forbidden},
        {"a|b", "x", forbidden},
        {"a/b", "x", forbidden},
        {"a\\b", "x", forbidden},
        // The name check comes first.
        {"a?b", "  ", forbidden},
        {"", "x", "Incorrect rule name -- Please give the rule a name"},
        {"a\nb", "x", "Incorrect rule name -- control characters cannot be part of a file name"},
        {std::string(300, 'n'), "x", "Incorrect rule name -- the name is too long (at most 251 bytes)"},
        {"site", "   ", "Identification regexp needed !"},
        {"site", "", "Identification regexp needed !"},
    };
    TempDir home;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingPresenter boxes;
        EXPECT_EQ(SaveRule(home.Path(), Draft(c.name, c.ident)), RuleSaveOutcome::Refused);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].caption, "Error");
        EXPECT_EQ(boxes.Shown()[0].text, c.message);
        EXPECT_EQ(boxes.Shown()[0].icon, MessageIcon::Critical);
        EXPECT_FALSE(fs::exists(home / "Rules"));
    }

    // Blanks and dots are fine, and so is a name of 251 bytes.
    for (const std::string& name : std::vector<std::string> {"my site v1.2", "..", std::string(251, 'n')}) {
        RecordingPresenter boxes;
        EXPECT_EQ(SaveRule(home.Path(), Draft(name, " x ")), RuleSaveOutcome::Saved) << name;
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].caption, "VTL");
        EXPECT_EQ(boxes.Shown()[0].text, "Rule saved");
        EXPECT_EQ(boxes.Shown()[0].icon, MessageIcon::Information);
        EXPECT_TRUE(fs::exists(home / "Rules" / (name + ".vtl")));
    }
}

TEST(RuleSave, WritesTheEditorsKeysAndOnlyThem)
{
    TempDir home;
    // A file of the rule's own name with keys the editor does not write.
    WriteFileBytes(home / "Rules" / "site.vtl", "[Main]\r\nver=1\r\nActive=0\r\nIdent=old\r\n[X]\r\ny=1\r\n");
    RuleDraft draft = Draft("site");
    draft.previousName = "site";
    draft.rule.version = "7";
    draft.rule.active = false;
    // No type chosen, two steps left after a third was deleted, custom referer keys, no referer
    // option chosen.
    draft.rule.replaceSteps = {{"a", "b"}, {"c", ""}};
    draft.rule.searchSteps = {{"s", "$1", 1}};
    draft.rule.refererMode = RefererMode::Custom;
    draft.rule.refererPattern = "";
    draft.rule.refererTemplate = "http://ref/";
    RecordingPresenter boxes;
    ASSERT_EQ(SaveRule(home.Path(), draft), RuleSaveOutcome::Saved);
    EXPECT_EQ(ReadFileBytes(home / "Rules" / "site.vtl"),
        "[Main]\r\nver=0\r\nIdent=^http://site/\r\nType=0\r\n"
        "\r\n[SR]\r\nnb=2\r\nsr1.1=a\r\nsr2.1=b\r\nsr1.2=c\r\nsr2.2=\r\n"
        "\r\n[OS]\r\nnb=1\r\nregexp.1=s\r\nresult.1=$1\r\nglobal.1=1\r\n"
        "\r\n[Referer]\r\nRegExp=\r\nResult=http://ref/\r\n");

    // A page rule with a chosen referer option.
    draft.rule.type = RuleType::SearchPage;
    draft.refererChosen = true;
    draft.rule.replaceSteps.clear();
    ASSERT_EQ(SaveRule(home.Path(), draft), RuleSaveOutcome::Saved);
    EXPECT_EQ(ReadFileBytes(home / "Rules" / "site.vtl"),
        "[Main]\r\nver=0\r\nIdent=^http://site/\r\nType=1\r\nReferer=4\r\n"
        "\r\n[SR]\r\nnb=0\r\n"
        "\r\n[OS]\r\nnb=1\r\nregexp.1=s\r\nresult.1=$1\r\nglobal.1=1\r\n"
        "\r\n[Referer]\r\nRegExp=\r\nResult=http://ref/\r\n");
    EXPECT_EQ(RuleFiles(home), std::vector<std::string> {"site.vtl"});
}

TEST(RuleSave, RenamesWriteTheNewFileAndRemoveTheOldName)
{
    TempDir home;
    struct Case {
        std::string label;
        std::vector<std::string> before; // files present, each holding a rule
        std::optional<std::string> previousName;
        std::string name;
        std::vector<std::string> after; // files present afterwards
        std::string written; // the file that holds the saved rule
    };
    const Case cases[] = {
        {"rename", {"old.vtl", "keep.vtl"}, "old", "new", {"keep.vtl", "new.vtl"}, "new.vtl"},
        {"letter case only", {"Site.vtl"}, "Site", "site", {"site.vtl"}, "site.vtl"},
        {"loaded from x.VTL", {"x.VTL"}, "x", "x", {"x.VTL"}, "x.VTL"},
        {"old file gone meanwhile", {}, "gone", "new", {"new.vtl"}, "new.vtl"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all(home / "Rules");
        for (const std::string& file : c.before)
            WriteFileBytes(home / "Rules" / file, OtherRule);
        RuleDraft draft = Draft(c.name);
        draft.previousName = c.previousName;
        RecordingPresenter boxes;
        ASSERT_EQ(SaveRule(home.Path(), draft), RuleSaveOutcome::Saved);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, "Rule saved");
        EXPECT_EQ(RuleFiles(home), c.after);
        EXPECT_EQ(ReadFileBytes(home / "Rules" / c.written).substr(0, 19), "[Main]\r\nver=0\r\nIden");
    }
}

TEST(RuleSave, AnotherRulesFileIsReplacedOnlyWhenTheUserSaysYes)
{
    TempDir home;
    struct Case {
        std::string label;
        std::optional<std::string> previousName;
        MessageAnswer answer;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {"new rule, No", std::nullopt, MessageAnswer::No, {"Other.VTL", "mine.vtl"}},
        {"renamed rule, No", "mine", MessageAnswer::No, {"Other.VTL", "mine.vtl"}},
        {"new rule, Yes", std::nullopt, MessageAnswer::Yes, {"Other.VTL", "mine.vtl"}},
        {"renamed rule, Yes", "mine", MessageAnswer::Yes, {"Other.VTL"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all(home / "Rules");
        WriteFileBytes(home / "Rules" / "Other.VTL", OtherRule);
        WriteFileBytes(home / "Rules" / "mine.vtl", OtherRule);
        RuleDraft draft = Draft("other");
        draft.previousName = c.previousName;
        RecordingPresenter boxes;
        boxes.QueueAnswer(c.answer);
        const RuleSaveOutcome outcome = SaveRule(home.Path(), draft);
        ASSERT_GE(boxes.Shown().size(), 1u);
        const MessageRequest& question = boxes.Shown()[0];
        EXPECT_EQ(question.caption, "CONFIRMATION");
        EXPECT_EQ(question.text,
            "There is already a rule with that name, are you sure you want to replace it ?\r\n\r\n"
                + (home / "Rules" / "Other.VTL").string());
        EXPECT_EQ(question.icon, MessageIcon::Question);
        EXPECT_EQ(question.buttons, MessageButtons::YesNo);
        EXPECT_EQ(RuleFiles(home), c.after);
        if (c.answer == MessageAnswer::No) {
            EXPECT_EQ(outcome, RuleSaveOutcome::Refused);
            EXPECT_EQ(boxes.Shown().size(), 1u);
            EXPECT_EQ(ReadFileBytes(home / "Rules" / "Other.VTL"), OtherRule);
        } else {
            EXPECT_EQ(outcome, RuleSaveOutcome::Saved);
            EXPECT_EQ(ReadFileBytes(home / "Rules" / "Other.VTL").substr(0, 15), "[Main]\r\nver=0\r\n");
        }
    }
}

TEST(RuleSave, AFailedWriteShowsTheSystemsErrorAndKeepsTheOldFile)
{
    TempDir home;
    WriteFileBytes(home / "Rules" / "old.vtl", OtherRule);
    fs::permissions(home.Path(), fs::perms::all);
    fs::permissions(home / "Rules",
        fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
    const fs::path folder = home.Path();
    EXPECT_TRUE(test::RunUnprivileged([&] {
        RecordingPresenter boxes;
        RuleDraft draft = Draft("new");
        draft.previousName = "old";
        return SaveRule(folder, draft) == RuleSaveOutcome::Failed && boxes.Shown().size() == 1
            && boxes.Shown()[0].caption == "Error 13" && boxes.Shown()[0].text == "Permission denied"
            && boxes.Shown()[0].icon == MessageIcon::Critical;
    }));
    fs::permissions(home / "Rules", fs::perms::owner_all);
    EXPECT_EQ(RuleFiles(home), std::vector<std::string> {"old.vtl"});
    EXPECT_EQ(ReadFileBytes(home / "Rules" / "old.vtl"), OtherRule);
}
