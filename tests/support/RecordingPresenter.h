#pragma once

#include "MessageBox.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace vortalux::test {

// Installs itself for its lifetime: records every message box and text request and answers them
// from queues (the box's default, or the request's default text, when the queue is empty).
class RecordingPresenter final : public MessagePresenter {
public:
    RecordingPresenter() { m_previous = SetMessagePresenter(this); }
    ~RecordingPresenter() override { SetMessagePresenter(m_previous); }
    RecordingPresenter(const RecordingPresenter&) = delete;
    RecordingPresenter& operator=(const RecordingPresenter&) = delete;

    void QueueAnswer(MessageAnswer answer) { m_answers.push_back(answer); }
    const std::vector<MessageRequest>& Shown() const { return m_shown; }
    // Nothing answers as Cancel.
    void QueueText(std::optional<std::string> text) { m_texts.push_back(std::move(text)); }
    const std::vector<TextRequest>& Asked() const { return m_asked; }

    MessageAnswer Present(const MessageRequest& request) override
    {
        m_shown.push_back(request);
        if (m_answers.empty())
            return DefaultAnswer(request);
        const MessageAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    std::optional<std::string> AskText(const TextRequest& request) override
    {
        m_asked.push_back(request);
        if (m_texts.empty())
            return request.defaultText;
        std::optional<std::string> text = std::move(m_texts.front());
        m_texts.pop_front();
        return text;
    }

private:
    MessagePresenter* m_previous = nullptr;
    std::deque<MessageAnswer> m_answers;
    std::vector<MessageRequest> m_shown;
    std::deque<std::optional<std::string>> m_texts;
    std::vector<TextRequest> m_asked;
};

} // namespace vortalux::test
