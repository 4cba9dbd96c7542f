#pragma once

#include <QWidget>

class QListWidget;

namespace vortalux {

class ManagerStore;

// The managers panel (picManagers): the download-manager definitions, the default one marked,
// and the button that makes the selected one the default.
class ManagersPanel final : public QWidget {
    Q_OBJECT

public:
    explicit ManagersPanel(ManagerStore& store, QWidget* parent = nullptr);

    // The managers part of the lists' refill.
    void Fill();

signals:
    void RefreshRequested();

private:
    void OnSetAsDefault();

    ManagerStore& m_store;
    QListWidget* m_lstManagers = nullptr;
};

} // namespace vortalux
