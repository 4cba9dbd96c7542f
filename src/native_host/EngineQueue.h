#pragma once

#include "HostRequest.h"

#include <deque>

namespace vortalux {

class VTL;

// The worker's queue: requests run one after another through the engine, on the thread of the
// Qt application. A request that arrives while a call is under way (its window open, say) waits
// for it; once the input has ended and the queue is empty the application quits.
class EngineQueue {
public:
    explicit EngineQueue(VTL& engine)
        : m_engine(engine)
    {
    }

    void Add(HostRequest request);
    void InputEnded();

private:
    void RunPending();

    VTL& m_engine;
    std::deque<HostRequest> m_pending;
    bool m_running = false;
    bool m_inputEnded = false;
};

// The worker's whole life: the Qt application (with windows when a display is there, else the
// engine's headless behaviour, as `vortalux add-url --batch`), standard input read on a thread
// of its own, the queue. Returns the exit code.
int RunEngineQueue(int argc, char** argv);

} // namespace vortalux
