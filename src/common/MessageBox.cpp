#include "MessageBox.h"

#include "TerminalText.h"

#include <cstdio>
#include <vector>

namespace vortalux {

namespace {

// Texts carry names, addresses and script errors from outside: printable only. Their own line
// breaks stay line breaks.
void PrintOnStandardError(const std::string& caption, const std::string& text)
{
    const std::string line = "[" + TerminalText(caption) + "] " + TerminalText(text, LineBreaks::Keep) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

class PrintingPresenter final : public MessagePresenter {
public:
    MessageAnswer Present(const MessageRequest& request) override
    {
        PrintOnStandardError(request.caption, request.text);
        return DefaultAnswer(request);
    }
};

PrintingPresenter g_printingPresenter;
MessagePresenter* g_presenter = &g_printingPresenter;

std::vector<MessageAnswer> AnswersOf(MessageButtons buttons)
{
    using A = MessageAnswer;
    switch (buttons) {
    case MessageButtons::Ok:
        return {A::Ok};
    case MessageButtons::OkCancel:
        return {A::Ok, A::Cancel};
    case MessageButtons::AbortRetryIgnore:
        return {A::Abort, A::Retry, A::Ignore};
    case MessageButtons::YesNoCancel:
        return {A::Yes, A::No, A::Cancel};
    case MessageButtons::YesNo:
        return {A::Yes, A::No};
    case MessageButtons::RetryCancel:
        return {A::Retry, A::Cancel};
    }
    return {A::Ok};
}

} // namespace

MessageAnswer DefaultAnswer(const MessageRequest& request)
{
    const std::vector<MessageAnswer> answers = AnswersOf(request.buttons);
    const auto index = static_cast<size_t>(request.defaultButton);
    return index < answers.size() ? answers[index] : answers.front();
}

std::optional<std::string> MessagePresenter::AskText(const TextRequest& request)
{
    PrintOnStandardError(request.caption, request.prompt);
    return request.defaultText;
}

MessageAnswer ShowMessage(const MessageRequest& request) { return g_presenter->Present(request); }

std::optional<std::string> AskText(const TextRequest& request) { return g_presenter->AskText(request); }

void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon)
{
    ShowMessage(MessageRequest {caption, text, icon, MessageButtons::Ok, 0});
}

MessagePresenter* SetMessagePresenter(MessagePresenter* presenter)
{
    MessagePresenter* previous = g_presenter == &g_printingPresenter ? nullptr : g_presenter;
    g_presenter = presenter != nullptr ? presenter : &g_printingPresenter;
    return previous;
}

} // namespace vortalux
