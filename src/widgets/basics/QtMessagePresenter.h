#pragma once

#include "MessageBox.h"

namespace vortalux {

// Shows message boxes and text requests as Qt dialogs, application-modal.
class QtMessagePresenter final : public MessagePresenter {
public:
    MessageAnswer Present(const MessageRequest& request) override;
    // The text comes back as UTF-8, as every text typed in a window is stored.
    std::optional<std::string> AskText(const TextRequest& request) override;
};

// Puts a QtMessagePresenter in place for its lifetime, unless a presenter other than the default
// one is already installed (a test's, or the host program's own), which then stays.
class QtMessagePresenterScope {
public:
    QtMessagePresenterScope();
    ~QtMessagePresenterScope();
    QtMessagePresenterScope(const QtMessagePresenterScope&) = delete;
    QtMessagePresenterScope& operator=(const QtMessagePresenterScope&) = delete;

private:
    QtMessagePresenter m_presenter;
    bool m_installed = false;
};

} // namespace vortalux
