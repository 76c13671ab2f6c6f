#include "res/Resources.h"
#include "res/resource.h"

#include <map>

namespace {

MenuEntry Item(int id, const char* text) {
    return {MenuEntry::Item, id, text};
}
MenuEntry Separator() {
    return {MenuEntry::Separator, 0, nullptr};
}
MenuEntry RecentFiles() {
    return {MenuEntry::RecentFiles, ID_FILE_MRU_FILE1, nullptr};
}

const std::map<int, std::vector<MenuPopup>>& Menus() {
    static const std::map<int, std::vector<MenuPopup>> menus = {
        // The main window's menu while no document is open.
        {IDR_MAINFRAME,
         {
             {"&File",
              {Item(ID_FILE_NEW, "&New\tCtrl+N"), Item(ID_FILE_OPEN, "&Open...\tCtrl+O"),
               Item(ID_FILE_IMPORT, "&Import..."), Item(ID_FILE_RECOVER, "Recover Unsaved &Work..."), Separator(),
               Item(ID_FILE_PRINT_SETUP, "P&rint Setup..."), Separator(), RecentFiles(), Separator(),
               Item(ID_APP_EXIT, "E&xit")}},
             {"&View",
              {Item(ID_VIEW_TOOLBAR, "&Toolbar"), Item(ID_VIEW_STATUS_BAR, "&Status Bar"), Separator(),
               Item(ID_VIEW_LOCK, "&Lock\tCtrl+L"), Separator(), Item(ID_VIEW_WIZARD, "Wizard...")}},
             {"&Settings",
              {Item(ID_SETTINGS_SCREEN_LOCK, "Screen Lock Options..."), Item(ID_SETTINGS_CLIPBOARD, "Clipboard..."),
               Item(ID_SETTINGS_DESKTOP_LOCK, "Lock with the Desktop"),
               Item(ID_SETTINGS_REOPEN_DOCUMENTS, "&Reopen Documents at Start"),
               Item(ID_SETTINGS_DOCUMENT_ENCRYPTION, "Document Encryption...")}},
             {"&Help",
              {Item(ID_HELP, "&Help Topics\tF1"), Item(ID_HELP_WEB, "Lockwarden Editor on the Web..."), Separator(),
               Item(ID_APP_ABOUT, "&About Lockwarden Editor...")}},
         }},
        // The menu shared by both document types.
        {IDR_ETXTYPE,
         {
             {"&File",
              {Item(ID_FILE_NEW, "&New\tCtrl+N"), Item(ID_FILE_OPEN, "&Open...\tCtrl+O"),
               Item(ID_FILE_IMPORT, "&Import..."), Item(ID_FILE_RECOVER, "Recover Unsaved &Work..."),
               Item(ID_FILE_CLOSE, "&Close"), Item(ID_FILE_SAVE, "&Save\tCtrl+S"), Item(ID_FILE_SAVE_AS, "Save &As..."),
               Separator(), Item(ID_FILE_PRINT, "&Print...\tCtrl+P"), Item(ID_FILE_PRINT_PREVIEW, "Print Pre&view"),
               Item(ID_FILE_PRINT_SETUP, "P&rint Setup..."), Separator(), RecentFiles(), Separator(),
               Item(ID_APP_EXIT, "E&xit")}},
             {"&Edit",
              {Item(ID_EDIT_UNDO, "&Undo\tCtrl+Z"), Item(ID_EDIT_REDO, "&Redo\tCtrl+Y"), Separator(),
               Item(ID_EDIT_CUT, "Cu&t\tCtrl+X"), Item(ID_EDIT_COPY, "&Copy\tCtrl+C"),
               Item(ID_EDIT_PASTE, "&Paste\tCtrl+V"), Item(ID_EDIT_SELECT_ALL, "Select A&ll\tCtrl+A"), Separator(),
               Item(ID_EDIT_FIND, "&Find...\tCtrl+F"), Item(ID_EDIT_REPEAT, "F&ind Next\tF3"),
               Item(ID_EDIT_REPLACE, "R&eplace\tCtrl+H"), Item(ID_EDIT_GO_TO_LINE, "&Go To Line...\tCtrl+J")}},
             {"&View",
              {Item(ID_VIEW_TOOLBAR, "&Toolbar"), Item(ID_VIEW_STATUS_BAR, "&Status Bar"),
               Item(ID_VIEW_HIDE_PASSWORDS, "Hide &Passwords\tCtrl+Shift+H"),
               Item(ID_VIEW_PASSWORD_HEALTH, "Password &Health..."), Item(ID_VIEW_WORD_WRAP, "&Word Wrap"),
               Item(ID_VIEW_LINE_NUMBERS, "&Line Numbers"), Separator(), Item(ID_VIEW_ZOOM_IN, "Zoom &In\tCtrl++"),
               Item(ID_VIEW_ZOOM_OUT, "Zoom &Out\tCtrl+-"), Item(ID_VIEW_ZOOM_RESET, "&Reset Zoom\tCtrl+0"),
               Item(ID_VIEW_FONT, "&Font..."), Separator(), Item(ID_VIEW_LOCK, "&Lock\tCtrl+L")}},
             {"&Settings",
              {Item(ID_SETTINGS_SCREEN_LOCK, "Screen Lock Options..."), Item(ID_SETTINGS_CLIPBOARD, "Clipboard..."),
               Item(ID_SETTINGS_DESKTOP_LOCK, "Lock with the Desktop"),
               Item(ID_SETTINGS_REOPEN_DOCUMENTS, "&Reopen Documents at Start"), Separator(),
               Item(ID_SET_FILE_PASSWORD, "Set New File Password..."),
               Item(ID_SETTINGS_DOCUMENT_ENCRYPTION, "Document Encryption...")}},
             {"&Window",
              {Item(ID_WINDOW_CASCADE, "&Cascade"), Item(ID_WINDOW_TILE_HORZ, "&Tile"),
               Item(ID_WINDOW_ARRANGE, "&Arrange Icons")}},
             {"&Help",
              {Item(ID_HELP, "&Help Topics\tF1"), Item(ID_HELP_WEB, "Lockwarden Editor on the Web..."),
               Item(ID_APP_ABOUT, "&About Lockwarden Editor...")}},
         }},
    };
    return menus;
}

} // namespace

const std::vector<MenuPopup>* FindMenuResource(int nID) {
    auto it = Menus().find(nID);
    return it == Menus().end() ? nullptr : &it->second;
}
