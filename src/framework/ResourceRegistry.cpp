#include "framework/ResourceRegistry.h"

namespace {
// Constant-initialised, so that it is empty, not unset, for a filler that runs before main.
constinit CResourceLookups g_lookups;
} // namespace

void AfxSetResourceLookups(const CResourceLookups& lookups) {
    g_lookups = lookups;
}

const CResourceLookups& AfxGetResourceLookups() {
    return g_lookups;
}

QString AfxLoadString(int nID) {
    return g_lookups.loadString ? g_lookups.loadString(nID) : QString();
}

QIcon AfxLoadIcon(int nID) {
    return g_lookups.loadIcon ? g_lookups.loadIcon(nID) : QIcon();
}

QIcon AfxCommandIcon(int nID) {
    return g_lookups.commandIcon ? g_lookups.commandIcon(nID) : QIcon();
}

const std::vector<MenuPopup>* AfxFindMenu(int nID) {
    return g_lookups.findMenu ? g_lookups.findMenu(nID) : nullptr;
}

const std::vector<AccelEntry>* AfxFindAccelTable(int nID) {
    return g_lookups.findAccelTable ? g_lookups.findAccelTable(nID) : nullptr;
}

const std::vector<int>* AfxFindToolBar(int nID) {
    return g_lookups.findToolBar ? g_lookups.findToolBar(nID) : nullptr;
}

const DlgTemplate* AfxFindDialogTemplate(int nID) {
    return g_lookups.findDialogTemplate ? g_lookups.findDialogTemplate(nID) : nullptr;
}
