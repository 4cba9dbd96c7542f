#pragma once

#include <QWidget>

class QProgressBar;
class QPushButton;

namespace vortalux {

// The wait panel (picWait) shown over the panels while reports are sent: Label6, the progress
// bar pbWait (0 to 100) and, beyond the original, a Cancel button (and Esc) that ends the wait.
class WaitPanel final : public QWidget {
    Q_OBJECT

public:
    explicit WaitPanel(QWidget* parent = nullptr);

    // Shows the panel with pbWait at 0, over whatever panel is shown, with Cancel focused so Esc
    // reaches it.
    void Start();
    void SetProgress(int percent);
    void Finish();

signals:
    void CancelRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QProgressBar* m_pbWait = nullptr;
    QPushButton* m_btnCancel = nullptr;
};

} // namespace vortalux
