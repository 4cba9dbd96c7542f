// Shows the configuration program's windows with the shipped rules and definitions and saves a
// picture of each: config_tour OUTPUT_FOLDER (scripts/screenshots). Runs on a real or virtual
// display, or offscreen.
#include "DemoPalette.h"
#include "EngineLibrary.h"
#include "frmMain.h"
#include "frmRegExp.h"
#include "frmRule.h"
#include "frmTryRule.h"
#include "RuleStore.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPixmap>
#include <QStyleFactory>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>

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

    const EngineLibrary::VersionAnswer engine
        = EngineLibrary::ReadVersion(VORTALUX_PROGRAM_DIR "/libvortalux.so");
    frmMain window({homePath, engine.ok ? engine.version : "?", "", "support@vortalux.invalid",
        "https://vortalux.invalid/donate", "http://127.0.0.1:9/vtl.php"});
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
