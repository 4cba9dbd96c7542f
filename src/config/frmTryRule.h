#pragma once

#include "Rule.h"

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace vortalux {

class PageFetcher;

// "Try on a link": runs the rule being edited, as it stands and unsaved, on a link the user
// types, and shows what each step made of it, the addresses and the referer the engine would
// send. Nothing is handed off and no failure report is written.
class frmTryRule final : public QDialog {
    Q_OBJECT

public:
    explicit frmTryRule(Rule rule, QWidget* parent = nullptr);
    ~frmTryRule() override;

    // Runs the rule on the link, origin page and referer of the boxes.
    void Try();
    bool IsTrying() const { return m_trying; }

public slots:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    Rule m_rule;
    std::unique_ptr<PageFetcher> m_fetcher;
    bool m_trying = false;
    bool m_closeAfterTry = false;
    QLineEdit* m_txtLink = nullptr;
    QLineEdit* m_txtOrigin = nullptr;
    QLineEdit* m_txtReferer = nullptr;
    QPushButton* m_btnTry = nullptr;
    QTreeWidget* m_lvSteps = nullptr;
    QTreeWidget* m_lvLinks = nullptr;
    QLabel* m_lblReferer = nullptr;
    QLabel* m_lblStatus = nullptr;
};

} // namespace vortalux
