#pragma once

// Every numeric id of the program: resources, dialog controls, string table entries and commands.
// The numbers are part of the program's identity (menus, accelerators and dialogs are wired by them),
// so they never change once given.

// Standard dialog results and the buttons that produce them.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Resources: menus, accelerators, tool bars, document strings, icons.
constexpr int IDR_CNTR_INPLACE = 6;
constexpr int IDR_ETXTYPE = 104; // text documents: menu 104 and document string 104
constexpr int IDR_MAINFRAME = 128;
constexpr int IDR_KVDTYPE = 129;    // passwords documents: document string 129
constexpr int IDR_EDIT_FIELD = 155; // tool bar whose images the edit fields' context menu shows

// Dialog templates.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_SET_PASSWORD = 132;
constexpr int IDD_ENTER_PASSWORD = 133;
constexpr int IDD_WELCOME = 135;
constexpr int IDD_NEW_DOCUMENT = 158;
constexpr int IDD_SAVE_CHANGES = 164;
constexpr int IDD_SCREEN_LOCK_SETTINGS = 166;
constexpr int IDD_DECRYPT_FAILED = 171;
constexpr int IDD_REPLACE_FILE = 174;

// Icons and cursors (128 is IDR_MAINFRAME, the program's own icon).
constexpr int IDC_HAND_CURSOR = 131;
constexpr int IDI_NEW_TEXT = 136;
constexpr int IDI_OPEN = 137;
constexpr int IDI_WEB = 138;
constexpr int IDI_NEW_PASSWORDS = 160;
constexpr int IDI_QUESTION = 165;
constexpr int IDI_PASSWORD = 170;
constexpr int IDI_FAILED = 172;

// String table entries that are not command prompts.
constexpr int IDP_OLE_INIT_FAILED = 100;
constexpr int ID_INDICATOR_POSITION = 101; // status pane 1, the caret position of the text view
constexpr int AFX_IDS_APP_TITLE = 57344;
constexpr int AFX_IDS_IDLEMESSAGE = 57345;

// Controls of the About box.
constexpr int IDC_ABOUT_VERSION = 1003;
constexpr int IDC_ABOUT_BUILD = 1004;
constexpr int IDC_ABOUT_LINK = 1005;
constexpr int IDC_ABOUT_TITLE = 1007;

// Controls of the Welcome dialog.
constexpr int IDC_WELCOME_NEW = 1014;
constexpr int IDC_WELCOME_OPEN = 1015;
constexpr int IDC_WELCOME_WEB = 1016;
constexpr int IDC_WELCOME_SHOW = 1018;

// Controls of the New Document chooser.
constexpr int IDC_NEW_PASSWORDS = 1072;
constexpr int IDC_NEW_TEXT = 1073;

// Commands of the program.
constexpr int ID_ACCEL_ESCAPE = 32768; // Esc in accelerator table 128; nothing carries it out
constexpr int ID_HELP_WEB = 32772;
constexpr int ID_ADD_WEB_ACCOUNT = 32774;
constexpr int ID_ADD_MAIL_ACCOUNT = 32775;
constexpr int ID_GO_TO_URL = 32777;
constexpr int ID_ADD_OTHER_ACCOUNT = 32787;
constexpr int ID_SETTINGS_SCREEN_LOCK = 32790;
constexpr int ID_SET_FILE_PASSWORD = 32791;
constexpr int ID_VIEW_LOCK = 32792;
constexpr int ID_VIEW_WIZARD = 32795;

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
constexpr int ID_WINDOW_NEW = 57648;
constexpr int ID_WINDOW_ARRANGE = 57649;
constexpr int ID_WINDOW_CASCADE = 57650;
constexpr int ID_WINDOW_TILE_HORZ = 57651;
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

// The recent-file list holds this many entries.
constexpr int RECENT_FILE_COUNT = 4;
