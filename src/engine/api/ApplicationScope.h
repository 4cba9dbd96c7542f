#pragma once

namespace vortalux {

// The one place that makes the Qt application. Code that waits in Qt event loops (page
// downloads, the HTTP objects of scripts, windows) needs one on its thread. A caller's own
// application is always kept; otherwise one is made on demand and deleted when the last scope
// that lives goes.
class ApplicationScope {
public:
    enum class Kind {
        Console, // a QCoreApplication: event loops, sockets, no windows
        WindowsWhenPossible, // a QApplication when a display is there, else a QCoreApplication
    };

    // Holds the application that `Ensure` may make later.
    ApplicationScope();
    // Holds it and makes sure one exists.
    explicit ApplicationScope(Kind kind);
    ~ApplicationScope();
    ApplicationScope(const ApplicationScope&) = delete;
    ApplicationScope& operator=(const ApplicationScope&) = delete;

    // Makes the application if there is none; true when the application can show windows.
    static bool Ensure(Kind kind);
    // True when the application there is can show windows.
    static bool HasWindows();
    // True when some display can take windows: DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM.
    static bool DisplayAvailable();
};

} // namespace vortalux
