#include "EngineTestSupport.h"
#include "frmSelectURLs.h"
#include "NamedChild.h"
#include "OriginPage.h"
#include "RecordingPresenter.h"
#include "ScriptedServer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace vortalux;
using namespace vortalux::test;

namespace {

using Texts = std::vector<std::string>;
using Links = std::vector<Link>;

class SelectUrlsWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_home.Manager("Aria", false);
        m_home.Manager("Wget", true);
        m_home.ReplaceRule("A", "//a\\.host/", {{"_t\\.", "."}});
        m_home.ReplaceRule("B", "//b\\.host/", {{"_t\\.", "."}});
    }

    frmSelectURLs& Open(const Texts& urlList)
    {
        m_rules.LoadRules(m_home.Path());
        m_managers.LoadManagers(m_home.Path());
        SetOriginPage(urlList.front());
        m_window = std::make_unique<frmSelectURLs>(m_rules, m_managers,
            std::make_unique<RecordingHandOff>(m_calls, [this] { return m_presenter.Shown().size(); }),
            m_home.Path());
        m_window->FillList(urlList);
        m_window->show();
        return *m_window;
    }

    template<typename T> T* Control(const char* name) const { return NamedChild<T>(*m_window, name); }

    std::vector<std::string> UrlColumn() const
    {
        std::vector<std::string> urls;
        for (const UrlRow& row : m_window->List().Rows())
            urls.push_back(row.url);
        return urls;
    }

    void ClickHeader(int section)
    {
        QHeaderView* header = Control<QTreeView>("lv")->header();
        const QPoint point(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, point);
    }

    int Px(int twips) const { return m_window->TwipsToPixels(twips); }

    EngineHome m_home;
    RuleStore m_rules;
    ManagerStore m_managers;
    RecordingPresenter m_presenter;
    std::shared_ptr<RecordingHandOff::Log> m_calls = std::make_shared<RecordingHandOff::Log>();
    std::unique_ptr<frmSelectURLs> m_window;
};

} // namespace

TEST_F(SelectUrlsWindowTest, ShowsItsControlsCaptionsAndColumns)
{
    frmSelectURLs& window = Open({"http://forum/t", "http://a.host/1_t.jpg", "Cat", "http://x/2.jpg", ""});
    EXPECT_EQ(window.windowTitle().toStdString(), "Select URL(s)");
    EXPECT_EQ(Control<QLabel>("Label2")->text().toStdString(), "Download Manager to send URL(s) to :");
    EXPECT_EQ(Control<QPushButton>("btnCheckSelected")->text().toStdString(), "Mark Highlight");
    EXPECT_EQ(Control<QPushButton>("btnOk")->text().toStdString(), "Ok");
    EXPECT_EQ(Control<QPushButton>("btnCancel")->text().toStdString(), "Cancel");
    EXPECT_EQ(Control<QCheckBox>("chkFullCancel")->text().toStdString(), "Cancel everything");
    EXPECT_FALSE(Control<QCheckBox>("chkFullCancel")->isVisible());
    EXPECT_FALSE(Control<QFrame>("picProgress")->isVisible());
    EXPECT_EQ(Control<QLabel>("Label1")->text().toStdString(), "Building pictures list..... Please wait....");
    EXPECT_EQ(Control<QLabel>("lblStatus")->text().toStdString(), "Initialisation...");
    EXPECT_EQ(Control<QLabel>("lblNb")->text().toStdString(), "0/0");
    EXPECT_EQ(Control<QProgressBar>("pb")->maximum(), 100);
    EXPECT_EQ(Control<QPushButton>("btnCancel")->y(), Px(frmSelectURLs::CancelIdleTopTwips));

    QComboBox* managers = Control<QComboBox>("lstManager");
    ASSERT_EQ(managers->count(), 2);
    EXPECT_EQ(managers->itemText(0).toStdString(), "Aria");
    EXPECT_EQ(managers->currentIndex(), 1); // the default one

    QTreeView* lv = Control<QTreeView>("lv");
    QAbstractItemModel* model = lv->model();
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString().toStdString(), "Title");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString().toStdString(), "URL");
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString().toStdString(), "Rule");
    const int width = lv->width() - 2 * lv->frameWidth();
    EXPECT_NEAR(lv->header()->sectionSize(0), width * 0.3, 1.0);
    EXPECT_NEAR(lv->header()->sectionSize(1), width * 0.5, 1.0);
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(0, 0).data().toString().toStdString(), "Cat");
    EXPECT_EQ(model->index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(model->index(0, 2).data().toString().toStdString(), "A");
    EXPECT_EQ(model->index(1, 0).data().toString().toStdString(), "2.jpg");
    EXPECT_EQ(model->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
}

TEST_F(SelectUrlsWindowTest, DisabledRuleIsGreyAndHighBytesShowAsWindows1252)
{
    m_home.ReplaceRule("Off", "//c\\.host/", {}, 3, false);
    Open({"o", "http://c.host/1.jpg", "caf\xe9 \x80", "http://a.host/\xc3\xa9_t.jpg", ""});
    QAbstractItemModel* model = Control<QTreeView>("lv")->model();
    const QModelIndex rule = model->index(0, 2);
    EXPECT_EQ(rule.data().toString().toStdString(), "Off (disabled)");
    EXPECT_EQ(rule.data(Qt::ForegroundRole).value<QBrush>().color(),
        QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text));
    EXPECT_EQ(model->index(0, 0).data().toString(), QString::fromUtf8("caf\u00e9 \u20ac"));
    EXPECT_EQ(model->index(1, 1).data().toString(), QString::fromUtf8("http://a.host/\u00e9_t.jpg"));
}

TEST_F(SelectUrlsWindowTest, HeaderClicksSortOneWayThenTheOtherKeepingTheHighlight)
{
    Open({"o", "http://b.host/2_t.jpg", "", "http://a.host/1_t.jpg", "", "http://x/3.jpg", ""});
    QTreeView* lv = Control<QTreeView>("lv");
    lv->selectionModel()->select(
        lv->model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);

    ClickHeader(UrlList::RuleColumn);
    EXPECT_EQ(UrlColumn(), (Texts {"http://b.host/2_t.jpg", "http://a.host/1_t.jpg", "http://x/3.jpg"}));
    EXPECT_EQ(lv->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    ClickHeader(UrlList::RuleColumn);
    EXPECT_EQ(UrlColumn(), (Texts {"http://x/3.jpg", "http://a.host/1_t.jpg", "http://b.host/2_t.jpg"}));
    EXPECT_EQ(lv->header()->sortIndicatorOrder(), Qt::AscendingOrder);
    // The highlighted row moved with the sort.
    const QModelIndexList selected = lv->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.front().row(), 2);
}

TEST_F(SelectUrlsWindowTest, MarkHighlightLeavesExactlyTheHighlightedRowsChecked)
{
    Open({"o", "http://a.host/1_t.jpg", "", "http://a.host/2_t.jpg", "", "http://x/3.jpg", "",
        "http://b.host/4_t.jpg", ""});
    QTreeView* lv = Control<QTreeView>("lv");
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, {}, lv->visualRect(lv->model()->index(1, 1)).center());
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, Qt::ControlModifier,
        lv->visualRect(lv->model()->index(2, 1)).center());
    QTest::mouseClick(Control<QPushButton>("btnCheckSelected"), Qt::LeftButton);
    std::vector<bool> checks;
    for (const UrlRow& row : m_window->List().Rows())
        checks.push_back(row.checked);
    EXPECT_EQ(checks, (std::vector<bool> {false, true, true, false}));
}

TEST_F(SelectUrlsWindowTest, CancelBeforeOkClosesAndSendsNothing)
{
    frmSelectURLs& window = Open({"o", "http://a.host/1_t.jpg", ""});
    QTest::mouseClick(Control<QPushButton>("btnCancel"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_TRUE(m_calls->empty());
}

TEST_F(SelectUrlsWindowTest, OkSendsToTheManagerChosenInTheList)
{
    frmSelectURLs& window
        = Open({"http://forum/t", "http://a.host/1_t.jpg", "", "http://b.host/2_t.jpg", ""});
    Control<QComboBox>("lstManager")->setCurrentIndex(0);
    QTest::mouseClick(Control<QPushButton>("btnOk"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    ASSERT_EQ(m_calls->size(), 2u);
    EXPECT_EQ((*m_calls)[0].position, 0);
    EXPECT_EQ(m_presenter.Shown().size(), 2u);
    EXPECT_EQ(Control<QLabel>("lblNb")->text().toStdString(), "2/2");
    EXPECT_EQ(Control<QLabel>("lblStatus")->text().toStdString(), "Terminé");
    EXPECT_EQ(Control<QProgressBar>("pb")->value(), 100);
    // Idle again before the window went.
    EXPECT_TRUE(Control<QPushButton>("btnOk")->isEnabled());
    EXPECT_EQ(Control<QPushButton>("btnCancel")->y(), Px(frmSelectURLs::CancelIdleTopTwips));
    EXPECT_TRUE(Control<QCheckBox>("chkFullCancel")->isHidden());
}

// A page-search rule whose first page never answers, so the batch waits on it.
class SlowDownloadTest : public SelectUrlsWindowTest {
protected:
    void SetUp() override
    {
        SelectUrlsWindowTest::SetUp();
        m_server = std::make_unique<ScriptedServer>([this](int, const std::string& request) {
            if (request.find("GET /slow") == 0) {
                QTimer::singleShot(0, m_window.get(), [this] { m_whileWaiting(); });
                return ServerReply {{}, false};
            }
            return ServerReply::Whole("HTTP/1.0 200 OK\r\n\r\n<img src=\"http://cdn/2.jpg\" class=full>");
        });
        m_home.SearchRule("P", "127\\.0\\.0\\.1", "<img src=\"([^\"]+)\" class=full>", "$1");
    }

    void RunBatch()
    {
        Open({"http://forum/t", m_server->Url("/slow/1.html"), "", m_server->Url("/fast/2.html"), ""});
        QTest::mouseClick(Control<QPushButton>("btnOk"), Qt::LeftButton);
    }

    std::unique_ptr<ScriptedServer> m_server;
    std::function<void()> m_whileWaiting;
};

TEST_F(SlowDownloadTest, CancelEndsTheDownloadAndTheBatchGoesOn)
{
    m_whileWaiting = [this] {
        // The running state of the window.
        EXPECT_TRUE(Control<QFrame>("picProgress")->isVisible());
        EXPECT_TRUE(Control<QCheckBox>("chkFullCancel")->isVisible());
        EXPECT_FALSE(Control<QPushButton>("btnOk")->isEnabled());
        EXPECT_FALSE(Control<QPushButton>("btnCheckSelected")->isEnabled());
        EXPECT_EQ(Control<QPushButton>("btnCancel")->y(), Px(frmSelectURLs::CancelBatchTopTwips));
        QTest::mouseClick(Control<QPushButton>("btnCancel"), Qt::LeftButton);
    };
    RunBatch();
    ASSERT_EQ(m_calls->size(), 1u);
    EXPECT_EQ((*m_calls)[0].links,
        (Links {{m_server->Url("/slow/1.html"), "1.html"}, {"http://cdn/2.jpg", "2.jpg"}}));
    EXPECT_EQ(m_server->Requests().size(), 2u);
    EXPECT_EQ(m_home.Reports(), (Texts {"P"}));
    EXPECT_EQ(Control<QLabel>("lblNb")->text().toStdString(), "1/2");
    EXPECT_FALSE(m_window->isVisible());
}

TEST_F(SlowDownloadTest, CancelEverythingSendsTheRestUnconvertedWithoutDownloads)
{
    m_whileWaiting = [this] {
        Control<QCheckBox>("chkFullCancel")->setChecked(true);
        QTest::mouseClick(Control<QPushButton>("btnCancel"), Qt::LeftButton);
    };
    RunBatch();
    ASSERT_EQ(m_calls->size(), 1u);
    EXPECT_EQ((*m_calls)[0].links,
        (Links {{m_server->Url("/slow/1.html"), "1.html"}, {m_server->Url("/fast/2.html"), "2.html"}}));
    EXPECT_EQ(m_server->Requests().size(), 1u);
    EXPECT_EQ(Control<QLabel>("lblNb")->text().toStdString(), "0/1");
}

TEST_F(SlowDownloadTest, ClosingTheWindowDuringTheBatchCancelsEverything)
{
    m_whileWaiting = [this] { m_window->close(); };
    RunBatch();
    ASSERT_EQ(m_calls->size(), 1u);
    EXPECT_EQ((*m_calls)[0].links.size(), 2u);
    EXPECT_EQ((*m_calls)[0].links[1].url, m_server->Url("/fast/2.html"));
    EXPECT_EQ(m_server->Requests().size(), 1u);
    EXPECT_FALSE(m_window->isVisible());
}
