#pragma once

namespace vortalux {

// Makes sure the thread has a Qt application while an engine object lives: the caller's own
// when it has one; otherwise one the engine creates (a GUI application when windows are wanted
// and possible) and deletes when the last engine object goes.
class ApplicationScope {
public:
    ApplicationScope();
    ~ApplicationScope();
    ApplicationScope(const ApplicationScope&) = delete;
    ApplicationScope& operator=(const ApplicationScope&) = delete;

    // Creates the application if there is none; true when it can show windows.
    static bool Ensure(bool wantWindows);
    // True when some display can take windows: DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM.
    static bool DisplayAvailable();
};

} // namespace vortalux
