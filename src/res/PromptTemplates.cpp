#include "framework/DialogTemplate.h"
#include "res/Resources.h"
#include "res/resource.h"

#include <map>

// The templates of the password and prompt dialogs.
const DlgTemplate* FindPromptDialogTemplate(int nID) {
    static const std::map<int, DlgTemplate> templates = {
        {IDD_SET_PASSWORD,
         {IDD_SET_PASSWORD,
          "Set Password",
          194,
          110,
          {
              {DlgKind::Static, -1, "Password:", 8, 10, 68, 9},
              {DlgKind::Password, IDC_PASSWORD, "", 78, 8, 108, 14},
              {DlgKind::Custom, IDC_SET_PASSWORD_STRENGTH, "", 78, 24, 108, 9, DS_NOTABSTOP, 0, nullptr,
               "StrengthMeter"},
              {DlgKind::Static, -1, "Confirm Password:", 8, 42, 68, 9},
              {DlgKind::Password, IDC_CONFIRM_PASSWORD, "", 78, 40, 108, 14},
              {DlgKind::Static, IDC_PASSWORD_FORMAT, "", 8, 61, 178, 18},
              {DlgKind::Static, IDC_CAPS_LOCK_WARNING, "Caps Lock is on.", 8, 90, 72, 9, DS_HIDDEN},
              {DlgKind::DefPushButton, IDOK, "Save", 82, 88, 50, 14},
              {DlgKind::PushButton, IDCANCEL, "Cancel", 136, 88, 50, 14},
          }}},
        {IDD_SAVE_CHANGES,
         {IDD_SAVE_CHANGES,
          "Lockwarden Editor",
          224,
          62,
          {
              {DlgKind::Icon, -1, nullptr, 8, 8, 21, 20, 0, IDI_QUESTION},
              {DlgKind::Static, IDC_SAVE_CHANGES_TEXT, "Save changes?", 38, 10, 178, 20},
              {DlgKind::DefPushButton, IDYES, "&Yes", 58, 40, 50, 14},
              {DlgKind::PushButton, IDNO, "&No", 112, 40, 50, 14},
              {DlgKind::PushButton, IDCANCEL, "Cancel", 166, 40, 50, 14},
          }}},
        {IDD_DECRYPT_FAILED,
         {IDD_DECRYPT_FAILED,
          "Lockwarden Editor",
          232,
          66,
          {
              {DlgKind::Icon, -1, nullptr, 8, 8, 21, 20, 0, IDI_FAILED},
              {DlgKind::Static, IDC_DECRYPT_FAILED_TEXT, "Failed to decrypt the file. ", 38, 8, 186, 18},
              {DlgKind::Static, -1, "Please check the password and try again.", 38, 28, 186, 9},
              {DlgKind::DefPushButton, IDOK, "OK", 174, 44, 50, 14},
          }}},
        {IDD_REPLACE_FILE,
         {IDD_REPLACE_FILE,
          "Lockwarden Editor",
          212,
          54,
          {
              {DlgKind::Icon, -1, nullptr, 8, 8, 21, 20, 0, IDI_QUESTION},
              {DlgKind::Static, -1, "The specified file already exists. Replace?", 38, 13, 166, 9},
              {DlgKind::DefPushButton, IDOK, "&Yes", 100, 32, 50, 14},
              {DlgKind::PushButton, IDCANCEL, "&No", 154, 32, 50, 14},
          }}},
    };
    auto it = templates.find(nID);
    return it == templates.end() ? nullptr : &it->second;
}
