#pragma once

#include <functional>

// The passwords window's side of the screen lock: every handler of user input in the tree and the
// forms says "the user is active now", which restarts the idle time of the main window.
namespace workspace {

void StampActivity();

// Replaces what StampActivity does (an empty function restores the main window's stamp). Lets a
// test see the stamps without a whole application around the window.
void SetActivityStamp(std::function<void()> stamp);

} // namespace workspace
