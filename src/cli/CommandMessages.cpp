#include "CommandMessages.h"

#include <ostream>

namespace vortalux::cli {

CommandMessages::CommandMessages(std::ostream& err, MessageAnswer questionAnswer)
    : m_err(err)
    , m_questionAnswer(questionAnswer)
{
    m_previous = SetMessagePresenter(this);
}

CommandMessages::~CommandMessages() { SetMessagePresenter(m_previous); }

MessageAnswer CommandMessages::Present(const MessageRequest& request)
{
    if (request.buttons != MessageButtons::Ok) {
        ++m_questionsAsked;
        return m_questionAnswer;
    }
    // The error stream shows only printable text and keeps the message's line breaks.
    m_err << '[' << request.caption << "] " << request.text << '\n' << std::flush;
    return MessageAnswer::Ok;
}

} // namespace vortalux::cli
