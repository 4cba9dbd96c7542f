#include "MessageBox.h"
#include "RecordingPresenter.h"

#include <gtest/gtest.h>

using namespace vortalux;

TEST(MessageBox, DefaultAnswerIsTheDefaultButton)
{
    EXPECT_EQ(DefaultAnswer({"c", "t", MessageIcon::Question, MessageButtons::YesNo, 0}), MessageAnswer::Yes);
    EXPECT_EQ(DefaultAnswer({"c", "t", MessageIcon::Question, MessageButtons::YesNo, 1}), MessageAnswer::No);
    EXPECT_EQ(
        DefaultAnswer({"c", "t", MessageIcon::None, MessageButtons::YesNoCancel, 2}), MessageAnswer::Cancel);
    // A default beyond the buttons falls back to the first one.
    EXPECT_EQ(DefaultAnswer({"c", "t", MessageIcon::None, MessageButtons::OkCancel, 5}), MessageAnswer::Ok);
}

TEST(MessageBox, PresenterRecordsAndAnswersThenRestoresThePrevious)
{
    {
        test::RecordingPresenter outer;
        {
            test::RecordingPresenter inner;
            inner.QueueAnswer(MessageAnswer::No);
            EXPECT_EQ(ShowMessage({"VTL", "Sure?", MessageIcon::Question, MessageButtons::YesNo, 0}),
                MessageAnswer::No);
            ShowMessage("Vortalux", "done", MessageIcon::Information);
            ASSERT_EQ(inner.Shown().size(), 2u);
            EXPECT_EQ(inner.Shown()[1].caption, "Vortalux");
            EXPECT_EQ(inner.Shown()[1].icon, MessageIcon::Information);
        }
        ShowMessage("Vortalux", "after", MessageIcon::None);
        ASSERT_EQ(outer.Shown().size(), 1u);
        EXPECT_EQ(outer.Shown()[0].text, "after");
    }
    EXPECT_EQ(SetMessagePresenter(nullptr), nullptr);
}

TEST(MessageBox, TextRequestsAreRecordedOrPrintedAndAnswered)
{
    {
        test::RecordingPresenter presenter;
        presenter.QueueText(std::nullopt);
        EXPECT_EQ(AskText({"Example", "Name?", "dflt", {}, {}}), std::nullopt);
        EXPECT_EQ(AskText({"Example", "Again?", "dflt", 10, 20}), "dflt");
        ASSERT_EQ(presenter.Asked().size(), 2u);
        EXPECT_EQ(presenter.Asked()[1].prompt, "Again?");
        EXPECT_EQ(presenter.Asked()[1].top, 20);
    }
    // Headless: printed as a message is, control bytes made visible, answered with the default text.
    testing::internal::CaptureStderr();
    const std::optional<std::string> answer = AskText({"Example", "Name\x1b[2J?", "dflt", {}, {}});
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, "dflt");
    EXPECT_EQ(printed.find('\x1b'), std::string::npos) << printed;
    EXPECT_EQ(printed.rfind("[Example] Name", 0), 0u) << printed;
}
