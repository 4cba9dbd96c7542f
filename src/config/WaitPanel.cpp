#include "WaitPanel.h"

#include "NamedControls.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vortalux {

WaitPanel::WaitPanel(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("picWait"));
    // It lies over the other panels: what is beneath must not show through.
    setAutoFillBackground(true);
    m_pbWait = new QProgressBar(this);
    m_pbWait->setObjectName(QStringLiteral("pbWait"));
    m_pbWait->setRange(0, 100);
    m_pbWait->setValue(0);
    QLabel* label
        = NamedLabel("Label6", QStringLiteral("Connecting to VTL website...      Please Wait..."), this);
    label->setAlignment(Qt::AlignCenter);
    m_btnCancel = NamedButton("btnCancelWait", QStringLiteral("Cancel"), this);
    connect(m_btnCancel, &QPushButton::clicked, this, &WaitPanel::CancelRequested);

    auto* progress = new QHBoxLayout;
    progress->addWidget(m_pbWait, 1);
    progress->addWidget(m_btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(label);
    layout->addLayout(progress);
    layout->addStretch();
    hide();
}

void WaitPanel::Start()
{
    m_pbWait->setValue(0);
    show();
    raise();
    m_btnCancel->setFocus();
}

void WaitPanel::SetProgress(int percent) { m_pbWait->setValue(percent); }

void WaitPanel::Finish() { hide(); }

void WaitPanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && isVisible()) {
        emit CancelRequested();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace vortalux
