// One batch at a time in the window, whichever kind: while it runs its button
// shows the progress ("12 / 150"), and a click on that button or Esc anywhere
// in the main window asks it to stop after the file being written. Without a
// batch, Esc keeps closing the window.
#pragma once
#include <cstddef>
#include <cstdint>

namespace app {

// Whether a batch run is under way (a second start is refused meanwhile).
bool BatchRunning();
// A click on a batch's button (unit id): while a batch runs the click is taken
// (true), stopping the batch when the button is its own; false when no batch runs.
bool TakeBatchClick(uint32_t button);

// A batch run for its lifetime: marks it running, takes Esc, and puts the
// button's caption back when it ends.
class BatchRun {
public:
    BatchRun(uint32_t button, const char* caption);
    ~BatchRun() { End(); }
    BatchRun(const BatchRun&) = delete;
    BatchRun& operator=(const BatchRun&) = delete;

    // "done / total" on the button.
    void Progress(size_t done, size_t total);
    // False once a stop was asked for or the window began to close.
    bool GoesOn() const;
    bool StopRequested() const;
    // Ends the run before its end report is shown (the report's box takes Esc itself).
    void End();

private:
    uint32_t button_;
    const char* caption_;
    bool ended_ = false;
};

}  // namespace app
