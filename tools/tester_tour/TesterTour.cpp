// Shows the pattern tester in search mode with demonstration data and saves its picture:
// tester_tour OUTPUT_FOLDER (scripts/screenshots).
#include "frmRegExp.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fputs("usage: tester_tour OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    out.mkpath(QStringLiteral("."));

    vortalux::frmRegExp window(vortalux::frmRegExp::Use::SearchStep);
    window.SetSample("<div class=\"post\">\r\n"
                     "<p>The pictures from our trip:</p>\r\n"
                     "<a href=\"/view/101\"><img src=\"http://img.example/thumbs/101_t.jpg\"></a>\r\n"
                     "<a href=\"/view/102\"><img src=\"http://img.example/thumbs/102_t.jpg\"></a>\r\n"
                     "<a href=\"/view/103\"><img src=\"http://img.example/thumbs/103_t.jpg\"></a>\r\n"
                     "<p>More from the harbour later.</p>\r\n"
                     "</div>\r\n");
    window.SetPattern("src=\"http://([^/]+)/thumbs/(\\d+)_t\\.jpg\"");
    window.SetResult("http://$1/full/$2.jpg");
    window.SetGlobal(true);
    window.resize(620, 560);
    window.show();
    window.RunPatternTest();
    QApplication::processEvents();
    const QString file = out.filePath(QStringLiteral("pattern-tester-search.png"));
    if (!window.grab().save(file)) {
        std::fprintf(stderr, "tester_tour: cannot write %s\n", file.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
