#include "res/Resources.h"
#include "res/resource.h"

#include <map>

namespace {

const std::map<int, std::vector<int>>& ToolBars() {
    static const std::map<int, std::vector<int>> toolBars = {
        {IDR_MAINFRAME,
         {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, 0, ID_VIEW_WIZARD, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0,
          ID_EDIT_FIND, 0, ID_FILE_PRINT, 0, ID_VIEW_LOCK, 0, ID_APP_ABOUT}},
    };
    return toolBars;
}

} // namespace

const std::vector<int>* FindToolBar(int nID) {
    auto it = ToolBars().find(nID);
    return it == ToolBars().end() ? nullptr : &it->second;
}
