#pragma once

#include "MessageBox.h"

#include <deque>
#include <vector>

namespace vortalux::test {

// Installs itself for its lifetime: records every message box and answers them from a queue
// (the box's default when the queue is empty).
class RecordingPresenter final : public MessagePresenter {
public:
    RecordingPresenter() { m_previous = SetMessagePresenter(this); }
    ~RecordingPresenter() override { SetMessagePresenter(m_previous); }
    RecordingPresenter(const RecordingPresenter&) = delete;
    RecordingPresenter& operator=(const RecordingPresenter&) = delete;

    void QueueAnswer(MessageAnswer answer) { m_answers.push_back(answer); }
    const std::vector<MessageRequest>& Shown() const { return m_shown; }

    MessageAnswer Present(const MessageRequest& request) override
    {
        m_shown.push_back(request);
        if (m_answers.empty())
            return DefaultAnswer(request);
        const MessageAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

private:
    MessagePresenter* m_previous = nullptr;
    std::deque<MessageAnswer> m_answers;
    std::vector<MessageRequest> m_shown;
};

} // namespace vortalux::test
