#include "frmSelectURLs.h"

#include "DisplayText.h"
#include "OriginPage.h"
#include "UrlListModel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>

#include <cmath>

namespace vortalux {

namespace {

// The window's design, in twips as its Cancel positions are given (1440 twips to the inch).
constexpr int FormWidth = 9720;
constexpr int FormHeight = 5160;
constexpr int Margin = 120;
constexpr int ListTop = 600;
constexpr int ListHeight = 3600;
constexpr int ButtonHeight = 390;
constexpr int ButtonWidth = 1440;
constexpr int CheckSelectedWidth = 1800;
constexpr int ProgressWidth = 6300;
constexpr int ProgressHeight = 1860;

QFont TahomaFont(const QFont& base)
{
    QFont font = base;
    font.setFamily(QStringLiteral("Tahoma"));
    return font;
}

} // namespace

frmSelectURLs::frmSelectURLs(const RuleStore& rules, const ManagerStore& managers,
    std::unique_ptr<HandOff> handOff, std::filesystem::path reportDirectory, QWidget* parent)
    : QDialog(parent)
    , m_rules(rules)
    , m_managers(managers)
    , m_reportDirectory(std::move(reportDirectory))
    , m_services(std::move(handOff))
{
    setObjectName(QStringLiteral("frmSelectURLs"));
    setWindowTitle(QStringLiteral("Select URL(s)"));
    BuildControls();
    Fetcher().SetStatusCallback([this](const std::string& text) { ShowStatus(text); });

    // Window load: the managers in store order, the default one selected.
    for (const ManagerDefinition& definition : m_managers.Definitions())
        m_lstManager->addItem(DisplayText(definition.Name));
    m_lstManager->setCurrentIndex(m_managers.DefaultManager());
}

frmSelectURLs::~frmSelectURLs() = default;

int frmSelectURLs::TwipsToPixels(int twips) const
{
    const int dpi = logicalDpiY() > 0 ? logicalDpiY() : 96;
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

void frmSelectURLs::BuildControls()
{
    const auto px = [this](int twips) { return TwipsToPixels(twips); };
    setFixedSize(px(FormWidth), px(FormHeight));

    m_label2 = new QLabel(QStringLiteral("Download Manager to send URL(s) to :"), this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->adjustSize();
    m_lstManager = new QComboBox(this);
    m_lstManager->setObjectName(QStringLiteral("lstManager"));
    const int comboHeight = m_lstManager->sizeHint().height();
    const int headTop = (px(ListTop) - comboHeight) / 2;
    m_label2->move(px(Margin), headTop + (comboHeight - m_label2->height()) / 2);
    const int comboLeft = m_label2->geometry().right() + px(Margin);
    m_lstManager->setGeometry(comboLeft, headTop, px(FormWidth - Margin) - comboLeft, comboHeight);

    m_model = std::make_unique<UrlListModel>(m_list);
    m_lv = std::make_unique<QTreeView>(this);
    m_lv->setObjectName(QStringLiteral("lv"));
    m_lv->setModel(m_model.get());
    m_lv->setGeometry(px(Margin), px(ListTop), px(FormWidth - 2 * Margin), px(ListHeight));
    m_lv->setRootIsDecorated(false);
    m_lv->setUniformRowHeights(true);
    m_lv->setAllColumnsShowFocus(true);
    m_lv->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lv->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lv->header()->setSectionsClickable(true);
    m_lv->header()->setStretchLastSection(true);
    m_lv->header()->setSectionsMovable(false);
    connect(m_lv->header(), &QHeaderView::sectionClicked, this, &frmSelectURLs::OnHeaderClicked);

    const int buttonsTop = px(CancelIdleTopTwips);
    m_btnCheckSelected = new QPushButton(QStringLiteral("Mark Highlight"), this);
    m_btnCheckSelected->setObjectName(QStringLiteral("btnCheckSelected"));
    m_btnCheckSelected->setGeometry(px(Margin), buttonsTop, px(CheckSelectedWidth), px(ButtonHeight));
    connect(m_btnCheckSelected, &QPushButton::clicked, this, &frmSelectURLs::OnCheckSelected);

    m_btnOk = new QPushButton(QStringLiteral("Ok"), this);
    m_btnOk->setObjectName(QStringLiteral("btnOk"));
    m_btnOk->setGeometry(
        px(FormWidth - Margin - 2 * ButtonWidth - Margin), buttonsTop, px(ButtonWidth), px(ButtonHeight));
    m_btnOk->setDefault(true);
    connect(m_btnOk, &QPushButton::clicked, this, &frmSelectURLs::OnOk);

    m_btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    m_btnCancel->setAutoDefault(false);
    MoveCancel(CancelIdleTopTwips);
    connect(m_btnCancel, &QPushButton::clicked, this, &frmSelectURLs::OnCancel);

    m_chkFullCancel = new QCheckBox(QStringLiteral("Cancel everything"), this);
    m_chkFullCancel->setObjectName(QStringLiteral("chkFullCancel"));
    m_chkFullCancel->adjustSize();
    m_chkFullCancel->move(px(FormWidth - Margin) - m_chkFullCancel->width(),
        px(CancelBatchTopTwips + ButtonHeight + Margin / 2));
    m_chkFullCancel->hide();

    // The progress panel lies over the middle of the list while a batch runs.
    m_picProgress = new QFrame(this);
    m_picProgress->setObjectName(QStringLiteral("picProgress"));
    m_picProgress->setFrameShape(QFrame::StyledPanel);
    m_picProgress->setFrameShadow(QFrame::Raised);
    m_picProgress->setAutoFillBackground(true);
    m_picProgress->setGeometry(px(Margin + (FormWidth - 2 * Margin - ProgressWidth) / 2),
        px(ListTop + (ListHeight - ProgressHeight) / 2), px(ProgressWidth), px(ProgressHeight));
    const int inner = px(ProgressWidth - 2 * Margin);
    m_label1 = new QLabel(QStringLiteral("Building pictures list..... Please wait...."), m_picProgress);
    m_label1->setObjectName(QStringLiteral("Label1"));
    QFont headingFont = TahomaFont(font());
    headingFont.setBold(true);
    m_label1->setFont(headingFont);
    m_label1->setGeometry(px(Margin), px(Margin), inner, px(300));
    m_lblStatus = new QLabel(QStringLiteral("Initialisation..."), m_picProgress);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setFont(TahomaFont(font()));
    m_lblStatus->setGeometry(px(Margin), px(Margin + 420), inner, px(300));
    m_lblNb = new QLabel(QStringLiteral("0/0"), m_picProgress);
    m_lblNb->setObjectName(QStringLiteral("lblNb"));
    m_lblNb->setFont(TahomaFont(font()));
    m_lblNb->setGeometry(px(Margin), px(Margin + 780), inner, px(300));
    m_pb = new QProgressBar(m_picProgress);
    m_pb->setObjectName(QStringLiteral("pb"));
    m_pb->setRange(0, 100);
    m_pb->setValue(0);
    m_pb->setTextVisible(false);
    m_pb->setGeometry(px(Margin), px(Margin + 1200), inner, px(330));
    m_picProgress->hide();
}

void frmSelectURLs::MoveCancel(int topTwips)
{
    m_btnCancel->setGeometry(TwipsToPixels(FormWidth - Margin - ButtonWidth), TwipsToPixels(topTwips),
        TwipsToPixels(ButtonWidth), TwipsToPixels(ButtonHeight));
}

void frmSelectURLs::FillList(const std::vector<std::string>& urlList)
{
    m_list.Fill(urlList, m_rules);
    // Columns share the list's width: Title 30 %, URL 50 %, Rule 20 %.
    const int width = m_lv->width() - 2 * m_lv->frameWidth();
    QHeaderView* header = m_lv->header();
    header->resizeSection(UrlList::TitleColumn, static_cast<int>(width * 0.3));
    header->resizeSection(UrlList::UrlColumn, static_cast<int>(width * 0.5));
    header->resizeSection(UrlList::RuleColumn, static_cast<int>(width * 0.2));
}

void frmSelectURLs::OnHeaderClicked(int column)
{
    if (IsBatchRunning())
        return;
    m_model->SortByColumn(column);
    m_lv->header()->setSortIndicatorShown(true);
    m_lv->header()->setSortIndicator(column, m_list.Descending() ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void frmSelectURLs::OnCheckSelected() { m_model->CheckHighlighted(m_lv->selectionModel()->selectedRows()); }

void frmSelectURLs::OnOk()
{
    if (IsBatchRunning())
        return;
    Batch batch(m_rules, m_managers, Fetcher(), m_services.HandOffToManager(), m_reportDirectory,
        OriginPage(), *this);
    m_batch = &batch;
    batch.Run(m_list);
    m_batch = nullptr;
    done(QDialog::Accepted);
}

void frmSelectURLs::OnCancel()
{
    if (!IsBatchRunning()) {
        done(QDialog::Rejected);
        return;
    }
    // Ends a download in progress with an empty page; the batch goes on and reads the flag.
    m_batch->SetCancelAll(m_chkFullCancel->isChecked());
    Fetcher().Cancel();
    QCoreApplication::processEvents();
}

void frmSelectURLs::reject()
{
    // Esc does what Cancel does.
    OnCancel();
}

void frmSelectURLs::closeEvent(QCloseEvent* event)
{
    if (!IsBatchRunning()) {
        QDialog::closeEvent(event);
        return;
    }
    // Closing during a batch cancels everything; the batch then ends as usual and unloads the
    // window itself.
    event->ignore();
    m_batch->SetCancelAll(true);
    Fetcher().Cancel();
}

void frmSelectURLs::BatchStarted()
{
    m_picProgress->show();
    m_picProgress->raise();
    m_btnOk->setEnabled(false);
    MoveCancel(CancelBatchTopTwips);
    m_chkFullCancel->setChecked(false);
    m_chkFullCancel->show();
    m_btnCheckSelected->setEnabled(false);
    m_lv->header()->setSortIndicatorShown(true);
    m_lv->header()->setSortIndicator(UrlList::RuleColumn, Qt::AscendingOrder);
}

void frmSelectURLs::SetTag(const std::string& tag)
{
    Fetcher().SetTag(tag);
    ShowStatus(tag);
}

void frmSelectURLs::ShowStatus(const std::string& text)
{
    m_lblStatus->setText(DisplayText(text));
    if (m_lblStatus->isVisible())
        m_lblStatus->repaint();
}

void frmSelectURLs::ShowCounts(int converted, int selected)
{
    m_lblNb->setText(QString::number(converted) + QLatin1Char('/') + QString::number(selected));
}

void frmSelectURLs::ShowProgress(int percent) { m_pb->setValue(percent); }

void frmSelectURLs::LetEventsRun() { QCoreApplication::processEvents(); }

int frmSelectURLs::SelectedManager() { return m_lstManager->currentIndex(); }

void frmSelectURLs::BatchFinishing() { m_picProgress->hide(); }

void frmSelectURLs::BatchEnded()
{
    m_btnOk->setEnabled(true);
    MoveCancel(CancelIdleTopTwips);
    m_chkFullCancel->setChecked(false);
    m_chkFullCancel->hide();
    m_btnCheckSelected->setEnabled(true);
}

} // namespace vortalux
