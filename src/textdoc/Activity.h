#pragma once

class QString;

// What the text views tell the main window: the user is active now (the idle time of the screen
// lock starts again), and the caret position shown in the status bar.
namespace textdoc {

void StampActivity();
// Sets pane 1 of the main window's status bar; nothing happens while there is no main window.
void SetPositionPane(const QString& text);
// True while the screen is locked.
bool IsScreenLocked();

} // namespace textdoc
