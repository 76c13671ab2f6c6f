#pragma once

// The program's version and its web page, shown by the About box, the Welcome dialog and the Help menu.
inline constexpr const char* kProductVersion = "2.5.1";
inline constexpr const char* kProductWebPage = "https://lockwarden.org/editor/";
