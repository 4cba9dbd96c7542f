// Shows the configuration program's windows with the shipped rules and definitions and saves a
// picture of each: config_tour OUTPUT_FOLDER (scripts/screenshots). Runs on a real or virtual
// display, or offscreen. The Update panel talks to a reference server on loopback that publishes
// a newer engine, two changed rules and a new one; two failure reports wait on the Support panel.
#include "BackgroundServer.h"
#include "DemoPalette.h"
#include "EngineLibrary.h"
#include "frmMain.h"
#include "frmRegExp.h"
#include "frmRule.h"
#include "frmTryRule.h"
#include "RuleStore.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPalette>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace vortalux;

namespace {

bool Save(QWidget& window, const QDir& out, const char* name)
{
    QApplication::processEvents();
    const QString file = out.filePath(QString::fromLatin1(name));
    if (!window.grab().save(file)) {
        std::fprintf(stderr, "config_tour: cannot write %s\n", file.toLocal8Bit().constData());
        return false;
    }
    return true;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// What the tour's update server publishes: a newer engine (large enough for its download to be
// seen), two shipped rules at a higher version and a new one.
void Publish(const std::filesystem::path& root, const std::filesystem::path& dataDirectory)
{
    WriteFile(root / "core" / "versions.ini", "[Main]\r\nengine=9.1.0\r\nprogram=0.0.1\r\n");
    WriteFile(root / "core" / "libvortalux.so", std::string(48 * 1024 * 1024, '\x7f'));
    WriteFile(root / "core" / "vtl", "#!/bin/sh\n");
    for (const char* name : {"Gallery page", "Generic thumbnail suffix"}) {
        std::ifstream in(dataDirectory / "Rules" / (std::string(name) + ".vtl"), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const size_t ver = bytes.find("ver=");
        if (ver != std::string::npos)
            bytes.replace(ver, bytes.find('\n', ver) - ver, "ver=7\r");
        WriteFile(root / "Rules" / (std::string(name) + ".vtl"), bytes);
    }
    WriteFile(root / "Rules" / "Harbour photos.vtl",
        "[Main]\r\nver=1\r\nIdent=^https?://harbour\\.example/p/\\d+$\r\nType=0\r\nReferer=0\r\n");
}

void WriteReport(
    const std::filesystem::path& home, int number, const std::string& rule, const std::string& url)
{
    WriteFile(home / (std::to_string(number) + ".vtr"),
        "[Main]\r\nURL=" + url + "\r\n\r\n[Rule]\r\nName=" + rule + "\r\nver=1\r\n");
}

void Click(QWidget* widget)
{
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fputs("usage: config_tour OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QDir out(QString::fromLocal8Bit(argv[1]));
    out.mkpath(QStringLiteral("."));
    QTemporaryDir home;
    const std::filesystem::path homePath = home.path().toStdString();
    for (const char* folder : {"Rules", "Managers"})
        std::filesystem::copy(std::filesystem::path(VORTALUX_DATA_DIR) / folder, homePath / folder,
            std::filesystem::copy_options::recursive);

    WriteReport(homePath, 1, "Gallery page", "http://gallery.example/albums/summer-2026");
    WriteReport(homePath, 2, "Image viewer page", "http://pics.example/view.php?id=4471");
    QTemporaryDir published;
    Publish(published.path().toStdString(), VORTALUX_DATA_DIR);
    server::ServerSettings settings;
    settings.root = published.path().toStdString();
    const server::BackgroundServer server(settings);
    if (server.Port() == 0) {
        std::fprintf(stderr, "config_tour: the update server did not start: %s\n", server.Error().c_str());
        return 1;
    }

    const EngineLibrary::VersionAnswer engine
        = EngineLibrary::ReadVersion(VORTALUX_PROGRAM_DIR "/libvortalux.so");
    frmMain window({homePath, engine.ok ? engine.version : "?", "", "support@vortalux.invalid",
        "https://vortalux.invalid/donate", "http://127.0.0.1:" + std::to_string(server.Port()) + "/vtl.php"});
    window.show();
    bool ok = Save(window, out, "vtl-about.png");
    const std::pair<const char*, const char*> panels[] = {{"Special Group", "update"},
        {"Special Group", "support"}, {"settings", "managers"}, {"settings", "rules"}};
    for (const auto& [group, item] : panels) {
        window.Navigate(QString::fromLatin1(group), QString::fromLatin1(item));
        if (auto* rules = window.findChild<QListWidget*>(QStringLiteral("lstRules")))
            rules->setCurrentRow(0);
        ok = Save(window, out, ("vtl-" + std::string(item) + ".png").c_str()) && ok;
    }

    // The update check, its details, and the install while the engine arrives.
    window.Navigate(QStringLiteral("Special Group"), QStringLiteral("update"));
    window.findChild<QPushButton*>(QStringLiteral("btnCheckUpdates"))->click();
    ok = Save(window, out, "vtl-update-checked.png") && ok;
    QTimer::singleShot(200, [&] {
        if (auto* details = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ok = Save(*details, out, "vtl-update-details.png") && ok;
            details->findChild<QPushButton*>(QStringLiteral("btnOk"))->click();
        }
    });
    Click(window.findChild<QLabel*>(QStringLiteral("lblChkResult2")));
    bool installShown = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        const auto* bar = window.findChild<QProgressBar*>(QStringLiteral("pbUpd"));
        if (!installShown && bar->value() >= 30 && bar->value() <= 80
            && window.findChild<QLabel*>(QStringLiteral("lblUpd"))
                   ->text()
                   .startsWith(QLatin1String("Downloading"))) {
            installShown = true;
            ok = Save(window, out, "vtl-update-install.png") && ok;
        }
    });
    watcher.start(1);
    window.findChild<QPushButton*>(QStringLiteral("btnDoUpdates"))->click();
    watcher.stop();
    if (!installShown) {
        std::fputs("config_tour: the install was not seen in progress\n", stderr);
        ok = false;
    }
    window.Navigate(QStringLiteral("Special Group"), QStringLiteral("support"));
    if (auto* reports = window.findChild<QListWidget*>(QStringLiteral("lstReports")))
        reports->setCurrentRow(0);
    ok = Save(window, out, "vtl-support.png") && ok;

    QApplication::setPalette(tools::DarkPalette());
    ok = Save(window, out, "vtl-rules-dark.png") && ok;
    QApplication::setPalette(QApplication::style()->standardPalette());

    const std::vector<Rule>& rules = window.Rules().Rules();
    const auto named = [&rules](const std::string& name) {
        for (const Rule& rule : rules)
            if (rule.name == name)
                return rule;
        return Rule {};
    };
    frmRule editor(homePath, named("Gallery page"), &window);
    editor.show();
    ok = Save(editor, out, "vtl-rule-editor.png") && ok;
    editor.hide();

    frmTryRule trial(named("Generic thumbnail suffix"), &window);
    trial.findChild<QLineEdit*>(QStringLiteral("txtLink"))
        ->setText(QStringLiteral("http://pics.example/2026/harbour_thumb.jpg"));
    trial.findChild<QLineEdit*>(QStringLiteral("txtOrigin"))
        ->setText(QStringLiteral("http://forum.example/t/42"));
    trial.show();
    trial.Try();
    ok = Save(trial, out, "vtl-try-rule.png") && ok;
    trial.hide();

    frmRegExp tester(frmRegExp::Use::SearchStep, &window);
    tester.SetSample("<div class=\"post\">\r\n"
                     "<p>The pictures from our trip:</p>\r\n"
                     "<a href=\"/view/101\"><img src=\"http://img.example/thumbs/101_t.jpg\"></a>\r\n"
                     "<a href=\"/view/102\"><img src=\"http://img.example/thumbs/102_t.jpg\"></a>\r\n"
                     "<a href=\"/view/103\"><img src=\"http://img.example/thumbs/103_t.jpg\"></a>\r\n"
                     "<p>More from the harbour later.</p>\r\n"
                     "</div>\r\n");
    tester.SetPattern("src=\"http://([^/]+)/thumbs/(\\d+)_t\\.jpg\"");
    tester.SetResult("http://$1/full/$2.jpg");
    tester.SetGlobal(true);
    tester.resize(620, 560);
    tester.show();
    tester.RunPatternTest();
    ok = Save(tester, out, "pattern-tester-search.png") && ok;
    return ok ? 0 : 1;
}
