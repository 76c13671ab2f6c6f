#include "res/Resources.h"
#include "res/resource.h"

#include <map>

namespace {

// Command strings are "status bar prompt\ntool tip"; the tool bar shows the tool tip as the button text.
const std::map<int, const char*>& StringTable() {
    static const std::map<int, const char*> table = {
        {IDP_OLE_INIT_FAILED, "OLE initialization failed.  Make sure that the OLE libraries are the correct version."},
        {ID_INDICATOR_POSITION, " "},
        {ID_INDICATOR_ENCRYPTION, " "},
        {IDR_ETXTYPE, "\nUntitled\nRAvud\nLockwarden Encrypted Text Files (*.etx)\n.etx\nEtx.Document\nLockwarden "
                      "Encrypted Text"},
        {IDR_MAINFRAME, "Lockwarden Editor"},
        {IDR_KVDTYPE, "\nUntitled\nWebAcc\nLockwarden Encrypted Data Files (*.kvd)\n.kvd\nKvd.Document\nLockwarden "
                      "Encrypted Data"},
        {AFX_IDS_APP_TITLE, "Lockwarden Editor"},
        {AFX_IDS_IDLEMESSAGE, "Ready"},
        {ID_INDICATOR_CAPS, "CAP"},
        {ID_INDICATOR_NUM, "NUM"},
        {ID_INDICATOR_SCRL, "SCRL"},

        {ID_HELP_WEB, "Lockwarden Editor on the Web..."},
        {ID_ADD_WEB_ACCOUNT, "Add Web Account..."},
        {ID_ADD_MAIL_ACCOUNT, "Add Email Account..."},
        {ID_ADD_OTHER_ACCOUNT, "Add Other Account..."},
        {ID_DELETE_ACCOUNT, "Delete selected account..."},
        {ID_GO_TO_URL, "Open the address in a browser\nGo to the URL"},
        {ID_SETTINGS_SCREEN_LOCK, "Change the screen lock options\nScreen Lock Options"},
        {ID_SET_FILE_PASSWORD, "Give the active document a new file password\nSet New File Password"},
        {ID_VIEW_LOCK, "Lock the screen\nLock"},
        {ID_SETTINGS_DOCUMENT_ENCRYPTION,
         "Choose how the active document is enciphered, and how new documents start\nDocument Encryption"},
        {ID_SETTINGS_DESKTOP_LOCK,
         "Lock the editor when the desktop session locks or the computer goes to sleep\nLock with the Desktop"},
        {ID_VIEW_WIZARD, "Show the Welcome dialog\nWizard"},
        {ID_INDICATOR_CLIPBOARD, " "},
        {ID_SETTINGS_CLIPBOARD, "Choose when a copied password leaves the clipboard\nClipboard"},
        {ID_EDIT_GENERATE_PASSWORD, "Put a new random password into the field\nGenerate Password"},
        {ID_EDIT_COPY_ONE_TIME_CODE, "Copy the account's one-time code to the clipboard\nCopy One-Time Code"},
        {ID_VIEW_PASSWORD_HEALTH, "List the accounts whose password is empty, weak or shared\nPassword Health"},

        {ID_FILE_NEW, "Create a new document\nNew"},
        {ID_FILE_OPEN, "Open an existing document\nOpen"},
        {ID_FILE_IMPORT, "Make a new passwords document from a KeePassXC, Bitwarden, CSV or JSON export\nImport"},
        {ID_FILE_RECOVER,
         "Open the unsaved work that an editor which ended unexpectedly left behind\nRecover Unsaved Work"},
        {ID_FILE_CLOSE, "Close the active document\nClose"},
        {ID_FILE_SAVE, "Save the active document\nSave"},
        {ID_FILE_SAVE_AS, "Save the active document with a new name\nSave As"},
        {ID_FILE_PRINT_SETUP, "Change the printer and printing options\nPrint Setup"},
        {ID_FILE_PRINT, "Print the active document\nPrint"},
        {ID_FILE_PRINT_DIRECT, "Print the active document using current options\nQuick Print"},
        {ID_FILE_PRINT_PREVIEW, "Display full pages\nPrint Preview"},
        {ID_FILE_MRU_FILE1, "Open this document"},
        {ID_FILE_MRU_FILE2, "Open this document"},
        {ID_FILE_MRU_FILE3, "Open this document"},
        {ID_FILE_MRU_FILE4, "Open this document"},
        {ID_EDIT_CLEAR, "Erase the selection\nErase"},
        {ID_EDIT_COPY, "Copy the selection and put it on the Clipboard\nCopy"},
        {ID_EDIT_CUT, "Cut the selection and put it on the Clipboard\nCut"},
        {ID_EDIT_FIND, "Find the specified text\nFind"},
        {ID_EDIT_PASTE, "Insert Clipboard contents\nPaste"},
        {ID_EDIT_REPEAT, "Find the next occurrence of the text\nFind Next"},
        {ID_EDIT_REPLACE, "Replace specific text with different text\nReplace"},
        {ID_EDIT_SELECT_ALL, "Select the entire document\nSelect All"},
        {ID_EDIT_UNDO, "Undo the last action\nUndo"},
        {ID_EDIT_REDO, "Redo the last action undone\nRedo"},
        {ID_EDIT_GO_TO_LINE, "Move the caret to a line of the text\nGo To Line"},
        {ID_VIEW_WORD_WRAP, "Wrap long lines at the window's edge\nWord Wrap"},
        {ID_VIEW_LINE_NUMBERS, "Number the lines of the text in a margin\nLine Numbers"},
        {ID_VIEW_ZOOM_IN, "Show the text larger\nZoom In"},
        {ID_VIEW_ZOOM_OUT, "Show the text smaller\nZoom Out"},
        {ID_VIEW_ZOOM_RESET, "Show the text at the font's own size\nReset Zoom"},
        {ID_VIEW_FONT, "Choose the font of the text windows and their printing\nFont"},
        {ID_SETTINGS_REOPEN_DOCUMENTS, "Open the documents of the last session again at start\nReopen Documents"},
        {ID_WINDOW_NEW, "Lock the screen\nLock"},
        {ID_WINDOW_ARRANGE, "Arrange icons at the bottom of the window\nArrange Icons"},
        {ID_WINDOW_CASCADE, "Arrange windows so they overlap\nCascade Windows"},
        {ID_WINDOW_TILE_HORZ, "Arrange windows as non-overlapping tiles\nTile Windows"},
        {ID_APP_ABOUT, "Display program information, version number and copyright\nAbout"},
        {ID_APP_EXIT, "Quit the application; prompts to save documents\nExit"},
        {ID_HELP, "Display help..."},
        {ID_NEXT_PANE, "Switch to the next window pane\nNext Pane"},
        {ID_PREV_PANE, "Switch back to the previous window pane\nPrevious Pane"},
        {ID_OLE_EDIT_PROPERTIES, "Show the properties of the selected object\nProperties"},
        {ID_VIEW_TOOLBAR, "Show or hide the toolbar\nToggle ToolBar"},
        {ID_VIEW_STATUS_BAR, "Show or hide the status bar\nToggle StatusBar"},
    };
    return table;
}

} // namespace

QString LoadResString(int nID) {
    auto it = StringTable().find(nID);
    return it == StringTable().end() ? QString() : QString::fromUtf8(it->second);
}
