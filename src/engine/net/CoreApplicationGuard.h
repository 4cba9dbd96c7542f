#pragma once

#include <memory>

class QCoreApplication;

namespace vortalux {

// Makes sure a Qt application object exists while it lives: the event loop of the page fetcher
// needs one. A program that has its own (a window, a test) keeps it; otherwise a
// QCoreApplication is made and deleted again with the guard.
class CoreApplicationGuard {
public:
    CoreApplicationGuard();
    ~CoreApplicationGuard();
    CoreApplicationGuard(const CoreApplicationGuard&) = delete;
    CoreApplicationGuard& operator=(const CoreApplicationGuard&) = delete;

private:
    std::unique_ptr<QCoreApplication> m_application;
};

} // namespace vortalux
