#pragma once

#include <string>

namespace vortalux {

// What the batch shows and asks while it runs: the list window, or the terminal of a headless
// run.
class BatchView {
public:
    virtual ~BatchView() = default;

    // The progress display appears and the controls that could start a second batch are locked.
    virtual void BatchStarted() { }
    // The prefix of the statuses of the current link; the status shows it alone.
    virtual void SetTag(const std::string& tag) = 0;
    virtual void ShowStatus(const std::string& text) = 0;
    // "converted/selected".
    virtual void ShowCounts(int converted, int selected) = 0;
    // 0 to 100.
    virtual void ShowProgress(int percent) = 0;
    // Lets pending events run once: Cancel is handled here.
    virtual void LetEventsRun() = 0;
    // The store position of the download manager that receives the next part (-1: none chosen).
    virtual int SelectedManager() = 0;
    // "Terminé" has been shown: the progress display goes away before the last part is sent.
    virtual void BatchFinishing() { }
    // The last part is sent; the idle settings come back.
    virtual void BatchEnded() { }
};

} // namespace vortalux
