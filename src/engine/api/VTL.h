#pragma once

#include "ApplicationScope.h"
#include "HandOffFactory.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vortalux {

// How a VTL object meets its user.
struct VtlOptions {
    enum class Interface {
        // Windows when the caller runs a Qt GUI application, or has no Qt application and a
        // display is there (DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM set); else headless.
        Automatic,
        Windows,
        // No windows: message boxes on standard error, answered with their default button; a
        // list is confirmed as it stands; progress on standard error.
        Headless,
    };
    Interface interface = Interface::Automatic;
    // Where Rules, Managers and the failure reports are; empty: ProgramDirectory().
    std::filesystem::path programDirectory;
    // The hand-off to the download manager; empty: the engine's own.
    HandOffFactory handOffFactory;
};

// The engine: takes one link or a page of links from the client that collected them, converts
// them with the rules and hands them to the user's download manager. Every call reloads the
// rules and the download-manager definitions, blocks until its work and windows are over, and
// reports problems to the user, never to the caller. Use it on one thread: the thread that
// creates the Qt application, when the engine has to create one.
class VTL {
public:
    VTL();
    explicit VTL(VtlOptions options);
    ~VTL();
    VTL(const VTL&) = delete;
    VTL& operator=(const VTL&) = delete;

    // A page's links: element 0 is the page's address, then each link's URL and description.
    // The user chooses the links to convert and the download manager in a window.
    void AddUrlList(const std::vector<std::string>& urlList);
    // One link with its description and the referer it came with.
    void AddUrl(const std::string& url, const std::string& desc, const std::string& referer);
    // "major.minor.revision".
    std::string Version() const;

private:
    bool UseWindows();
    std::filesystem::path ProgramDirectoryToUse() const;
    HandOffFactory HandOffFactoryToUse() const;

    // What every call starts with: how it meets the user, both stores fresh from disk, and the
    // intake checks. `work` runs only when the checks let the call go on.
    struct CallContext;
    void RunCall(const std::function<void(CallContext&)>& work);

    VtlOptions m_options;
    ApplicationScope m_application;
};

} // namespace vortalux
