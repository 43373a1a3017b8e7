#pragma once

#include <QEventLoop>

// How the site access code waits on the user-interface thread.
namespace site {

// During an update run the progress window must repaint and take its Cancel click, so pending
// events are processed; otherwise nothing happens.
void PumpIfUpdating();

// Events processed while a blocking network call waits in its local event loop. Network and
// timer events always run. User input runs only during an update run (for the Cancel button);
// at other times it is held back until the call returns, so a click in the main window cannot
// start a second catalogue operation in the middle of this one.
QEventLoop::ProcessEventsFlags WaitFlags();

// Waits ms milliseconds in a local event loop with WaitFlags(); nothing for ms <= 0. A cancel
// ends the wait early.
void Pause(int ms);

// True when the work in progress is to stop: the run's Cancel (the update window's button, a
// command's cancel), or the interrupt probe. A fetch that waits looks at it every
// kCancelPollMs, so a cancel stops even a page that trickles in.
bool CancelRequested();
inline constexpr int kCancelPollMs = 100;
// A test of its own the caller adds (the command-line companion's Ctrl-C); nullptr for none.
void SetInterruptProbe(bool (*probe)());

} // namespace site
