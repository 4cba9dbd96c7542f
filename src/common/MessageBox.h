#pragma once

#include <optional>
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

// A box that asks for a line of text, with OK and Cancel.
struct TextRequest {
    std::string caption;
    std::string prompt;
    // What the text field holds when the box opens.
    std::string defaultText;
    // Where the box's left and top edges go, in pixels from the screen's; left out, the box is
    // centred across and put a third of the way down.
    std::optional<int> left;
    std::optional<int> top;
};

class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    virtual MessageAnswer Present(const MessageRequest& request) = 0;
    // The text the user confirmed, or nothing when the box was cancelled. Unless a presenter
    // answers otherwise, the request is printed as the default presenter prints a message and
    // answered with its default text, as OK on a box nobody typed in.
    virtual std::optional<std::string> AskText(const TextRequest& request);
};

// Shows `request` through the current presenter.
MessageAnswer ShowMessage(const MessageRequest& request);
// Shorthand for an OK box.
void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon);
// Asks for a line of text through the current presenter.
[[nodiscard]] std::optional<std::string> AskText(const TextRequest& request);

// Installs `presenter` (not owned) and returns the one it replaces; nullptr restores the
// default, which prints "[caption] text" on standard error (as TerminalText, the text's line
// breaks kept) and answers the default button.
MessagePresenter* SetMessagePresenter(MessagePresenter* presenter);

// The answer a box gives when nobody can answer it: its default button.
MessageAnswer DefaultAnswer(const MessageRequest& request);

} // namespace vortalux
