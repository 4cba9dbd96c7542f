#include "ApplicationScope.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdlib>
#include <memory>

namespace vortalux {

namespace {

int g_liveScopes = 0;
std::unique_ptr<QCoreApplication> g_ownApplication;

// Qt keeps references to these for the application's lifetime.
int g_argc = 1;
char g_programName[] = "vortalux";
char* g_argv[] = {g_programName, nullptr};

bool IsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

} // namespace

ApplicationScope::ApplicationScope() { ++g_liveScopes; }

ApplicationScope::~ApplicationScope()
{
    if (--g_liveScopes == 0)
        g_ownApplication.reset();
}

bool ApplicationScope::DisplayAvailable()
{
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM");
}

bool ApplicationScope::Ensure(bool wantWindows)
{
    if (QCoreApplication::instance() == nullptr) {
        if (wantWindows && DisplayAvailable())
            g_ownApplication = std::make_unique<QApplication>(g_argc, g_argv);
        else
            g_ownApplication = std::make_unique<QCoreApplication>(g_argc, g_argv);
    }
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace vortalux
