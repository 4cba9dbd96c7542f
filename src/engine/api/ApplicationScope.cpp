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

ApplicationScope::ApplicationScope(Kind kind)
    : ApplicationScope()
{
    Ensure(kind);
}

ApplicationScope::~ApplicationScope()
{
    if (--g_liveScopes == 0)
        g_ownApplication.reset();
}

bool ApplicationScope::DisplayAvailable()
{
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM");
}

bool ApplicationScope::HasWindows()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

bool ApplicationScope::Ensure(Kind kind)
{
    if (QCoreApplication::instance() == nullptr) {
        if (kind == Kind::WindowsWhenPossible && DisplayAvailable())
            g_ownApplication = std::make_unique<QApplication>(g_argc, g_argv);
        else
            g_ownApplication = std::make_unique<QCoreApplication>(g_argc, g_argv);
    }
    return HasWindows();
}

} // namespace vortalux
