#pragma once

#include <functional>
#include <optional>

// The toggle keys whose state the status bar and the password dialogs show.
enum class LockKey { Caps, Num, Scroll };

// Whether a toggle key is on, or nothing where the windowing system does not tell (Wayland, the
// offscreen platform, a display without the keyboard extension). On X11 it is the keyboard
// extension's indicator state, so it follows the key however it was pressed.
std::optional<bool> IsLockKeyOn(LockKey key);

// Tests give their own state; an empty function puts the windowing system's back.
void SetLockKeySource(std::function<std::optional<bool>(LockKey)> source);
