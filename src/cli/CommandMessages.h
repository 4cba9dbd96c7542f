#pragma once

#include "MessageBox.h"

#include <iosfwd>

namespace vortalux::cli {

// The message boxes of a command while it runs: a message is printed on the command's error
// stream as "[caption] text", as the default presenter prints it; a question is not printed
// but answered with the command's answer (what its options say, say --replace), and counted.
class CommandMessages final : public MessagePresenter {
public:
    CommandMessages(std::ostream& err, MessageAnswer questionAnswer);
    ~CommandMessages() override;
    CommandMessages(const CommandMessages&) = delete;
    CommandMessages& operator=(const CommandMessages&) = delete;

    MessageAnswer Present(const MessageRequest& request) override;

    int QuestionsAsked() const { return m_questionsAsked; }

private:
    std::ostream& m_err;
    MessageAnswer m_questionAnswer;
    MessagePresenter* m_previous = nullptr;
    int m_questionsAsked = 0;
};

} // namespace vortalux::cli
