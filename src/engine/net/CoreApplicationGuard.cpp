#include "CoreApplicationGuard.h"

#include <QCoreApplication>

namespace vortalux {

CoreApplicationGuard::CoreApplicationGuard()
{
    if (QCoreApplication::instance() != nullptr)
        return;
    // Qt keeps references to argc and argv for the application's lifetime.
    static int argc = 1;
    static char programName[] = "vortalux";
    static char* argv[] = {programName, nullptr};
    m_application = std::make_unique<QCoreApplication>(argc, argv);
}

CoreApplicationGuard::~CoreApplicationGuard() = default;

} // namespace vortalux
