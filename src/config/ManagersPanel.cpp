#include "ManagersPanel.h"

#include "DisplayText.h"
#include "ManagerStore.h"
#include "MessageBox.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vortalux {

namespace {

constexpr int StoreIndexRole = Qt::UserRole;

} // namespace

ManagersPanel::ManagersPanel(ManagerStore& store, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
{
    setObjectName(QStringLiteral("picManagers"));
    auto* frame = new QGroupBox(QStringLiteral("Download Managers"), this);
    frame->setObjectName(QStringLiteral("Frame1"));

    auto* label = new QLabel(
        QStringLiteral(
            "Here's the list of the download managers supported by VTL. You can set the one you want to "
            "use by default. You will be able to choose another DM \"on the fly\" only with \"Download "
            "all\" & \"Thumbnails to Pictures\""),
        frame);
    label->setObjectName(QStringLiteral("Label2"));
    label->setWordWrap(true);

    m_lstManagers = new QListWidget(frame);
    m_lstManagers->setObjectName(QStringLiteral("lstManagers"));
    auto* setDefault = new QPushButton(QStringLiteral("Set As Default"), frame);
    setDefault->setObjectName(QStringLiteral("btnDefManager"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(setDefault);
    buttons->addStretch();
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(label);
    frameLayout->addWidget(m_lstManagers, 1);
    frameLayout->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);

    connect(setDefault, &QPushButton::clicked, this, &ManagersPanel::OnSetAsDefault);
}

void ManagersPanel::Fill()
{
    m_lstManagers->clear();
    const std::vector<ManagerDefinition>& definitions = m_store.Definitions();
    for (size_t i = 0; i < definitions.size(); ++i) {
        if (definitions[i].Name.empty())
            continue;
        QString text = DisplayText(definitions[i].Name);
        if (static_cast<int>(i) == m_store.DefaultManager())
            text += QStringLiteral(" (Default)");
        auto* entry = new QListWidgetItem(text);
        entry->setData(StoreIndexRole, static_cast<int>(i));
        m_lstManagers->addItem(entry);
    }
}

void ManagersPanel::OnSetAsDefault()
{
    const QListWidgetItem* entry = m_lstManagers->currentItem();
    if (entry == nullptr || !entry->isSelected())
        return;
    const int chosen = entry->data(StoreIndexRole).toInt();
    const std::string name = m_store.Definitions().at(static_cast<size_t>(chosen)).Name;
    const std::error_code error = m_store.SetDefaultManager(chosen, ManagerStore::MarkChosenFile::Yes);
    // The refill shows what the files hold; a write the system refused must not pass unseen.
    emit RefreshRequested();
    if (error)
        ShowMessage("VTL",
            "The download manager " + name + " could not be made the default: " + error.message(),
            MessageIcon::Critical);
}

} // namespace vortalux
