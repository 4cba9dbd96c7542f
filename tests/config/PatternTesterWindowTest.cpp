#include "frmRegExp.h"

#include "NamedChild.h"
#include "RecordingPresenter.h"
#include "ScopedEnvironment.h"
#include "ScriptedServer.h"
#include "TestSupport.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace vortalux;
using vortalux::test::NamedChild;
using vortalux::test::ServerReply;

namespace {

using Use = frmRegExp::Use;
using Row = std::vector<std::string>;

std::string Status(const frmRegExp& window)
{
    return NamedChild<QLabel>(window, "lblStatus")->text().toStdString();
}

std::vector<Row> Rows(const frmRegExp& window)
{
    const QAbstractItemModel* model = NamedChild<QTreeView>(window, "lv")->model();
    std::vector<Row> rows;
    for (int r = 0; r < model->rowCount(); ++r) {
        Row row;
        for (int c = 0; c < model->columnCount(); ++c)
            row.push_back(model->data(model->index(r, c)).toString().toStdString());
        rows.push_back(row);
    }
    return rows;
}

// What the user does: types into the boxes. The test runs once the events are handled.
void Type(frmRegExp& window, const char* box, const QString& text)
{
    if (auto* line = window.findChild<QLineEdit*>(QString::fromLatin1(box))) {
        line->setText(text);
    } else {
        auto* edit = NamedChild<QPlainTextEdit>(window, box);
        edit->selectAll();
        edit->insertPlainText(text); // as typed: the document counts as edited
    }
}

void Settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

} // namespace

TEST(PatternTesterWindow, ControlsOfEachUse)
{
    struct Expected {
        Use use;
        bool replaceMode, global, result, resultTicked, resultLabel, resultBox;
    };
    for (const Expected& e : {
             Expected {Use::Identification, false, false, false, false, false, false},
             Expected {Use::ReplaceStep, true, false, false, false, true, true},
             Expected {Use::SearchStep, false, true, true, false, false, true},
             Expected {Use::CustomReferer, true, false, false, true, true, true},
         }) {
        frmRegExp window(e.use);
        window.show();
        const int use = static_cast<int>(e.use);
        EXPECT_EQ(window.ReplaceMode(), e.replaceMode) << use;
        EXPECT_EQ(NamedChild<QCheckBox>(window, "chkGlobal")->isVisible(), e.global) << use;
        EXPECT_EQ(NamedChild<QCheckBox>(window, "chkResult")->isVisible(), e.result) << use;
        EXPECT_EQ(NamedChild<QCheckBox>(window, "chkResult")->isChecked(), e.resultTicked) << use;
        EXPECT_EQ(NamedChild<QLabel>(window, "lblResult")->isVisible(), e.resultLabel) << use;
        EXPECT_EQ(NamedChild<QLineEdit>(window, "txtResult")->isVisible(), e.resultBox) << use;
        EXPECT_EQ(NamedChild<QPlainTextEdit>(window, "txt")->isVisible(), e.replaceMode) << use;
        EXPECT_EQ(NamedChild<QTreeView>(window, "lv")->isVisible(), !e.replaceMode) << use;
    }

    frmRegExp window(Use::SearchStep);
    EXPECT_EQ(window.windowTitle(), QStringLiteral(" Define a regexp"));
    EXPECT_EQ(NamedChild<QLabel>(window, "Label3")->text(), QStringLiteral("Search pattern :"));
    EXPECT_EQ(NamedChild<QCheckBox>(window, "chkResult")->text(),
        QStringLiteral("If the picture's URL can be found, replacement pattern :"));
    EXPECT_EQ(NamedChild<QLabel>(window, "lblResult")->text(), QStringLiteral("Replacement pattern :"));
    EXPECT_EQ(NamedChild<QCheckBox>(window, "chkGlobal")->text(), QStringLiteral("Global search"));
    EXPECT_EQ(NamedChild<QGroupBox>(window, "Frame1")->title(), QStringLiteral("Test your regexp now !"));
    EXPECT_EQ(NamedChild<QLabel>(window, "Label1")->text(), QStringLiteral("Text to search in :"));
    EXPECT_EQ(NamedChild<QLabel>(window, "Label2")->text(), QStringLiteral("Results :"));
    EXPECT_EQ(NamedChild<QPushButton>(window, "btnOk")->text(), QStringLiteral("Ok"));
    EXPECT_EQ(NamedChild<QPushButton>(window, "btnCancel")->text(), QStringLiteral("Cancel"));
    const QAbstractItemModel* model = NamedChild<QTreeView>(window, "lv")->model();
    std::vector<std::string> titles;
    for (int c = 0; c < model->columnCount(); ++c)
        titles.push_back(model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().toStdString());
    EXPECT_EQ(titles, (std::vector<std::string> {"#", "Valeur", "Pos.", "Long."}));
}

TEST(PatternTesterWindow, SearchModeRunsOnEveryChange)
{
    frmRegExp window(Use::SearchStep);
    window.show();
    Type(window, "txtExemple", QStringLiteral("xaby zabz"));
    Type(window, "txtREG", QStringLiteral("(a)(b)"));
    EXPECT_EQ(Status(window), "") << "a burst of changes runs the test once, after it";
    Settle();
    EXPECT_EQ(Status(window), "1 occurrence found");
    EXPECT_EQ(Rows(window),
        (std::vector<Row> {{"1", "ab", "1", "2"}, {"  $1", "a", "", "1"}, {"  $2", "b", "", "1"}}));
    EXPECT_EQ(window.Highlights(), (std::vector<std::pair<int, int>> {{1, 3}}));

    NamedChild<QCheckBox>(window, "chkGlobal")->click();
    Settle();
    EXPECT_EQ(Status(window), "2 occurrences found");
    EXPECT_EQ(Rows(window).size(), 6u);
    EXPECT_EQ(window.Highlights(), (std::vector<std::pair<int, int>> {{1, 3}, {6, 8}}));

    // Ticking chkResult alone does not run the test; the next change shows the preview.
    Type(window, "txtResult", QStringLiteral("$1$URL"));
    Settle();
    NamedChild<QCheckBox>(window, "chkResult")->click();
    Settle();
    EXPECT_EQ(Status(window), "2 occurrences found");
    Type(window, "txtResult", QStringLiteral("$2$1$URL"));
    Settle();
    EXPECT_EQ(Status(window), "bahttp://www.example.com/path/");

    Type(window, "txtREG", QStringLiteral("(a"));
    Settle();
    EXPECT_EQ(Status(window), "Invalid pattern");
    EXPECT_TRUE(Rows(window).empty());
    EXPECT_TRUE(window.Highlights().empty());

    Type(window, "txtREG", QString());
    Settle();
    EXPECT_EQ(Status(window), "No occurrence found");
    EXPECT_TRUE(Rows(window).empty());
}

TEST(PatternTesterWindow, ReplacePreview)
{
    frmRegExp window(Use::ReplaceStep);
    window.show();
    window.SetPattern("^(.*)/thumb_");
    window.SetResult("$SRV$1/big_");
    Type(window, "txtExemple", QStringLiteral("http://h/a/thumb_1.jpg"));
    Settle();
    EXPECT_EQ(Status(window), "1 occurrence found");
    EXPECT_EQ(NamedChild<QPlainTextEdit>(window, "txt")->toPlainText(),
        QStringLiteral("http://www.example.com/http://h/a/big_1.jpg"));
    EXPECT_TRUE(Rows(window).empty());
}

// A loaded page is matched as the bytes it came as: Windows-1252, CR LF kept. The highlight lands
// on the match in the document, where CR LF is one break. Once edited, the text is UTF-8.
TEST(PatternTesterWindow, SampleBytesAndHighlightPositions)
{
    frmRegExp window(Use::Identification);
    window.show();
    window.SetSample("\xe9\r\nab\xe9");
    window.SetPattern("\\r\\nab\\xe9");
    Settle();
    EXPECT_EQ(
        NamedChild<QPlainTextEdit>(window, "txtExemple")->toPlainText(), QStringLiteral("\u00e9\nab\u00e9"));
    EXPECT_EQ(Status(window), "1 occurrence found");
    EXPECT_EQ(Rows(window), (std::vector<Row> {{"1", "\r\nab\u00e9", "1", "5"}}));
    EXPECT_EQ(window.Highlights(), (std::vector<std::pair<int, int>> {{1, 5}}));

    auto* sample = NamedChild<QPlainTextEdit>(window, "txtExemple");
    sample->moveCursor(QTextCursor::End);
    sample->insertPlainText(QStringLiteral("ab\u00e9"));
    window.SetPattern("ab\xc3\xa9");
    Settle();
    EXPECT_EQ(Status(window), "1 occurrence found") << "not global: the first match";
    EXPECT_EQ(Rows(window), (std::vector<Row> {{"1", "ab\u00e9", "3", "4"}}));
    EXPECT_EQ(window.Highlights(), (std::vector<std::pair<int, int>> {{2, 5}}));
}

TEST(PatternTesterWindow, HandBackValues)
{
    {
        frmRegExp window(Use::SearchStep);
        window.SetPattern("p(\\d)");
        window.SetResult("r$1");
        window.SetGlobal(true);
        window.show();
        QTest::mouseClick(NamedChild<QPushButton>(window, "btnOk"), Qt::LeftButton);
        EXPECT_EQ(window.result(), QDialog::Accepted);
        EXPECT_EQ(window.TestedPattern(), "p(\\d)");
        EXPECT_EQ(window.TestedResult(), "r$1");
        EXPECT_EQ(window.TestedGlobal(), 1);
    }
    {
        frmRegExp window(Use::SearchStep);
        window.SetPattern("(invalid");
        window.show();
        QTest::mouseClick(NamedChild<QPushButton>(window, "btnOk"), Qt::LeftButton);
        EXPECT_EQ(window.TestedPattern(), "(invalid") << "Ok hands an invalid pattern back too";
        EXPECT_EQ(window.TestedGlobal(), 0);
    }
    for (const bool closeBox : {true, false}) {
        frmRegExp window(Use::ReplaceStep);
        window.SetPattern("p");
        window.SetResult("r");
        window.show();
        if (closeBox)
            window.close();
        else
            QTest::mouseClick(NamedChild<QPushButton>(window, "btnCancel"), Qt::LeftButton);
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(window.result(), QDialog::Rejected);
        EXPECT_EQ(window.TestedPattern(), "") << closeBox;
        EXPECT_EQ(window.TestedResult(), "") << closeBox;
    }
}

TEST(PatternTesterWindow, LoadPage)
{
    test::TempDir home;
    test::WriteFileBytes(home / "cookies.txt", "127.0.0.1\tFALSE\t/\tFALSE\t0\tsession\tabc\n");
    const test::ScopedEnvironment cookies("VORTALUX_COOKIES", (home / "cookies.txt").string());
    test::ScriptedServer server([](int, const std::string& request) {
        if (request.starts_with("GET /missing"))
            return ServerReply::Whole("HTTP/1.0 404 Not Found\r\n\r\ngone");
        return ServerReply::Whole("HTTP/1.0 200 OK\r\n\r\n<img src=\"a.jpg\">\r\n<img src=\"b.jpg\">");
    });
    test::RecordingPresenter presenter;
    frmRegExp window(Use::SearchStep);
    window.show();
    window.SetPattern("src=\"([^\"]+)\"");
    window.SetGlobal(true);

    // Through the button, as the user does: the address is asked for.
    QTimer::singleShot(0, [&server] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->setTextValue(QString::fromStdString(" " + server.Url("/page")));
        dialog->accept();
    });
    QTest::mouseClick(NamedChild<QPushButton>(window, "btnLoadPage"), Qt::LeftButton);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_NE(server.Requests()[0].find("\r\nCookie: session=abc\r\n"), std::string::npos)
        << server.Requests()[0];
    EXPECT_EQ(NamedChild<QPlainTextEdit>(window, "txtExemple")->toPlainText(),
        QStringLiteral("<img src=\"a.jpg\">\n<img src=\"b.jpg\">"));
    EXPECT_EQ(Status(window), "2 occurrences found");
    EXPECT_EQ(Rows(window)[2], (Row {"2", "src=\"b.jpg\"", "24", "11"})) << "the page's CR LF counts";
    EXPECT_TRUE(presenter.Shown().empty());

    window.LoadPage(server.Url("/missing"));
    window.LoadPage("ftp://127.0.0.1/x");
    window.LoadPage("http:///x");
    ASSERT_EQ(presenter.Shown().size(), 3u);
    EXPECT_EQ(presenter.Shown()[0].text, "The page could not be loaded: HTTP status 404");
    EXPECT_EQ(presenter.Shown()[1].text, "Only http:// and https:// addresses can be loaded.");
    EXPECT_EQ(presenter.Shown()[2].caption, "Load page");
    EXPECT_EQ(server.Requests().size(), 2u) << "refused addresses are not fetched";
    EXPECT_EQ(Status(window), "2 occurrences found") << "a failed load keeps the sample";
}

// A page that keeps the connection open: Esc keeps what has arrived, the load button (now
// "Cancel") keeps the old sample, and closing the window ends the wait and then the window.
TEST(PatternTesterWindow, EndingTheWaitForAPage)
{
    test::ScriptedServer server([](int, const std::string&) {
        return ServerReply {{{0, "HTTP/1.0 200 OK\r\n\r\nfirst part "}, {60'000, "never"}}, false};
    });
    test::RecordingPresenter presenter;
    frmRegExp window(Use::Identification);
    window.show();
    window.SetSample("old sample");
    window.SetPattern("part|sample");
    auto* loadButton = NamedChild<QPushButton>(window, "btnLoadPage");

    QTimer::singleShot(300, [&] {
        EXPECT_TRUE(window.IsLoadingPage());
        EXPECT_EQ(loadButton->text(), QStringLiteral("Cancel"));
        QTest::keyClick(&window, Qt::Key_Escape);
    });
    window.LoadPage(server.Url("/slow"));
    EXPECT_TRUE(window.isVisible()) << "Esc ends the wait, not the window";
    EXPECT_EQ(NamedChild<QPlainTextEdit>(window, "txtExemple")->toPlainText(), QStringLiteral("first part "));
    EXPECT_EQ(Status(window), "1 occurrence found");
    EXPECT_EQ(loadButton->text(), QStringLiteral("Load page..."));

    QTimer::singleShot(300, [&] { QTest::mouseClick(loadButton, Qt::LeftButton); });
    window.LoadPage(server.Url("/slow"));
    EXPECT_EQ(NamedChild<QPlainTextEdit>(window, "txtExemple")->toPlainText(), QStringLiteral("first part "));

    window.SetPattern("kept");
    QTimer::singleShot(300, [&] { window.close(); });
    window.LoadPage(server.Url("/slow"));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.TestedPattern(), "");
    EXPECT_TRUE(presenter.Shown().empty()) << "ending a wait is not a failure";
}
