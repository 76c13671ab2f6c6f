#include "res/Resources.h"

void RegisterResources() {
    CResourceLookups lookups;
    lookups.loadString = &LoadResString;
    lookups.loadIcon = &LoadResIcon;
    lookups.commandIcon = &CommandIcon;
    lookups.findMenu = &FindMenuResource;
    lookups.findAccelTable = &FindAccelTable;
    lookups.findToolBar = &FindToolBar;
    lookups.findDialogTemplate = &FindDialogTemplate;
    AfxSetResourceLookups(lookups);
}
