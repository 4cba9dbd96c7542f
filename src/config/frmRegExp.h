#pragma once

#include "PatternTest.h"

#include <QDialog>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeView;

namespace vortalux {

class PageFetcher;
class PatternMatchModel;

// The pattern tester, " Define a regexp": the modal dialog through which every pattern of a rule
// is entered. While the user types it runs the pattern over a sample text and shows the matches
// with their sub-matches, or the replaced text; on Ok it hands the pattern, the result pattern
// and the global flag back to the rule editor. Matches are highlighted in the sample, and "Load
// page..." fills the sample with a page fetched as a page-search rule fetches it.
class frmRegExp final : public QDialog {
    Q_OBJECT

public:
    // The four uses of the rule editor: which boxes are shown and which mode runs.
    enum class Use { Identification, ReplaceStep, SearchStep, CustomReferer };

    explicit frmRegExp(Use use, QWidget* parent = nullptr);
    ~frmRegExp() override;

    void SetPattern(const std::string& pattern); // txtREG
    void SetResult(const std::string& result); // txtResult
    void SetGlobal(bool global); // chkGlobal
    void SetResultTicked(bool ticked); // chkResult
    bool ReplaceMode() const { return m_replaceMode; }

    // Hand-back values, read after exec(): an empty TestedPattern when cancelled or closed.
    const std::string& TestedPattern() const { return m_testedPattern; }
    const std::string& TestedResult() const { return m_testedResult; }
    int16_t TestedGlobal() const { return m_testedGlobal; }

    // The sample as bytes, as a loaded page fills it: the pattern runs over these very bytes
    // (line ends and encoding included) until the user edits the text.
    void SetSample(std::string bytes);
    // Fetches `url` (http:// or https://) with the browser's cookies and makes the page the
    // sample; a failure is shown in a message box. Esc ends the wait with what has arrived, the
    // load button (then "Cancel") or closing the window with nothing.
    void LoadPage(const std::string& url);
    bool IsLoadingPage() const { return m_fetching; }

    // Runs the test now. Changes run it once the events of a burst of them have been handled.
    void RunPatternTest();
    const PatternTest& Test() const { return m_test; }
    // The matches highlighted in the sample, as document positions (start, end): those in view.
    std::vector<std::pair<int, int>> Highlights() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    void BuildControls();
    void ScheduleTest();
    std::string SampleBytes();
    void MapMatches();
    void UpdateHighlights();
    void ShowStatus(const std::string& text);
    void OnOk();
    void OnLoadPageClicked();

    bool m_replaceMode = false;
    std::string m_testedPattern;
    std::string m_testedResult;
    int16_t m_testedGlobal = 0;

    QLabel* m_label3 = nullptr;
    QLineEdit* m_txtREG = nullptr;
    QCheckBox* m_chkResult = nullptr;
    QLabel* m_lblResult = nullptr;
    QLineEdit* m_txtResult = nullptr;
    QCheckBox* m_chkGlobal = nullptr;
    QGroupBox* m_frame1 = nullptr;
    QLabel* m_label1 = nullptr;
    QPushButton* m_btnLoadPage = nullptr;
    QPlainTextEdit* m_txtExemple = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_lblStatus = nullptr;
    QTreeView* m_lv = nullptr;
    QPlainTextEdit* m_txt = nullptr;
    QPushButton* m_btnOk = nullptr;
    QPushButton* m_btnCancel = nullptr;

    PatternTest m_test;
    PatternMatchModel* m_model = nullptr;
    QTimer m_testTimer;
    QTimer m_highlightTimer;
    // Where each match of the last run lies in the sample's document, in order.
    std::vector<std::pair<int, int>> m_matchRanges;

    // The bytes SetSample gave and whether the document shows them as UTF-8; dropped once the
    // user edits the text, which is then taken as UTF-8.
    std::string m_sampleBytes;
    bool m_sampleIsUtf8 = true;
    bool m_sampleFromBytes = false;

    std::unique_ptr<PageFetcher> m_fetcher;
    bool m_fetching = false;
    bool m_fetchCancelled = false;
    bool m_closeAfterFetch = false;
};

} // namespace vortalux
