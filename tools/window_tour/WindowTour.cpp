// Shows the engine's windows with demonstration data and saves a picture of each state:
// window_tour OUTPUT_DIR. Meant to run on a real or virtual X display (scripts/screenshots).

#include "frmSelectURLs.h"
#include "MessageBox.h"
#include "PrintingHandOff.h"
#include "QtMessagePresenter.h"
#include "VTL.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <utility>

using namespace vortalux;

namespace {

// Answers nothing to /slow pages, so the windows can be seen while they wait for one.
class SlowServer : public QTcpServer {
public:
    std::function<void()> onSlowRequest;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QTcpSocket(this);
        socket->setSocketDescriptor(descriptor);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            const QByteArray request = socket->readAll();
            if (request.startsWith("GET /slow")) {
                if (onSlowRequest)
                    QTimer::singleShot(0, this, onSlowRequest);
                return;
            }
            socket->write("HTTP/1.0 200 OK\r\n\r\n<img src=\"http://cdn.example/full.jpg\">");
            socket->disconnectFromHost();
        });
    }
};

void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

void WriteRule(const std::filesystem::path& home, const std::string& name, const std::string& ident, int type,
    bool active = true)
{
    std::string text = "[Main]\r\nver=1\r\nActive=" + std::string(active ? "1" : "0") + "\r\nIdent=" + ident
        + "\r\nType=" + std::to_string(type) + "\r\nReferer=3\r\n";
    if (type == 0)
        text += "[SR]\r\nnb=1\r\nsr1.1=_thumb\\.\r\nsr2.1=.\r\n";
    else
        text += "[OS]\r\nnb=1\r\nregexp.1=<img src=\"([^\"]+)\">\r\nresult.1=$1\r\n";
    WriteText(home / "Rules" / (name + ".vtl"), text);
}

bool Save(QWidget* window, const QString& path)
{
    window->activateWindow();
    QApplication::processEvents();
    const QRect frame = window->frameGeometry();
    const QPixmap picture
        = window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    const bool saved = picture.save(path);
    std::fprintf(stderr, "%s %s\n", saved ? "saved" : "could not save", qPrintable(path));
    return saved;
}

// Shows every message box with Qt, saves a picture of the first few, and answers each with its
// default button, as a user pressing Enter would.
class PhotographingPresenter final : public MessagePresenter {
public:
    PhotographingPresenter(QString output, bool& ok)
        : m_output(std::move(output))
        , m_ok(ok)
    {
    }

    MessageAnswer Present(const MessageRequest& request) override
    {
        if (m_pictures >= MaxPictures)
            return DefaultAnswer(request);
        PhotographThenEnter(m_output + QStringLiteral("/message-%1.png").arg(++m_pictures));
        return m_boxes.Present(request);
    }

    std::optional<std::string> AskText(const TextRequest& request) override
    {
        PhotographThenEnter(m_output + QStringLiteral("/inputbox.png"));
        return m_boxes.AskText(request);
    }

private:
    // Once the box is up: its picture, then Enter.
    void PhotographThenEnter(const QString& path)
    {
        QTimer::singleShot(400, [this, path] {
            QWidget* box = QApplication::activeModalWidget();
            m_ok = box != nullptr && Save(box, path) && m_ok;
            if (box != nullptr) {
                QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                QApplication::sendEvent(box, &enter);
            }
        });
    }

    static constexpr int MaxPictures = 3;
    QtMessagePresenter m_boxes;
    QString m_output;
    bool& m_ok;
    int m_pictures = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_tour OUTPUT_DIR\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(output);
    bool ok = true;
    PhotographingPresenter presenter(output, ok);
    SetMessagePresenter(&presenter);

    QTemporaryDir homeDir;
    const std::filesystem::path home = homeDir.path().toStdString();
    WriteText(home / "Managers" / "Wget.vtm", "[Main]\r\nver=1\r\nDefault=1\r\n[SCRIPT]\r\n\r\n");
    WriteText(home / "Managers" / "Aria2.vtm", "[Main]\r\nver=1\r\nDefault=0\r\n[SCRIPT]\r\n\r\n");
    WriteRule(home, "Thumbnail suffix", "_thumb\\.", 0);
    WriteRule(home, "Image viewer page", "127\\.0\\.0\\.1.*/view", 1);
    WriteRule(home, "Old gallery host", "oldgallery", 0, false);

    SlowServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const std::string site = "http://127.0.0.1:" + std::to_string(server.serverPort());
    std::ostringstream handedOver;

    // The single-link window while its page hangs; Esc then ends the wait.
    {
        VtlOptions options;
        options.interface = VtlOptions::Interface::Windows;
        options.programDirectory = home;
        options.handOffFactory = [&handedOver] { return std::make_unique<PrintingHandOff>(handedOver); };
        VTL engine(options);
        server.onSlowRequest = [&] {
            QTimer::singleShot(600, [&] {
                QWidget* wait = QApplication::activeModalWidget();
                ok = wait != nullptr && Save(wait, output + QStringLiteral("/frmWait.png")) && ok;
                if (wait != nullptr) {
                    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                    QApplication::sendEvent(wait, &escape);
                }
            });
        };
        engine.AddUrl(site + "/slow/view/42", "", "http://forum.example/thread/7");
    }

    // The list window, filled, then during its batch.
    RuleStore rules;
    rules.LoadRules(home);
    ManagerStore managers;
    managers.LoadManagers(home);
    frmSelectURLs window(rules, managers, std::make_unique<PrintingHandOff>(handedOver), home);
    const std::vector<std::string> urlList
        = {"http://forum.example/thread/7", "http://pics.example/2024/beach_thumb.jpg", "Beach at noon",
            "http://pics.example/2024/dunes_thumb.jpg", "Dunes", site + "/view/1001", "Harbour",
            site + "/slow/view/1002", "Lighthouse", "http://oldgallery.example/p/17.jpg", "",
            "http://pics.example/2024/pier_thumb.jpg", "", "http://forum.example/smilies/wink.gif", "",
            site + "/view/1003", "Boats at dusk"};
    window.FillList(urlList);
    window.show();
    QTimer::singleShot(600, [&] {
        ok = Save(&window, output + QStringLiteral("/frmSelectURLs.png")) && ok;
        server.onSlowRequest = [&] {
            QTimer::singleShot(600, [&] {
                ok = Save(&window, output + QStringLiteral("/frmSelectURLs-batch.png")) && ok;
                // Cancel skips the hanging page; the batch goes on into the next rule's part, whose
                // two messages the presenter photographs.
                window.findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
            });
        };
        window.findChild<QPushButton*>(QStringLiteral("btnOk"))->click();
    });
    window.exec();

    // The box a definition's InputBox opens; Enter confirms the text it was given.
    const std::optional<std::string> folder = AskText(
        TextRequest {"Save pictures", "Folder for the pictures of this thread:", "~/Pictures/forum", {}, {}});
    ok = folder == "~/Pictures/forum" && ok;
    SetMessagePresenter(nullptr);
    std::cout << handedOver.str();
    return ok ? 0 : 1;
}
