#pragma once

#include <QString>

// The help page: beside the program, in the installed share folder, or under the current folder;
// empty when there is none.
QString FindHelpPage();
// Opens it in the desktop's browser, or says where it was looked for.
void OpenHelpPage();
