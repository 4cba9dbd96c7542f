#pragma once

#include <string>

namespace vortalux {

// Every message box of the system goes through this one interface: windows show it with Qt,
// headless runs print it, tests read and answer it.
enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
// Values as VBScript's MsgBox returns them (vbOK = 1 ... vbNo = 7).
// TimedOut (-1, as WScript.Shell's Popup answers it): nobody answered within the request's time.
enum class MessageAnswer {
    TimedOut = -1,
    Ok = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7
};

struct MessageRequest {
    std::string caption;
    std::string text;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    // Zero-based index of the default button among `buttons`.
    int defaultButton = 0;
    // A box still unanswered after this many seconds closes with MessageAnswer::TimedOut; 0
    // waits for an answer. Presenters that answer at once (headless runs) may ignore it.
    int timeoutSeconds = 0;
};

class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    virtual MessageAnswer Present(const MessageRequest& request) = 0;
};

// Shows `request` through the current presenter.
MessageAnswer ShowMessage(const MessageRequest& request);
// Shorthand for an OK box.
void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon);

// Installs `presenter` (not owned) and returns the one it replaces; nullptr restores the
// default, which prints "[caption] text" on standard error (as TerminalText, the text's line
// breaks kept) and answers the default button.
MessagePresenter* SetMessagePresenter(MessagePresenter* presenter);

// The answer a box gives when nobody can answer it: its default button.
MessageAnswer DefaultAnswer(const MessageRequest& request);

} // namespace vortalux
