#pragma once

#include "framework/ResourceRegistry.h"

#include <QIcon>
#include <QString>
#include <vector>

struct DlgTemplate;

// Hands these resources to the framework's lookups. The program calls it first thing in main, and
// every test program before it makes a window; calling it again does no harm.
void RegisterResources();

// The string table; an empty string for an id without an entry.
QString LoadResString(int nID);

// An icon resource (the program's icon 128 and the icons the dialogs name); null when there is none.
QIcon LoadResIcon(int nID);
// The tool bar image of a command (tool bars 128 and 155), shown beside it in menus; null when none.
QIcon CommandIcon(int nID);

// Menu resources (MenuPopup, MenuEntry: framework/ResourceRegistry.h).
const std::vector<MenuPopup>* FindMenuResource(int nID);

// Accelerator tables (AccelEntry: framework/ResourceRegistry.h).
const std::vector<AccelEntry>* FindAccelTable(int nID);

// Tool bars: the command of each button in order, 0 for a separator.
const std::vector<int>* FindToolBar(int nID);

// Dialog templates.
const DlgTemplate* FindDialogTemplate(int nID);
// The password and prompt dialogs' templates, which FindDialogTemplate also finds.
const DlgTemplate* FindPromptDialogTemplate(int nID);
