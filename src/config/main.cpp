// vtl, the configuration program: rules, download managers, updates and failure reports.
#include "EngineLibrary.h"
#include "frmMain.h"
#include "LaunchDetached.h"
#include "MessageBox.h"
#include "ProgramDirectory.h"
#include "ProgramLock.h"
#include "QtMessagePresenter.h"
#include "ServerAddress.h"
#include "UpdateJournal.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

// With VORTALUX_QUIT_AFTER_FIRST_PAINT set, the program ends once the first panel has been
// painted: the start-up benchmark times a whole start that way.
class FirstPaintWatcher final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return QObject::eventFilter(watched, event);
    }
};

// How long a starting vtl waits for vtlupd to finish replacing the program files.
constexpr std::chrono::seconds UpdaterWait {60};

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vtl"));
    QApplication::setDesktopFileName(QStringLiteral("vortalux-vtl"));
    // Without a screen nobody could answer a box: headless runs print them and take each box's
    // default answer.
    const QString platform = QGuiApplication::platformName();
    std::optional<vortalux::QtMessagePresenterScope> messageBoxes;
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"))
        messageBoxes.emplace();

    std::string commandLine;
    for (int i = 1; i < argc; ++i)
        commandLine += (i > 1 ? " " : "") + std::string(argv[i]);

    // Held shared for the whole run: several vtl may run at once, and vtlupd, which takes it
    // exclusively, replaces program files only after every one has ended. A vtl started while it
    // replaces them waits here, before anything of the program is loaded.
    const std::filesystem::path programDirectory = vortalux::ProgramDirectory();
    vortalux::ProgramLock programLock
        = vortalux::ProgramLock::Acquire(programDirectory, vortalux::LockMode::Shared, UpdaterWait);
    if (programLock.Status() == vortalux::LockStatus::TimedOut) {
        vortalux::ShowMessage("VTL",
            "VTL is being updated. Start it again once the update has finished.\r\n\r\nFile: "
                + (programDirectory / std::string(vortalux::ProgramLock::FileName)).string(),
            vortalux::MessageIcon::Information);
        return EXIT_FAILURE;
    }
    // (A program directory this user cannot lock is one nobody here updates either: run unlocked.)
    if (programLock.IsHeld() && vortalux::UpdateJournal::ExistsIn(programDirectory)) {
        // An update was cut short and the program files may be half old, half new: vtlupd finishes
        // or undoes it, then starts VTL again.
        programLock.Release();
        std::string error;
        if (vortalux::LaunchDetached(programDirectory / "vtlupd", {}, programDirectory, error))
            return EXIT_SUCCESS;
        vortalux::ShowMessage("VTL", "An interrupted update could not be finished.\r\n\r\nError: " + error,
            vortalux::MessageIcon::Critical);
        return EXIT_FAILURE;
    }

    const std::filesystem::path library = vortalux::EngineLibrary::DefaultPath();
    const vortalux::EngineLibrary::VersionAnswer engine = vortalux::EngineLibrary::ReadVersion(library);
    if (!engine.ok) {
        vortalux::ShowMessage("VTL",
            "The engine could not be loaded, so VTL cannot start.\r\n\r\nFile: " + library.string()
                + "\r\nError: " + engine.error,
            vortalux::MessageIcon::Critical);
        return EXIT_FAILURE;
    }

    vortalux::frmMain window({programDirectory, engine.version, commandLine, VORTALUX_SUPPORT_ADDRESS,
        VORTALUX_DONATION_PAGE, vortalux::ServerUrl()});
    if (std::getenv("VORTALUX_QUIT_AFTER_FIRST_PAINT") != nullptr) {
        if (QWidget* about = window.findChild<QWidget*>(QStringLiteral("picAbout")))
            about->installEventFilter(new FirstPaintWatcher(&window));
    }
    // With new program files saved, the updater takes over: it waits for this program (and every
    // other vtl) to end, which lets go of the lock, then puts the files in place.
    QObject::connect(&window, &vortalux::frmMain::ProgramUpdateSaved, &window, [&] {
        std::string error;
        if (!vortalux::LaunchDetached(programDirectory / "vtlupd", {}, programDirectory, error)) {
            vortalux::ShowMessage("VTL",
                "The new program files were saved, but the updater could not be started.\r\n\r\nError: "
                    + error,
                vortalux::MessageIcon::Critical);
            return;
        }
        QApplication::exit(EXIT_SUCCESS);
    });
    window.show();
    return QApplication::exec();
}
