#include "QtMessagePresenter.h"

#include "DisplayText.h"

#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include <chrono>

#include <utility>
#include <vector>

namespace vortalux {

namespace {

QMessageBox::Icon IconOf(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

std::vector<std::pair<QMessageBox::StandardButton, MessageAnswer>> ButtonsOf(MessageButtons buttons)
{
    using B = QMessageBox;
    using A = MessageAnswer;
    switch (buttons) {
    case MessageButtons::Ok:
        return {{B::Ok, A::Ok}};
    case MessageButtons::OkCancel:
        return {{B::Ok, A::Ok}, {B::Cancel, A::Cancel}};
    case MessageButtons::AbortRetryIgnore:
        return {{B::Abort, A::Abort}, {B::Retry, A::Retry}, {B::Ignore, A::Ignore}};
    case MessageButtons::YesNoCancel:
        return {{B::Yes, A::Yes}, {B::No, A::No}, {B::Cancel, A::Cancel}};
    case MessageButtons::YesNo:
        return {{B::Yes, A::Yes}, {B::No, A::No}};
    case MessageButtons::RetryCancel:
        return {{B::Retry, A::Retry}, {B::Cancel, A::Cancel}};
    }
    return {{B::Ok, A::Ok}};
}

} // namespace

MessageAnswer QtMessagePresenter::Present(const MessageRequest& request)
{
    QMessageBox box(IconOf(request.icon), DisplayText(request.caption), DisplayText(request.text));
    const auto buttons = ButtonsOf(request.buttons);
    for (const auto& [button, answer] : buttons)
        box.addButton(button);
    const auto defaultIndex = static_cast<size_t>(request.defaultButton);
    box.setDefaultButton(buttons[defaultIndex < buttons.size() ? defaultIndex : 0].first);
    box.setWindowModality(Qt::ApplicationModal);
    bool timedOut = false;
    if (request.timeoutSeconds > 0) {
        QTimer::singleShot(std::chrono::seconds(request.timeoutSeconds), &box, [&box, &timedOut] {
            timedOut = true;
            box.reject();
        });
    }
    const int clicked = box.exec();
    if (timedOut)
        return MessageAnswer::TimedOut;
    for (const auto& [button, answer] : buttons) {
        if (clicked == button)
            return answer;
    }
    // Closed without a button (Esc on a box without Cancel): the box's default answer.
    return DefaultAnswer(request);
}

std::optional<std::string> QtMessagePresenter::AskText(const TextRequest& request)
{
    QInputDialog dialog;
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(DisplayText(request.caption));
    dialog.setLabelText(DisplayText(request.prompt));
    dialog.setTextValue(DisplayText(request.defaultText));
    dialog.setWindowModality(Qt::ApplicationModal);
    if (request.left || request.top) {
        dialog.adjustSize();
        const QScreen* screen
            = dialog.screen() != nullptr ? dialog.screen() : QGuiApplication::primaryScreen();
        const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        const int left = request.left ? *request.left : area.center().x() - dialog.width() / 2;
        const int top = request.top ? *request.top : area.top() + area.height() / 3 - dialog.height() / 2;
        dialog.move(left, top);
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue().toStdString();
}

QtMessagePresenterScope::QtMessagePresenterScope()
{
    MessagePresenter* previous = SetMessagePresenter(&m_presenter);
    if (previous != nullptr)
        SetMessagePresenter(previous);
    else
        m_installed = true;
}

QtMessagePresenterScope::~QtMessagePresenterScope()
{
    if (m_installed)
        SetMessagePresenter(nullptr);
}

} // namespace vortalux
