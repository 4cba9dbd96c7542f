// explorer_bar_preview OUTPUT.png light|dark [SCALE]
// Renders the navigation pane as the main window fills it, hovering "Rules" and with the keyboard
// focus on "Check for updates", so every state of the drawing shows in one picture.
#include "ExplorerBarControl.h"
#include "ImageList.h"
#include "PaneIcons.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleFactory>

#include "DemoPalette.h"

#include <cstdio>
#include <cstring>

using namespace vortalux;

namespace {

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || (std::strcmp(argv[2], "light") != 0 && std::strcmp(argv[2], "dark") != 0)) {
        std::fprintf(stderr, "usage: explorer_bar_preview OUTPUT.png light|dark [SCALE]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const bool dark = std::strcmp(argv[2], "dark") == 0;
    QApplication::setPalette(dark ? tools::DarkPalette() : QApplication::style()->standardPalette());
    const qreal scale = argc > 3 ? QString::fromLocal8Bit(argv[3]).toDouble() : 1.0;

    ImageList images;
    images.Add(QStringLiteral("about"), PaneIcons::About());
    images.Add(QStringLiteral("update"), PaneIcons::Update());
    images.Add(QStringLiteral("support"), PaneIcons::Support());
    images.Add(QStringLiteral("managers"), PaneIcons::Managers());
    images.Add(QStringLiteral("rules"), PaneIcons::Rules());

    ExplorerBarControl bar;
    bar.setObjectName(QStringLiteral("eBar"));
    bar.resize(220, 280);
    bar.SetImageList(&images);
    bar.AddSpecialGroup(QStringLiteral("Vortalux"), PaneIcons::Logo());
    bar.AddItem("Special Group", QStringLiteral("about"), QStringLiteral("About VTL"), "about");
    bar.AddItem("Special Group", QStringLiteral("update"), QStringLiteral("Check for updates"), "update");
    bar.AddItem("Special Group", QStringLiteral("support"), QStringLiteral("Support VTL"), "support");
    bar.AddGroup(QStringLiteral("settings"), QStringLiteral("Settings"));
    bar.AddItem("settings", QStringLiteral("managers"), QStringLiteral("Download Managers"), "managers");
    bar.AddItem("settings", QStringLiteral("rules"), QStringLiteral("Rules"), "rules");
    bar.show();
    bar.activateWindow();
    QApplication::processEvents();
    bar.setFocus();
    // Focus on the second line, the pointer over "Rules".
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(&bar, &down);
    QApplication::sendEvent(&bar, &down);
    const QPointF over = bar.ItemRect("settings", "rules").center();
    QMouseEvent move(
        QEvent::MouseMove, over, bar.mapToGlobal(over), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&bar, &move);
    QApplication::processEvents();

    QImage image(bar.size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    bar.render(&image);
    if (!image.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "explorer_bar_preview: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
