#pragma once

#include <QIcon>
#include <QKeySequence>
#include <QString>
#include <vector>

struct DlgTemplate;

// The string table; an empty string for an id without an entry.
QString LoadResString(int nID);

// An icon resource (the program's icon 128 and the icons the dialogs name); null when there is none.
QIcon LoadResIcon(int nID);
// The tool bar image of a command (tool bars 128 and 155), shown beside it in menus; null when none.
QIcon CommandIcon(int nID);

// Menu resources.
struct MenuEntry {
    enum Kind { Item, Separator, RecentFiles };
    Kind kind;
    int id = 0;
    const char* text = nullptr;
};
struct MenuPopup {
    const char* text;
    std::vector<MenuEntry> entries;
};
const std::vector<MenuPopup>* FindMenuResource(int nID);

// Accelerator tables: one entry per key.
struct AccelEntry {
    QKeySequence key;
    int id;
};
const std::vector<AccelEntry>* FindAccelTable(int nID);

// Tool bars: the command of each button in order, 0 for a separator.
const std::vector<int>* FindToolBar(int nID);

// Dialog templates.
const DlgTemplate* FindDialogTemplate(int nID);
// The password and prompt dialogs' templates, which FindDialogTemplate also finds.
const DlgTemplate* FindPromptDialogTemplate(int nID);
