#include "frmWait.h"

#include "EngineServices.h"
#include "SingleLinkFlow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>

namespace vortalux {

namespace {

// Image1: a picture being taken down the wire, drawn rather than shipped as a file.
QPixmap WaitPicture(int size, qreal ratio)
{
    QPixmap pixmap(static_cast<int>(size * ratio), static_cast<int>(size * ratio));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    painter.setPen(QPen(QColor(0x2b, 0x57, 0x9a), s / 24));
    painter.setBrush(QColor(0xe8, 0xf0, 0xfb));
    painter.drawRoundedRect(QRectF(s * 0.08, s * 0.12, s * 0.84, s * 0.62), s * 0.06, s * 0.06);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xf2, 0xb1, 0x34));
    painter.drawEllipse(QPointF(s * 0.7, s * 0.3), s * 0.07, s * 0.07);
    QPainterPath hills;
    hills.moveTo(s * 0.12, s * 0.7);
    hills.lineTo(s * 0.36, s * 0.38);
    hills.lineTo(s * 0.52, s * 0.56);
    hills.lineTo(s * 0.62, s * 0.46);
    hills.lineTo(s * 0.88, s * 0.7);
    hills.closeSubpath();
    painter.setBrush(QColor(0x4f, 0x8a, 0x3c));
    painter.drawPath(hills);
    QPainterPath arrow;
    arrow.moveTo(s * 0.42, s * 0.74);
    arrow.lineTo(s * 0.58, s * 0.74);
    arrow.lineTo(s * 0.58, s * 0.84);
    arrow.lineTo(s * 0.68, s * 0.84);
    arrow.lineTo(s * 0.5, s * 0.98);
    arrow.lineTo(s * 0.32, s * 0.84);
    arrow.lineTo(s * 0.42, s * 0.84);
    arrow.closeSubpath();
    painter.setBrush(QColor(0x2b, 0x57, 0x9a));
    painter.drawPath(arrow);
    return pixmap;
}

} // namespace

frmWait::frmWait(const RuleStore& rules, const ManagerStore& managers, HandOffFactory handOffFactory,
    std::filesystem::path reportDirectory, QWidget* parent)
    : QDialog(parent)
    , m_rules(rules)
    , m_managers(managers)
    , m_handOffFactory(std::move(handOffFactory))
    , m_reportDirectory(std::move(reportDirectory))
{
    setObjectName(QStringLiteral("frmWait"));
    setWindowTitle(QString());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto* image1 = new QLabel(this);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setPixmap(WaitPicture(48, devicePixelRatioF()));
    auto* label1 = new QLabel(QStringLiteral("VTL"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    QFont titleFont = label1->font();
    titleFont.setFamily(QStringLiteral("Tahoma"));
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.8);
    label1->setFont(titleFont);
    auto* label2 = new QLabel(QStringLiteral("Please Wait...."), this);
    label2->setObjectName(QStringLiteral("Label2"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(label1);
    texts->addWidget(label2);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 14, 28, 14);
    layout->setSpacing(16);
    layout->addWidget(image1);
    layout->addLayout(texts);
    setFixedSize(sizeHint());
}

frmWait::~frmWait() = default;

void frmWait::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_flowStarted)
        return;
    m_flowStarted = true;
    // Once the window is on screen, so the user sees it while the link is worked on.
    QTimer::singleShot(0, this, &frmWait::RunFlow);
}

void frmWait::RunFlow()
{
    EngineServices services(m_handOffFactory());
    m_services = &services;
    Referer = RunSingleLink(m_rules, m_managers, m_managers.DefaultManager(), services.Fetcher(),
        services.HandOffToManager(), m_reportDirectory, URL, Referer);
    m_services = nullptr;
    m_flowDone = true;
    done(QDialog::Accepted);
}

void frmWait::keyPressEvent(QKeyEvent* event)
{
    // Esc ends the wait for a page; at other moments it has no visible effect.
    if (event->key() == Qt::Key_Escape) {
        if (m_services != nullptr)
            m_services->Fetcher().Finish();
        event->accept();
        return;
    }
    event->ignore();
}

void frmWait::closeEvent(QCloseEvent* event)
{
    // The window closes itself when the link has been handed over.
    if (!m_flowDone)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void frmWait::reject()
{
    if (m_flowDone)
        QDialog::reject();
}

} // namespace vortalux
