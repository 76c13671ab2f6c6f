#pragma once

// Every numeric id of the program: resources, dialog controls, string table entries and commands.
// The numbers are part of the program's identity (menus, accelerators and dialogs are wired by them),
// so they never change once given. The framework's own ids (dialog results, the File, Edit and Window
// commands and the like) come from its header.

#include "framework/StandardIds.h"

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
constexpr int IDD_DOCUMENT_ENCRYPTION = 190;
// Dialog templates of the passwords window's forms.
constexpr int IDD_WEB_ROOT = 103;      // folder form: Web Accounts
constexpr int IDD_BLANK_ROOT = 105;    // blank form: root or nothing selected
constexpr int IDD_WEB_ACCOUNT = 109;   // account form: web account
constexpr int IDD_MAIL_ROOT = 111;     // folder form: Email Accounts
constexpr int IDD_OTHER_ROOT = 113;    // folder form: Other Accounts
constexpr int IDD_MAIL_ACCOUNT = 115;  // account form: e-mail account
constexpr int IDD_OTHER_ACCOUNT = 117; // account form: other account

// Icons and cursors (128 is IDR_MAINFRAME, the program's own icon).
constexpr int IDC_HAND_CURSOR = 131;
constexpr int IDI_NEW_TEXT = 136;
constexpr int IDI_OPEN = 137;
constexpr int IDI_WEB = 138;
constexpr int IDI_NEW_PASSWORDS = 160;
constexpr int IDI_QUESTION = 165;
constexpr int IDB_SCREEN_LOCK = 168; // the picture of the Screen Lock Settings dialog
constexpr int IDI_PASSWORD = 170;
constexpr int IDI_FAILED = 172;
// Images of the account tree, in image-list order 0 to 4: 150, 144, 146, 147, 149.
constexpr int IDB_TREE_FOLDER = 144;
constexpr int IDB_TREE_WEB = 146;
constexpr int IDB_TREE_MAIL = 147;
constexpr int IDB_TREE_OTHER = 149;
constexpr int IDB_TREE_ROOT = 150;
// Icons of the account and folder forms.
constexpr int IDI_ADD_ACCOUNT = 151;
constexpr int IDI_WEB_ACCOUNT = 153;
constexpr int IDI_MAIL_ACCOUNT = 154;
constexpr int IDI_OTHER_ACCOUNT = 157;
constexpr int IDI_DELETE_ACCOUNT = 161;
constexpr int IDI_ADD_MORE = 162;

// String table entries that are not command prompts.
constexpr int IDP_OLE_INIT_FAILED = 100;
constexpr int ID_INDICATOR_POSITION = 101;   // status pane 1, the caret position of the text view
constexpr int ID_INDICATOR_ENCRYPTION = 191; // status pane 2, the format of the active document

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

// Controls of the Enter Password dialog.
constexpr int IDC_PASSWORD = 1006;
constexpr int IDC_PASSWORD_LABEL = 1099;
constexpr int IDC_CONFIRM_PASSWORD = 1007;    // Set Password: "Confirm Password:"
constexpr int IDC_CAPS_LOCK_WARNING = 1400;   // Enter/Set Password: "Caps Lock is on." while it is
constexpr int IDC_SAVE_CHANGES_TEXT = 1100;   // "Save changes to %s?"
constexpr int IDC_DECRYPT_FAILED_TEXT = 1101; // "Failed to decrypt the file: %s"
constexpr int IDC_PASSWORD_FILE = 1410;       // Enter Password for a named file: the file
constexpr int IDC_PASSWORD_NOTICE = 1416;     // and why its password is asked
constexpr int IDC_PASSWORD_FORMAT = 1417;     // Set Password: the format the file is written in

// The question when a document's file was changed on disk by another program.
constexpr int IDC_DISK_CHANGED_TEXT = 1411; // "NAME was changed on disk by another program."
constexpr int IDC_DISK_MERGE = 1412;
constexpr int IDC_DISK_RELOAD = 1413;
constexpr int IDC_DISK_KEEP_MINE = 1414;
constexpr int IDC_DISK_SAVE_MINE_AS = 1415;

// Controls of the Screen Lock Settings dialog.
constexpr int IDC_LOCK_TIMEOUT = 1093;
constexpr int IDC_LOCK_PASSWORD_ON = 1094;
constexpr int IDC_LOCK_WHEN_IDLE = 1095;
constexpr int IDC_LOCK_PROMPT_TEXT = 1096;
constexpr int IDC_LOCK_PASSWORD = 1097;
constexpr int IDC_LOCK_CONFIRM = 1098;
constexpr int IDC_LOCK_AT_STARTUP = 1102;

// Controls of the folder forms (web 103, e-mail 111, other 113) and the blank form (105).
constexpr int IDC_WEB_ROOT_ADD = 1019;
constexpr int IDC_WEB_ROOT_NAME = 1020;
constexpr int IDC_WEB_ROOT_CANCEL = 1021;
constexpr int IDC_MAIL_ROOT_NAME_LABEL = 1022;
constexpr int IDC_WEB_ROOT_TITLE = 1024;
constexpr int IDC_WEB_ROOT_NAME_LABEL = 1025;
constexpr int IDC_MAIL_ROOT_ADD = 1028;
constexpr int IDC_MAIL_ROOT_NAME = 1029;
constexpr int IDC_MAIL_ROOT_TITLE = 1030;
constexpr int IDC_OTHER_ROOT_TITLE = 1031;
constexpr int IDC_OTHER_ROOT_NAME_LABEL = 1032;
constexpr int IDC_OTHER_ROOT_NAME = 1033;
constexpr int IDC_OTHER_ROOT_ADD = 1034;
constexpr int IDC_BLANK_ADD_WEB = 1074;
constexpr int IDC_BLANK_ADD_MAIL = 1075;
constexpr int IDC_BLANK_ADD_OTHER = 1076;
constexpr int IDC_BLANK_TITLE = 1077;
constexpr int IDC_OTHER_ROOT_CANCEL = 1078;
constexpr int IDC_MAIL_ROOT_CANCEL = 1079;

// Controls of the web account form (109).
constexpr int IDC_WEB_HEADING = 1035;
constexpr int IDC_WEB_NAME = 1036;
constexpr int IDC_WEB_ADDRESS = 1037;
constexpr int IDC_WEB_USERID = 1038;
constexpr int IDC_WEB_PASSWORD = 1039;
constexpr int IDC_WEB_ADDRESS_LABEL = 1040;
constexpr int IDC_WEB_USERID_LABEL = 1041;
constexpr int IDC_WEB_PASSWORD_LABEL = 1042;
constexpr int IDC_WEB_NOTES_LABEL = 1043;
constexpr int IDC_WEB_NOTES = 1046;
constexpr int IDC_WEB_ADD_MORE = 1080;
constexpr int IDC_WEB_DELETE = 1081;

// Controls of the e-mail account form (115).
constexpr int IDC_MAIL_HEADING = 1047;
constexpr int IDC_MAIL_NAME = 1048;
constexpr int IDC_MAIL_ADDRESS_LABEL = 1049;
constexpr int IDC_MAIL_ADDRESS = 1050;
constexpr int IDC_MAIL_USERID_LABEL = 1051;
constexpr int IDC_MAIL_USERID = 1052;
constexpr int IDC_MAIL_PASSWORD_LABEL = 1053;
constexpr int IDC_MAIL_PASSWORD = 1054;
constexpr int IDC_MAIL_NOTES_LABEL = 1055;
constexpr int IDC_MAIL_NOTES = 1056;
constexpr int IDC_MAIL_SMTP_LABEL = 1057;
constexpr int IDC_MAIL_SMTP = 1058;
constexpr int IDC_MAIL_POP_LABEL = 1059;
constexpr int IDC_MAIL_POP = 1060;
constexpr int IDC_MAIL_WEBMAIL = 1061;
constexpr int IDC_MAIL_WEBMAIL_LABEL = 1062;
constexpr int IDC_MAIL_DELETE = 1082;
constexpr int IDC_MAIL_ADD_MORE = 1083;

// Controls of the other account form (117).
constexpr int IDC_OTHER_HEADING = 1063;
constexpr int IDC_OTHER_USERID_LABEL = 1064;
constexpr int IDC_OTHER_USERID = 1065;
constexpr int IDC_OTHER_PASSWORD_LABEL = 1066;
constexpr int IDC_OTHER_PASSWORD = 1067;
constexpr int IDC_OTHER_NOTES_LABEL = 1068;
constexpr int IDC_OTHER_NOTES = 1069;
constexpr int IDC_OTHER_NAME = 1070;
constexpr int IDC_OTHER_DELETE = 1084;
constexpr int IDC_OTHER_ADD_MORE = 1085;

// Disabled stand-ins in the edit fields' context menu (tool bar 155 has images for them); nothing
// handles them, so they always show disabled.
constexpr int ID_EDIT_FIELD_NO_URL = 119;
constexpr int ID_EDIT_FIELD_NO_DELETE = 120;
constexpr int ID_EDIT_FIELD_NO_SELECT_ALL = 123;
// The account tree's "Delete Selected Account" while the root or a folder is selected: nothing handles
// it, so it shows disabled.
constexpr int ID_DELETE_ACCOUNT_OFF = 122;

// Controls of the Document Encryption dialog.
constexpr int IDC_ENCRYPTION_COMPATIBLE = 1190;
constexpr int IDC_ENCRYPTION_STRONG = 1191;
constexpr int IDC_ENCRYPTION_NEW_STRONG = 1192;

// Commands of the program.
constexpr int ID_ACCEL_ESCAPE = 32768; // Esc in accelerator table 128; nothing carries it out
constexpr int ID_HELP_WEB = 32772;
constexpr int ID_ADD_WEB_ACCOUNT = 32774;
constexpr int ID_ADD_MAIL_ACCOUNT = 32775;
constexpr int ID_GO_TO_URL = 32777;
constexpr int ID_ADD_OTHER_ACCOUNT = 32787;
constexpr int ID_DELETE_ACCOUNT = 32788;
constexpr int ID_SETTINGS_SCREEN_LOCK = 32790;
constexpr int ID_SET_FILE_PASSWORD = 32791;
constexpr int ID_VIEW_LOCK = 32792;
constexpr int ID_VIEW_WIZARD = 32795;
constexpr int ID_SETTINGS_DOCUMENT_ENCRYPTION = 32816;
// Settings, "Lock with the Desktop": lock when the desktop session locks or the machine sleeps.
constexpr int ID_SETTINGS_DESKTOP_LOCK = 32870;
// File, "Import...": accounts exported by another password manager (or by lockwarden-cli) become a
// new passwords document.
constexpr int ID_FILE_IMPORT = 32880;
// File, "Recover Unsaved Work...": the recovery copies an editor that ended unexpectedly left behind.
constexpr int ID_FILE_RECOVER = 32881;
// No menu item: the start-up step that reopens the last session's documents, run again after the
// start-up lock is lifted.
constexpr int ID_FILE_REOPEN_LAST_SESSION = 32882;

// The clipboard guard and the password generator.
constexpr int ID_INDICATOR_CLIPBOARD = 1300; // status pane: seconds until a copied secret leaves the clipboard
constexpr int IDD_CLIPBOARD_SETTINGS = 1301;
constexpr int IDC_CLIPBOARD_CLEAR_SECONDS = 1302;
constexpr int IDD_PASSWORD_GENERATOR = 1310;
constexpr int IDC_GENERATOR_LENGTH = 1311;
constexpr int IDC_GENERATOR_UPPER = 1312;
constexpr int IDC_GENERATOR_LOWER = 1313;
constexpr int IDC_GENERATOR_DIGITS = 1314;
constexpr int IDC_GENERATOR_SYMBOLS = 1315;
constexpr int IDC_GENERATOR_AVOID_LOOK_ALIKE = 1316;
constexpr int IDC_GENERATOR_PASSWORD = 1317;
constexpr int IDC_GENERATOR_STRENGTH = 1318;
constexpr int IDC_GENERATOR_NEW = 1319;
constexpr int ID_SETTINGS_CLIPBOARD = 32850;
constexpr int ID_EDIT_GENERATE_PASSWORD = 32851;
// View, "Hide Passwords": the account forms' password fields show dots, each with a reveal button.
constexpr int ID_VIEW_HIDE_PASSWORDS = 32852;
// The text view: View, "Word Wrap"; Edit, "Go To Line...".
constexpr int ID_VIEW_WORD_WRAP = 32853;
constexpr int ID_EDIT_GO_TO_LINE = 32854;
constexpr int IDD_GO_TO_LINE = 1350;
constexpr int IDC_GO_TO_LINE = 1351;
// The text view: View, "Zoom In", "Zoom Out", "Reset Zoom", "Font...", "Line Numbers".
constexpr int ID_VIEW_ZOOM_IN = 32855;
constexpr int ID_VIEW_ZOOM_OUT = 32856;
constexpr int ID_VIEW_ZOOM_RESET = 32857;
constexpr int ID_VIEW_FONT = 32858;
constexpr int ID_VIEW_LINE_NUMBERS = 32859;
// Settings, "Reopen Documents at Start": the documents open at exit come back at the next start.
constexpr int ID_SETTINGS_REOPEN_DOCUMENTS = 32860;
// The account forms: "Copy One-Time Code" (Ctrl+T) copies the code their notes' secret gives.
constexpr int ID_EDIT_COPY_ONE_TIME_CODE = 32861;
// View, "Password Health...": the accounts whose password is empty, weak or shared.
constexpr int ID_VIEW_PASSWORD_HEALTH = 32862;
// The Password Health dialog.
constexpr int IDD_PASSWORD_HEALTH = 1360;
constexpr int IDC_HEALTH_SUMMARY = 1361;
constexpr int IDC_HEALTH_LIST_LABEL = 1362;
constexpr int IDC_HEALTH_LIST = 1363;
// The progress of the check, shown while a large file's passwords are rated.
constexpr int IDD_PASSWORD_HEALTH_PROGRESS = 1364;
constexpr int IDC_HEALTH_PROGRESS_TEXT = 1365;
constexpr int IDC_HEALTH_PROGRESS = 1366;
// Under the account forms' password field, the strength of the password; under their notes, the
// one-time code.
constexpr int IDC_WEB_STRENGTH = 1370;
constexpr int IDC_WEB_OTP_LABEL = 1371;
constexpr int IDC_WEB_OTP = 1372;
constexpr int IDC_MAIL_STRENGTH = 1373;
constexpr int IDC_MAIL_OTP_LABEL = 1374;
constexpr int IDC_MAIL_OTP = 1375;
constexpr int IDC_OTHER_STRENGTH = 1376;
constexpr int IDC_OTHER_OTP_LABEL = 1377;
constexpr int IDC_OTHER_OTP = 1378;
// The strength of a new password as it is typed: the file password (Set Password), the screen password
// (Screen Lock Settings) and the generator's candidate.
constexpr int IDC_SET_PASSWORD_STRENGTH = 1390;
constexpr int IDC_LOCK_STRENGTH = 1391;
constexpr int IDC_GENERATOR_METER = 1392;

// The Recover Unsaved Work dialog offered at start when recovery copies exist.
constexpr int IDD_RECOVER = 1340;
constexpr int IDC_RECOVER_TEXT = 1341;
constexpr int IDC_RECOVER_LIST_LABEL = 1342;
constexpr int IDC_RECOVER_LIST = 1343;
constexpr int IDC_RECOVER_DISCARD = 1344;
