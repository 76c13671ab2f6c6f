#pragma once

#include <functional>

class QProgressBar;

// Long file work off the user-interface thread. The work runs on a thread of its own while this
// thread keeps turning the event loop, so that the windows repaint and the timers run (the idle
// lock among them); keys and clicks wait until the work is done, so nothing can change what the
// work reads. When the work takes longer than the delay, a busy progress bar shows in the main
// window's status bar until it ends.
//
// The work must not touch widgets, and what it produces must reach a document only after it ends.
void RunInBackground(const std::function<void()>& work);

// The delay before the progress bar shows, in milliseconds (500 unless set).
void SetBackgroundProgressDelay(int msec);

// The progress bar while one shows, or null.
QProgressBar* BackgroundProgressBar();
