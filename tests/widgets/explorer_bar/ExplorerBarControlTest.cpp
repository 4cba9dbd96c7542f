#include "ExplorerBarControl.h"
#include "ImageList.h"
#include "PaneIcons.h"
#include "RecordingPresenter.h"

#include <QAccessible>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>

// Readable failures for texts.
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

using namespace vortalux;
using namespace vortalux::test;

namespace {

QString Q(const char* text) { return QString::fromUtf8(text); }

// The structure the configuration program's main window builds.
class ExplorerBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_images.Add(Q("about"), PaneIcons::About());
        m_images.Add(Q("rules"), PaneIcons::Rules());
        m_host.resize(240, 500);
        auto* layout = new QVBoxLayout(&m_host);
        m_edit = new QLineEdit(&m_host);
        m_bar = new ExplorerBarControl(&m_host);
        layout->addWidget(m_edit);
        layout->addWidget(m_bar, 1);
        m_bar->SetImageList(&m_images);
        m_bar->AddSpecialGroup(Q("Vortalux"), PaneIcons::Logo());
        m_bar->AddItem("Special Group", Q("about"), Q("About VTL"), "about");
        m_bar->AddItem("Special Group", Q("update"), Q("Check for updates"));
        m_bar->AddGroup(Q("settings"), Q("Settings"));
        m_bar->AddItem("settings", Q("managers"), Q("Download Managers"));
        m_bar->AddItem("settings", Q("rules"), Q("Rules"), 1);
        m_host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_host));
    }

    // The boxes shown since the last call, as "caption|text".
    std::vector<std::string> Messages()
    {
        std::vector<std::string> texts;
        const auto& shown = m_presenter.Shown();
        for (size_t index = m_seen; index < shown.size(); ++index) {
            const MessageRequest& request = shown[index];
            EXPECT_EQ(request.icon, MessageIcon::Critical);
            texts.push_back(request.caption + "|" + request.text);
        }
        m_seen = shown.size();
        return texts;
    }

    QStringList Captions(size_t normalGroup) const
    {
        QStringList captions;
        for (const ExplorerBarItem& item : m_bar->Model().NormalGroups().at(normalGroup).items)
            captions << item.caption;
        return captions;
    }

    void Wheel(QPoint angle, Qt::KeyboardModifiers modifiers = {}, Qt::MouseButtons buttons = {})
    {
        const QPointF at(20, 20);
        QWheelEvent event(
            at, m_bar->mapToGlobal(at), QPoint(), angle, buttons, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_bar, &event);
    }

    RecordingPresenter m_presenter;
    size_t m_seen = 0;
    ImageList m_images;
    QWidget m_host;
    QLineEdit* m_edit = nullptr;
    ExplorerBarControl* m_bar = nullptr;
};

TEST_F(ExplorerBarTest, LookupFailuresShowTheirMessagesAndChangeNothing)
{
    m_bar->AddGroup(Q("empty"), Q("Empty"));
    m_bar->AddDetailsGroup(Q("Details"), Q("Title"), Q("Text"));
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"ExplorerBarControl|The Group 'nope' doesn't exist\nAn Error has ocurred!",
            [&] { m_bar->SetItemText("nope", "rules", Q("x")); }},
        {"ExplorerBarControl|The Group '7' doesn't exist\nAn Error has ocurred!",
            [&] { m_bar->SetItemIcon(7, 1, 0); }},
        {"ExplorerBarControl|Details Group hasn't Child Items!\nAn Error has ocurred!",
            [&] { m_bar->SetItemText("Details", 1, Q("x")); }},
        {"ExplorerBarControl|GetItemIndex: There are no Items in this group!\nAn Error has ocurred!",
            [&] { m_bar->SetItemText("empty", 1, Q("x")); }},
        {"ExplorerBarControl|GetItemIndex/String: Item specified not found!\nAn Error has ocurred!",
            [&] { m_bar->SetItemText("settings", "Rules", Q("x")); }},
        {"ExplorerBarControl|GetItemIndex/Integer: Item specified not found!\nAn Error has ocurred!",
            [&] { m_bar->SetItemText(1, 3, Q("x")); }},
        {"ExplorerBarControl|GetItemIndex/Integer: Item specified not found!\nAn Error has ocurred!",
            [&] { m_bar->SetItemText(1, 0, Q("x")); }},
        {"ExplorerBarControl|GetIconIndex: icon with key missing doesn't exist!\nAn Error has ocurred!",
            [&] { m_bar->AddItem("settings", Q("new"), Q("New"), "missing"); }},
        {"ExplorerBarControl|GetIconIndex: invalid Image Index!\nAn Error has ocurred!",
            [&] { m_bar->AddItem("settings", Q("new"), Q("New"), 2); }},
        {"ExplorerBarControl|GetIconIndex: invalid Image Index!\nAn Error has ocurred!",
            [&] { m_bar->SetItemIcon("settings", "rules", -1); }},
    };
    for (const auto& [expected, operation] : cases) {
        operation();
        EXPECT_EQ(Messages(), std::vector<std::string> {expected});
        EXPECT_EQ(Captions(0), QStringList({Q("Download Managers"), Q("Rules")})) << expected;
    }

    // Items for unknown groups and the details group are dropped without a word.
    m_bar->AddItem("nope", Q("x"), Q("x"));
    m_bar->AddItem("Details", Q("x"), Q("x"));
    m_bar->ExpandGroup("nope", Expansion::Collapsed);
    EXPECT_TRUE(m_bar->Model().Details().items.empty());
    EXPECT_TRUE(Messages().empty());

    // Once named, the pane titles its boxes with its name.
    m_bar->setObjectName(Q("eBar"));
    m_bar->SetItemText("settings", 9, Q("x"));
    EXPECT_EQ(Messages(),
        std::vector<std::string> {
            "eBar|GetItemIndex/Integer: Item specified not found!\nAn Error has ocurred!"});
}

TEST_F(ExplorerBarTest, LookupsFindTheFirstKeyAndCountFromOne)
{
    m_bar->AddGroup(Q("settings"), Q("Second settings"));
    m_bar->AddItem(2, Q("rules"), Q("Second rules"));
    m_bar->SetGroupCaption("settings", Q("First"));
    m_bar->SetGroupCaption(2, Q("Second"));
    m_bar->SetItemText("settings", "rules", Q("Changed by key"));
    m_bar->SetItemText("settings", 1, Q("Changed by position"));
    m_bar->SetItemIcon("settings", "rules", "about");
    // A normal group keyed "Details" hides the details group from lookups.
    m_bar->AddGroup(Q("Details"), Q("Normal details"));
    m_bar->AddItem("Details", Q("d"), Q("D"));

    const auto& groups = m_bar->Model().NormalGroups();
    ASSERT_EQ(groups.size(), 3u);
    ASSERT_EQ(groups[1].items.size(), 1u);
    EXPECT_EQ(groups[0].caption, Q("First"));
    EXPECT_EQ(groups[1].caption, Q("Second"));
    EXPECT_EQ(Captions(0), QStringList({Q("Changed by position"), Q("Changed by key")}));
    EXPECT_EQ(groups[0].items[1].iconIndex, 0);
    EXPECT_EQ(groups[1].items[0].caption, Q("Second rules"));
    EXPECT_EQ(groups[2].items.size(), 1u);
    EXPECT_TRUE(m_presenter.Shown().empty());
}

TEST_F(ExplorerBarTest, SpecialGroupKeepsItemsAddedBeforeItIsShown)
{
    m_bar->ClearStructure();
    m_bar->AddItem("Special Group", Q("about"), Q("About VTL"));
    EXPECT_TRUE(m_bar->HeaderRect("Special Group").isNull());
    m_bar->AddSpecialGroup(Q("Vortalux"));
    ASSERT_EQ(m_bar->Model().Special().items.size(), 1u);
    EXPECT_FALSE(m_bar->ItemRect("Special Group", "about").isNull());

    QSignalSpy clicks(m_bar, &ExplorerBarControl::ItemClick);
    QTest::mouseClick(m_bar, Qt::LeftButton, {}, m_bar->ItemRect("Special Group", "about").center());
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks[0][0].toString(), Q("Special Group"));
    EXPECT_EQ(clicks[0][1].toString(), Q("about"));
}

TEST_F(ExplorerBarTest, HeaderClicksToggleAndReportTheNewState)
{
    m_bar->AddDetailsGroup(Q("Details"), Q("Title"), Q("Text"));
    QSignalSpy clicks(m_bar, &ExplorerBarControl::GroupClick);
    const QRect special = m_bar->HeaderRect("Special Group");
    QTest::mouseClick(m_bar, Qt::LeftButton, {}, special.center());
    EXPECT_FALSE(m_bar->IsExpanded("Special Group"));
    EXPECT_TRUE(m_bar->ItemRect("Special Group", "about").isNull());
    QTest::mouseClick(m_bar, Qt::LeftButton, {}, special.center());
    QTest::mouseClick(m_bar, Qt::LeftButton, {}, m_bar->HeaderRect("settings").center());
    QTest::mouseClick(m_bar, Qt::LeftButton, {}, m_bar->HeaderRect("Details").center());
    // A press on one header and a release on another clicks neither.
    QTest::mousePress(m_bar, Qt::LeftButton, {}, m_bar->HeaderRect("Special Group").center());
    QTest::mouseRelease(m_bar, Qt::LeftButton, {}, m_bar->HeaderRect("settings").center());

    const QList<QList<QVariant>> expected = {{-1, false}, {-1, true}, {1, false}, {-2, false}};
    EXPECT_EQ(QList<QList<QVariant>>(clicks), expected);
}

TEST_F(ExplorerBarTest, ItemClickComesOnRelease)
{
    QSignalSpy clicks(m_bar, &ExplorerBarControl::ItemClick);
    const QPoint rules = m_bar->ItemRect("settings", "rules").center();
    QTest::mousePress(m_bar, Qt::LeftButton, {}, rules);
    EXPECT_EQ(clicks.size(), 0);
    QTest::mouseRelease(m_bar, Qt::LeftButton, {}, rules);
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks[0], QList<QVariant>({Q("settings"), Q("rules")}));
    // Beside the caption is not on the item.
    QTest::mouseClick(m_bar, Qt::LeftButton, {}, QPoint(m_bar->width() - 20, rules.y()));
    EXPECT_EQ(clicks.size(), 1);
}

TEST_F(ExplorerBarTest, PointerOverAnItemShowsAHandAndRaisesHoverEvents)
{
    QSignalSpy hovers(m_bar, &ExplorerBarControl::ItemHover);
    QSignalSpy outs(m_bar, &ExplorerBarControl::ItemOut);
    QSignalSpy groupHovers(m_bar, &ExplorerBarControl::GroupHover);
    QTest::mouseMove(m_bar, m_bar->ItemRect("settings", "rules").center());
    EXPECT_EQ(m_bar->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(m_bar, m_bar->HeaderRect("Special Group").center());
    EXPECT_EQ(m_bar->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(m_bar, QPoint(m_bar->width() - 4, 4));
    EXPECT_EQ(m_bar->cursor().shape(), Qt::ArrowCursor);
    const QList<QVariant> rules {Q("settings"), Q("rules")};
    EXPECT_EQ(QList<QList<QVariant>>(hovers), QList<QList<QVariant>>({rules}));
    EXPECT_EQ(QList<QList<QVariant>>(outs), QList<QList<QVariant>>({rules}));
    EXPECT_EQ(QList<QList<QVariant>>(groupHovers), QList<QList<QVariant>>({{Q("Special Group")}}));

    // Every caption has the room it needs: none is drawn shortened with an ellipsis.
    const QFontMetrics metrics(m_bar->font());
    for (const ExplorerBarItem& item : m_bar->Model().Special().items) {
        const int textWidth = m_bar->ItemRect("Special Group", item.key).width() - 16 - 6;
        EXPECT_EQ(metrics.elidedText(item.caption, Qt::ElideRight, textWidth), item.caption);
    }
}

TEST_F(ExplorerBarTest, DisabledUpdatesDrawNothingUntilEnabled)
{
    QSignalSpy painted(m_bar, &ExplorerBarControl::Painted);
    m_bar->DisableUpdates();
    for (int item = 0; item < 3; ++item)
        m_bar->AddItem("settings", QString::number(item), Q("Added"));
    m_bar->repaint();
    QTest::qWait(50);
    EXPECT_EQ(painted.size(), 0);
    m_bar->DisableUpdates(Updates::Enabled);
    EXPECT_TRUE(painted.wait(2000));
    EXPECT_FALSE(m_bar->ItemRect("settings", "2").isNull());
}

TEST_F(ExplorerBarTest, DrawingWithoutTheImageListReportsOnce)
{
    m_bar->SetImageList(nullptr);
    m_bar->repaint();
    m_bar->repaint();
    QTest::qWait(20);
    EXPECT_EQ(Messages(),
        std::vector<std::string> {"ExplorerBarControl|No Defined Imagelist or invalid Image "
                                  "Index\nAn Error has ocurred!"});
}

TEST_F(ExplorerBarTest, OneWheelNotchScrolls32AndNothingElseScrolls)
{
    for (int item = 0; item < 30; ++item)
        m_bar->AddItem("settings", QString::number(item), Q("Item"));
    ASSERT_TRUE(m_bar->VerticalScrollBar()->isVisible());
    const struct {
        QPoint angle;
        Qt::KeyboardModifiers modifiers;
        Qt::MouseButtons buttons;
        int position;
    } steps[] = {
        {{0, -120}, {}, {}, 32},
        {{0, -120}, {}, {}, 64},
        {{0, 120}, {}, {}, 32},
        {{0, -240}, {}, {}, 32},
        {{0, -60}, {}, {}, 32},
        {{5, -120}, {}, {}, 32},
        {{0, -120}, Qt::ControlModifier, {}, 32},
        {{0, -120}, {}, Qt::LeftButton, 32},
        {{0, 120}, {}, {}, 0},
        {{0, 120}, {}, {}, 0},
    };
    for (const auto& step : steps) {
        Wheel(step.angle, step.modifiers, step.buttons);
        EXPECT_EQ(m_bar->ScrollPosition(), step.position) << step.angle.y() << " " << step.modifiers.toInt();
    }
}

TEST_F(ExplorerBarTest, KeyboardReachesAndActivatesItems)
{
    QSignalSpy items(m_bar, &ExplorerBarControl::ItemClick);
    QSignalSpy groups(m_bar, &ExplorerBarControl::GroupClick);
    m_host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_host));
    m_edit->setFocus();
    QTest::keyClick(m_edit, Qt::Key_Tab);
    ASSERT_TRUE(m_bar->hasFocus());
    // Vortalux, About VTL, Check for updates, Settings, Download Managers, Rules.
    for (int step = 0; step < 5; ++step)
        QTest::keyClick(m_bar, Qt::Key_Down);
    QTest::keyClick(m_bar, Qt::Key_Return);
    QTest::keyClick(m_bar, Qt::Key_Down); // stays on the last one
    QTest::keyClick(m_bar, Qt::Key_Space);
    QTest::keyClick(m_bar, Qt::Key_Home);
    QTest::keyClick(m_bar, Qt::Key_Space);
    const QList<QVariant> rules {Q("settings"), Q("rules")};
    EXPECT_EQ(QList<QList<QVariant>>(items), QList<QList<QVariant>>({rules, rules}));
    EXPECT_EQ(QList<QList<QVariant>>(groups), QList<QList<QVariant>>({{-1, false}}));
    // Folded, the special group's items are skipped.
    QTest::keyClick(m_bar, Qt::Key_Down);
    QTest::keyClick(m_bar, Qt::Key_Space);
    EXPECT_EQ(groups.size(), 2);
    EXPECT_EQ(groups.last(), QList<QVariant>({1, false}));
}

TEST_F(ExplorerBarTest, AccessibleTreeNamesGroupsAndItems)
{
    QAccessibleInterface* pane = QAccessible::queryAccessibleInterface(m_bar);
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->role(), QAccessible::Pane);
    QAccessibleInterface* special = pane->child(0);
    QAccessibleInterface* settings = pane->child(1);
    ASSERT_TRUE(special && settings);
    EXPECT_EQ(special->role(), QAccessible::Grouping);
    EXPECT_EQ(special->text(QAccessible::Name), Q("Vortalux"));
    EXPECT_TRUE(special->state().expanded);
    EXPECT_EQ(settings->text(QAccessible::Name), Q("Settings"));
    ASSERT_EQ(settings->childCount(), 2);
    QAccessibleInterface* rules = settings->child(1);
    EXPECT_EQ(rules->role(), QAccessible::Link);
    EXPECT_EQ(rules->text(QAccessible::Name), Q("Rules"));
    EXPECT_EQ(rules->parent(), settings);
    EXPECT_EQ(pane->indexOfChild(settings), 1);

    QSignalSpy clicks(m_bar, &ExplorerBarControl::ItemClick);
    rules->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks.size(), 1);
    m_bar->SetItemText("settings", "rules", Q("Rule files"));
    EXPECT_EQ(rules->text(QAccessible::Name), Q("Rule files"));
}

TEST_F(ExplorerBarTest, ChildPanelSitsInItsGroupAndFoldsWithIt)
{
    auto* panel = new QWidget;
    panel->resize(50, 60);
    m_bar->SetGroupChild("settings", panel, Qt::PointingHandCursor);
    ASSERT_EQ(panel->parentWidget(), m_bar);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->height(), 60);
    EXPECT_GT(panel->y(), m_bar->ItemRect("settings", "rules").bottom());
    EXPECT_EQ(panel->cursor().shape(), Qt::PointingHandCursor);
    m_bar->ExpandGroup("settings", Expansion::Collapsed);
    EXPECT_FALSE(panel->isVisible());
    m_bar->ExpandGroup("settings");
    EXPECT_TRUE(panel->isVisible());
    m_bar->ClearStructure();
    EXPECT_FALSE(panel->isVisible());
}

TEST(ExplorerBarIcons, StaySharpAtTwiceTheScale)
{
    ImageList images;
    images.Add(Q("about"), PaneIcons::About());
    const QPixmap doubled = images.Icon(0).pixmap(QSize(16, 16), 2.0);
    EXPECT_EQ(doubled.size(), QSize(32, 32));
    EXPECT_EQ(doubled.devicePixelRatio(), 2.0);
    EXPECT_EQ(images.IndexOf(Q("about")), 0);
    EXPECT_EQ(images.IndexOf(Q("About")), std::nullopt);
}

} // namespace
