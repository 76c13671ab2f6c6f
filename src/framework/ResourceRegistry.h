#pragma once

#include <QIcon>
#include <QKeySequence>
#include <QString>
#include <vector>

struct DlgTemplate;

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

// Accelerator tables: one entry per key.
struct AccelEntry {
    QKeySequence key;
    int id;
};

// The framework finds the program's resources (strings, icons, menus, accelerators, tool bars and
// dialog templates) through these lookups, which the program's resources fill once at start, before
// the first template, window or dialog is made. The framework itself knows no resource; a lookup
// that was never set finds nothing.
struct CResourceLookups {
    QString (*loadString)(int nID) = nullptr;
    QIcon (*loadIcon)(int nID) = nullptr;
    QIcon (*commandIcon)(int nID) = nullptr;
    const std::vector<MenuPopup>* (*findMenu)(int nID) = nullptr;
    const std::vector<AccelEntry>* (*findAccelTable)(int nID) = nullptr;
    const std::vector<int>* (*findToolBar)(int nID) = nullptr;
    const DlgTemplate* (*findDialogTemplate)(int nID) = nullptr;
};

void AfxSetResourceLookups(const CResourceLookups& lookups);
const CResourceLookups& AfxGetResourceLookups();

// The string table; an empty string for an id without an entry.
QString AfxLoadString(int nID);
// An icon resource; null when there is none.
QIcon AfxLoadIcon(int nID);
// The tool bar image of a command, shown beside it in menus; null when none.
QIcon AfxCommandIcon(int nID);
const std::vector<MenuPopup>* AfxFindMenu(int nID);
const std::vector<AccelEntry>* AfxFindAccelTable(int nID);
// The command of each button in order, 0 for a separator.
const std::vector<int>* AfxFindToolBar(int nID);
const DlgTemplate* AfxFindDialogTemplate(int nID);
