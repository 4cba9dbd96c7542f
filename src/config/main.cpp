// vtl, the configuration program: rules, download managers, updates and failure reports.
#include "EngineLibrary.h"
#include "frmMain.h"
#include "MessageBox.h"
#include "ProgramDirectory.h"
#include "QtMessagePresenter.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

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

    const std::filesystem::path library = vortalux::EngineLibrary::DefaultPath();
    const vortalux::EngineLibrary::VersionAnswer engine = vortalux::EngineLibrary::ReadVersion(library);
    if (!engine.ok) {
        vortalux::ShowMessage("VTL",
            "The engine could not be loaded, so VTL cannot start.\r\n\r\nFile: " + library.string()
                + "\r\nError: " + engine.error,
            vortalux::MessageIcon::Critical);
        return EXIT_FAILURE;
    }

    vortalux::frmMain window({vortalux::ProgramDirectory(), engine.version, commandLine,
        VORTALUX_SUPPORT_ADDRESS, VORTALUX_DONATION_PAGE});
    if (std::getenv("VORTALUX_QUIT_AFTER_FIRST_PAINT") != nullptr) {
        if (QWidget* about = window.findChild<QWidget*>(QStringLiteral("picAbout")))
            about->installEventFilter(new FirstPaintWatcher(&window));
    }
    window.show();
    return QApplication::exec();
}
