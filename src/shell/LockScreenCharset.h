#pragma once

#include <QChar>

// The lock window's random characters are codes 32 to 255 of the old single-byte code pages: the
// text layer shows them as Windows-1252 (Western) characters, the rain as Windows-1253 (Greek)
// ones. A code the code page leaves undefined has no character to show and shows as a blank, as do
// codes outside 0 to 255.
QChar LockTextChar(int code);
QChar LockRainChar(int code);
