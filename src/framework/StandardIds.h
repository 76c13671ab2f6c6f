#pragma once

// The framework's own ids: the standard dialog results, the File, Edit, Window, View and Help
// commands it carries out or that every program of its kind shares, its status indicators and
// strings. They keep the numbers the original framework gave them, so menus and accelerators
// written for it still find them. The program's other ids live in res/resource.h, which includes
// this header.

// Standard dialog results and the buttons that produce them.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Strings the framework shows: the application's title (message boxes' caption) and the idle
// text of the status bar's first pane.
constexpr int AFX_IDS_APP_TITLE = 57344;
constexpr int AFX_IDS_IDLEMESSAGE = 57345;

// Commands of the framework.
constexpr int ID_FILE_NEW = 57600;
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_FILE_CLOSE = 57602;
constexpr int ID_FILE_SAVE = 57603;
constexpr int ID_FILE_SAVE_AS = 57604;
constexpr int ID_FILE_PRINT_SETUP = 57606;
constexpr int ID_FILE_PRINT = 57607;
constexpr int ID_FILE_PRINT_DIRECT = 57608;
constexpr int ID_FILE_PRINT_PREVIEW = 57609;
constexpr int ID_FILE_MRU_FILE1 = 57616;
constexpr int ID_FILE_MRU_FILE2 = 57617;
constexpr int ID_FILE_MRU_FILE3 = 57618;
constexpr int ID_FILE_MRU_FILE4 = 57619;
constexpr int ID_EDIT_CLEAR = 57632;
constexpr int ID_EDIT_COPY = 57634;
constexpr int ID_EDIT_CUT = 57635;
constexpr int ID_EDIT_FIND = 57636;
constexpr int ID_EDIT_PASTE = 57637;
constexpr int ID_EDIT_REPEAT = 57640;
constexpr int ID_EDIT_REPLACE = 57641;
constexpr int ID_EDIT_SELECT_ALL = 57642;
constexpr int ID_EDIT_UNDO = 57643;
constexpr int ID_EDIT_REDO = 57644;
constexpr int ID_WINDOW_NEW = 57648;
constexpr int ID_WINDOW_ARRANGE = 57649;
constexpr int ID_WINDOW_CASCADE = 57650;
constexpr int ID_WINDOW_TILE_HORZ = 57651;
// The Window menu's list of document windows: the first nine, then "More Windows...".
constexpr int AFX_IDM_FIRST_MDICHILD = 65280;
constexpr int AFX_IDM_MORE_WINDOWS = AFX_IDM_FIRST_MDICHILD + 9;
// Ctrl+F6 / Ctrl+Tab and Ctrl+Shift+F6 / Ctrl+Shift+Tab: the next and the previous document window.
constexpr int SC_NEXTWINDOW = 61504;
constexpr int SC_PREVWINDOW = 61520;
constexpr int ID_APP_ABOUT = 57664;
constexpr int ID_APP_EXIT = 57665;
constexpr int ID_HELP = 57670;
constexpr int ID_NEXT_PANE = 57680;
constexpr int ID_PREV_PANE = 57681;
constexpr int ID_OLE_EDIT_PROPERTIES = 57860;
constexpr int ID_INDICATOR_CAPS = 59137;
constexpr int ID_INDICATOR_NUM = 59138;
constexpr int ID_INDICATOR_SCRL = 59139;
constexpr int ID_VIEW_TOOLBAR = 59392;
constexpr int ID_VIEW_STATUS_BAR = 59393;

// Control id of the first pane of a splitter; the pane at (row, column) has this + 16 * row + column.
constexpr int AFX_IDW_PANE_FIRST = 59648;

// The recent-file list holds this many entries.
constexpr int RECENT_FILE_COUNT = 4;
