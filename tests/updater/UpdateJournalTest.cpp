#include "UpdateJournal.h"

#include <gtest/gtest.h>

using namespace vortalux;

TEST(UpdateJournal, ReadsOnlyWhatItWrites)
{
    UpdateJournal journal;
    journal.direction = UpdateJournal::Direction::Back;
    journal.items = {{"vtl", UpdateJournal::Target::Replaced}, {"libextra.so", UpdateJournal::Target::Added}};
    EXPECT_EQ(journal.Format(), "vtlupd journal\r\nback\r\nreplace vtl\r\nadd libextra.so\r\n");

    std::string error;
    const std::optional<UpdateJournal> read = UpdateJournal::Parse(journal.Format(), error);
    ASSERT_TRUE(read.has_value()) << error;
    EXPECT_EQ(read->direction, UpdateJournal::Direction::Back);
    ASSERT_EQ(read->items.size(), 2U);
    EXPECT_EQ(read->items[1].name, "libextra.so");
    EXPECT_EQ(read->items[1].target, UpdateJournal::Target::Added);

    for (const std::string bad : {"vtlupd journal\r\nforward\r\nreplace vtl",
             "vtlupd journal\r\nsideways\r\n", "vtlupd journal\r\nforward\r\nreplace ../etc/passwd\r\n",
             "vtlupd journal\r\nforward\r\nreplace ..\r\n", "vtlupd journal\r\nforward\r\nmove vtl\r\n",
             "vtlupd journal\nforward\n", ""}) {
        EXPECT_FALSE(UpdateJournal::Parse(bad, error).has_value()) << bad;
    }
}
