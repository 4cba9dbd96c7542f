#include "frmRegExp.h"

#include "AsciiText.h"
#include "DisplayText.h"
#include "MessageBox.h"
#include "PageFetcher.h"
#include "PatternMatchModel.h"
#include "SampleDocumentMap.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace vortalux {

namespace {

// The status line shows no more than this of a long result preview.
constexpr size_t MaxShownStatus = 4096;
// Highlights drawn at once: those of the matches in view, which never come near it.
constexpr size_t MaxHighlights = 10'000;
const char* const LoadPageCaption = "Load page";

bool IsLoadableAddress(std::string_view url)
{
    const bool http = StartsWithNoCase(url, "http://");
    const bool https = StartsWithNoCase(url, "https://");
    if (!http && !https)
        return false;
    const std::string_view rest = url.substr(http ? 7 : 8);
    if (rest.empty() || rest.front() == '/')
        return false;
    return std::none_of(url.begin(), url.end(), [](char c) { return IsAsciiControl(c) || c == ' '; });
}

} // namespace

frmRegExp::frmRegExp(Use use, QWidget* parent)
    : QDialog(parent)
    , m_replaceMode(use == Use::ReplaceStep || use == Use::CustomReferer)
{
    setObjectName(QStringLiteral("frmRegExp"));
    setWindowTitle(QStringLiteral(" Define a regexp"));
    BuildControls();

    // A burst of changes (a paste, keys typed faster than a large sample is searched) runs the
    // test once, after the events of the burst.
    m_testTimer.setSingleShot(true);
    m_testTimer.setInterval(0);
    connect(&m_testTimer, &QTimer::timeout, this, &frmRegExp::RunPatternTest);
    m_highlightTimer.setSingleShot(true);
    m_highlightTimer.setInterval(0);
    connect(&m_highlightTimer, &QTimer::timeout, this, &frmRegExp::UpdateHighlights);

    connect(m_txtREG, &QLineEdit::textChanged, this, &frmRegExp::ScheduleTest);
    connect(m_txtResult, &QLineEdit::textChanged, this, &frmRegExp::ScheduleTest);
    connect(m_txtExemple, &QPlainTextEdit::textChanged, this, &frmRegExp::ScheduleTest);
    connect(m_chkGlobal, &QCheckBox::toggled, this, &frmRegExp::ScheduleTest);
    connect(m_txtExemple->verticalScrollBar(), &QScrollBar::valueChanged, this, &frmRegExp::UpdateHighlights);
    m_txtExemple->viewport()->installEventFilter(this);
    connect(m_btnOk, &QPushButton::clicked, this, &frmRegExp::OnOk);
    connect(m_btnCancel, &QPushButton::clicked, this, &frmRegExp::reject);
    connect(m_btnLoadPage, &QPushButton::clicked, this, &frmRegExp::OnLoadPageClicked);

    // The boxes of each use.
    const bool searchStep = use == Use::SearchStep;
    m_chkGlobal->setVisible(searchStep);
    m_chkResult->setVisible(searchStep);
    m_lblResult->setVisible(use == Use::ReplaceStep || use == Use::CustomReferer);
    m_txtResult->setVisible(use != Use::Identification);
    if (use == Use::CustomReferer)
        m_chkResult->setChecked(true);
    m_txt->setVisible(m_replaceMode);
    m_lv->setVisible(!m_replaceMode);
}

frmRegExp::~frmRegExp()
{
    // The view outlives the members (children go with the QDialog): it must not read the test.
    m_lv->setModel(nullptr);
}

void frmRegExp::BuildControls()
{
    const auto named = [](QWidget* widget, const char* name) {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    };
    m_label3 = new QLabel(QStringLiteral("Search pattern :"), this);
    named(m_label3, "Label3");
    m_txtREG = new QLineEdit(this);
    named(m_txtREG, "txtREG");
    m_label3->setBuddy(m_txtREG);
    m_chkResult
        = new QCheckBox(QStringLiteral("If the picture's URL can be found, replacement pattern :"), this);
    named(m_chkResult, "chkResult");
    m_lblResult = new QLabel(QStringLiteral("Replacement pattern :"), this);
    named(m_lblResult, "lblResult");
    m_txtResult = new QLineEdit(this);
    named(m_txtResult, "txtResult");
    m_lblResult->setBuddy(m_txtResult);
    m_chkGlobal = new QCheckBox(QStringLiteral("Global search"), this);
    named(m_chkGlobal, "chkGlobal");

    m_frame1 = new QGroupBox(QStringLiteral("Test your regexp now !"), this);
    named(m_frame1, "Frame1");
    m_label1 = new QLabel(QStringLiteral("Text to search in :"), m_frame1);
    named(m_label1, "Label1");
    m_btnLoadPage = new QPushButton(QStringLiteral("Load page..."), m_frame1);
    named(m_btnLoadPage, "btnLoadPage");
    m_btnLoadPage->setAutoDefault(false);
    m_btnLoadPage->setToolTip(
        QStringLiteral("Fill the sample with a web page, fetched as a page-search rule fetches it"));
    m_txtExemple = new QPlainTextEdit(m_frame1);
    named(m_txtExemple, "txtExemple");
    m_label1->setBuddy(m_txtExemple);
    m_txtExemple->setTabChangesFocus(true);
    m_label2 = new QLabel(QStringLiteral("Results :"), m_frame1);
    named(m_label2, "Label2");
    m_lblStatus = new QLabel(m_frame1);
    named(m_lblStatus, "lblStatus");
    // Texts from the sample are never markup, and a long preview must not widen the window.
    m_lblStatus->setTextFormat(Qt::PlainText);
    m_lblStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_model = new PatternMatchModel(m_test, this);
    m_lv = new QTreeView(m_frame1);
    named(m_lv, "lv");
    m_lv->setModel(m_model);
    m_lv->setRootIsDecorated(false);
    m_lv->setUniformRowHeights(true);
    m_lv->setItemsExpandable(false);
    m_lv->setAllColumnsShowFocus(true);
    m_lv->setTextElideMode(Qt::ElideRight);
    m_lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QHeaderView* header = m_lv->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(static_cast<int>(PatternTest::Column::Value), QHeaderView::Stretch);
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    header->resizeSection(static_cast<int>(PatternTest::Column::Number), digit * 8);
    header->resizeSection(static_cast<int>(PatternTest::Column::Position), digit * 10);
    header->resizeSection(static_cast<int>(PatternTest::Column::Length), digit * 8);
    m_txt = new QPlainTextEdit(m_frame1);
    named(m_txt, "txt");
    m_txt->setReadOnly(true);

    m_btnOk = new QPushButton(QStringLiteral("Ok"), this);
    named(m_btnOk, "btnOk");
    m_btnOk->setDefault(true);
    m_btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    named(m_btnCancel, "btnCancel");
    m_btnCancel->setAutoDefault(false);

    auto* sampleHeader = new QHBoxLayout;
    sampleHeader->addWidget(m_label1);
    sampleHeader->addStretch(1);
    sampleHeader->addWidget(m_btnLoadPage);
    auto* statusLine = new QHBoxLayout;
    statusLine->addWidget(m_label2);
    statusLine->addWidget(m_lblStatus, 1);
    // lv and txt take the same place; one of them is shown.
    auto* results = new QGridLayout;
    results->setContentsMargins(0, 0, 0, 0);
    results->addWidget(m_lv, 0, 0);
    results->addWidget(m_txt, 0, 0);
    auto* frameLayout = new QVBoxLayout(m_frame1);
    frameLayout->addLayout(sampleHeader);
    frameLayout->addWidget(m_txtExemple, 3);
    frameLayout->addLayout(statusLine);
    frameLayout->addLayout(results, 2);

    // chkResult and lblResult take the same place.
    auto* resultCaption = new QGridLayout;
    resultCaption->setContentsMargins(0, 0, 0, 0);
    resultCaption->addWidget(m_chkResult, 0, 0);
    resultCaption->addWidget(m_lblResult, 0, 0);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_btnOk);
    buttons->addWidget(m_btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label3);
    layout->addWidget(m_txtREG);
    layout->addLayout(resultCaption);
    layout->addWidget(m_txtResult);
    layout->addWidget(m_chkGlobal);
    layout->addWidget(m_frame1, 1);
    layout->addLayout(buttons);
    resize(600, 560);
}

void frmRegExp::SetPattern(const std::string& pattern) { m_txtREG->setText(DisplayText(pattern)); }

void frmRegExp::SetResult(const std::string& result) { m_txtResult->setText(DisplayText(result)); }

void frmRegExp::SetGlobal(bool global) { m_chkGlobal->setChecked(global); }

void frmRegExp::SetResultTicked(bool ticked) { m_chkResult->setChecked(ticked); }

void frmRegExp::SetSample(std::string bytes)
{
    const QString text = DisplayText(bytes);
    m_sampleIsUtf8 = text.toStdString() == bytes;
    m_sampleBytes = std::move(bytes);
    m_sampleFromBytes = true;
    m_txtExemple->setPlainText(text);
    m_txtExemple->document()->setModified(false);
}

void frmRegExp::ScheduleTest() { m_testTimer.start(); }

std::string frmRegExp::SampleBytes()
{
    if (m_sampleFromBytes && !m_txtExemple->document()->isModified())
        return m_sampleBytes;
    if (m_sampleFromBytes) {
        m_sampleFromBytes = false;
        m_sampleBytes = std::string();
    }
    return m_txtExemple->toPlainText().toStdString();
}

void frmRegExp::RunPatternTest()
{
    m_testTimer.stop();
    PatternTest::Settings settings;
    settings.pattern = m_txtREG->text().toStdString();
    settings.result = m_txtResult->text().toStdString();
    settings.mode = m_replaceMode ? PatternTestMode::Replace : PatternTestMode::Search;
    settings.scope = m_chkGlobal->isChecked() ? MatchScope::EveryMatch : MatchScope::FirstMatch;
    settings.preview = m_chkResult->isChecked() ? ResultPreview::On : ResultPreview::Off;
    m_model->BeginRun();
    m_test.Run(settings, SampleBytes());
    m_model->EndRun();

    m_txt->setVisible(m_replaceMode);
    m_lv->setVisible(!m_replaceMode);
    ShowStatus(m_test.Status());
    if (m_replaceMode)
        m_txt->setPlainText(DisplayText(m_test.Preview()));
    MapMatches();
    UpdateHighlights();
}

void frmRegExp::ShowStatus(const std::string& text)
{
    const std::string_view shown = std::string_view(text).substr(0, MaxShownStatus);
    m_lblStatus->setText(
        shown.size() < text.size() ? DisplayText(shown) + QChar(0x2026) : DisplayText(shown));
}

void frmRegExp::MapMatches()
{
    m_matchRanges.clear();
    const size_t count = m_test.MatchCount();
    m_matchRanges.reserve(count);
    const bool utf8 = !m_sampleFromBytes || m_sampleIsUtf8;
    SampleDocumentMap map(
        m_test.Sample(), utf8 ? SampleDocumentMap::Encoding::Utf8 : SampleDocumentMap::Encoding::Windows1252);
    for (size_t m = 0; m < count; ++m) {
        const size_t start = m_test.MatchStart(m);
        const int from = map.Position(start);
        m_matchRanges.emplace_back(from, map.Position(start + m_test.MatchLength(m)));
    }
}

// Only the matches in view are highlighted, so the number of matches costs nothing while the
// user types or scrolls.
void frmRegExp::UpdateHighlights()
{
    QList<QTextEdit::ExtraSelection> selections;
    if (!m_matchRanges.empty()) {
        const QWidget* viewport = m_txtExemple->viewport();
        const int first = m_txtExemple->cursorForPosition(QPoint(0, 0)).position();
        const int last
            = m_txtExemple->cursorForPosition(QPoint(viewport->width(), viewport->height())).position();
        auto it = std::lower_bound(m_matchRanges.begin(), m_matchRanges.end(), first,
            [](const std::pair<int, int>& range, int position) { return range.second < position; });
        const QColor base = palette().color(QPalette::Highlight);
        QColor even = base;
        even.setAlpha(70);
        QColor odd = base;
        odd.setAlpha(130);
        for (; it != m_matchRanges.end() && it->first <= last && size_t(selections.size()) < MaxHighlights;
             ++it) {
            if (it->first == it->second)
                continue;
            QTextEdit::ExtraSelection selection;
            selection.cursor = QTextCursor(m_txtExemple->document());
            selection.cursor.setPosition(it->first);
            selection.cursor.setPosition(it->second, QTextCursor::KeepAnchor);
            // Neighbouring matches in two shades, so that where one ends and the next starts shows.
            selection.format.setBackground((it - m_matchRanges.begin()) % 2 == 0 ? even : odd);
            selections.append(selection);
        }
    }
    m_txtExemple->setExtraSelections(selections);
}

std::vector<std::pair<int, int>> frmRegExp::Highlights() const
{
    std::vector<std::pair<int, int>> ranges;
    for (const QTextEdit::ExtraSelection& selection : m_txtExemple->extraSelections())
        ranges.emplace_back(selection.cursor.selectionStart(), selection.cursor.selectionEnd());
    return ranges;
}

bool frmRegExp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_txtExemple->viewport() && event->type() == QEvent::Resize)
        m_highlightTimer.start();
    return QDialog::eventFilter(watched, event);
}

void frmRegExp::OnOk()
{
    m_testedPattern = m_txtREG->text().toStdString();
    m_testedResult = m_txtResult->text().toStdString();
    m_testedGlobal = m_chkGlobal->isChecked() ? 1 : 0;
    accept();
}

void frmRegExp::reject()
{
    if (m_fetching) {
        // Closed while a page loads: end the wait first; the window closes once it has ended.
        m_closeAfterFetch = true;
        m_fetchCancelled = true;
        m_fetcher->Cancel();
        return;
    }
    m_testedPattern.clear();
    m_testedResult.clear();
    QDialog::reject();
}

void frmRegExp::keyPressEvent(QKeyEvent* event)
{
    if (m_fetching && event->key() == Qt::Key_Escape) {
        m_fetcher->Finish(); // the sample gets what has arrived
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmRegExp::OnLoadPageClicked()
{
    if (m_fetching) {
        m_fetchCancelled = true;
        m_fetcher->Cancel();
        return;
    }
    bool ok = false;
    const QString url = QInputDialog::getText(this, QString::fromLatin1(LoadPageCaption),
        QStringLiteral("Address of the page (http:// or https://):"), QLineEdit::Normal, QString(), &ok);
    if (ok)
        LoadPage(url.trimmed().toStdString());
}

void frmRegExp::LoadPage(const std::string& url)
{
    if (m_fetching)
        return;
    if (!IsLoadableAddress(url)) {
        ShowMessage(
            LoadPageCaption, "Only http:// and https:// addresses can be loaded.", MessageIcon::Exclamation);
        return;
    }
    if (!m_fetcher) {
        // The browser's cookies, as the engine sends them.
        m_fetcher = std::make_unique<PageFetcher>();
        m_fetcher->SetStatusCallback([this](const std::string& text) { ShowStatus(text); });
    }
    m_fetcher->SetTag(url);
    m_fetching = true;
    m_fetchCancelled = false;
    m_btnLoadPage->setText(QStringLiteral("Cancel"));
    m_txtExemple->setReadOnly(true);
    ShowStatus(url + " - Connecting");

    std::string page = m_fetcher->OpenURL(url);
    const std::string failure = m_fetcher->LastFailure();

    m_fetching = false;
    m_btnLoadPage->setText(QStringLiteral("Load page..."));
    m_txtExemple->setReadOnly(false);
    if (m_closeAfterFetch) {
        reject();
        return;
    }
    if (m_fetchCancelled) {
        RunPatternTest(); // the status line shows the test again
        return;
    }
    if (page.empty() && !failure.empty()) {
        RunPatternTest();
        ShowMessage(LoadPageCaption, "The page could not be loaded: " + failure, MessageIcon::Exclamation);
        return;
    }
    SetSample(std::move(page));
    RunPatternTest();
}

} // namespace vortalux
