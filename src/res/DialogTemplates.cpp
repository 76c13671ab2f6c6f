#include "framework/DialogTemplate.h"
#include "res/Resources.h"
#include "res/resource.h"

#include <map>

// Dialog templates in dialog units. Every document type and dialog adds its own here, by number.
namespace {

const std::map<int, DlgTemplate>& Templates() {
    static const std::map<int, DlgTemplate> templates = {
        {IDD_ABOUTBOX,
         {IDD_ABOUTBOX,
          "About Lockwarden Editor",
          236,
          96,
          {
              {DlgKind::Icon, -1, nullptr, 10, 12, 24, 24, 0, IDR_MAINFRAME},
              {DlgKind::Static, IDC_ABOUT_TITLE, "Lockwarden Editor", 44, 8, 180, 16, 0, 0, nullptr, "Label"},
              {DlgKind::Static, IDC_ABOUT_VERSION, "Version ", 44, 26, 180, 12, 0, 0, nullptr, "Label"},
              {DlgKind::Static, IDC_ABOUT_BUILD, "Build: ", 44, 39, 180, 12, 0, 0, nullptr, "Label"},
              {DlgKind::Static, -1, "Contact: ", 44, 56, 34, 9},
              {DlgKind::Static, IDC_ABOUT_LINK, "", 78, 56, 150, 9, 0, 0, nullptr, "LinkLabel"},
              {DlgKind::DefPushButton, IDOK, "OK", 176, 75, 50, 14},
          }}},
        {IDD_WELCOME,
         {IDD_WELCOME,
          "Welcome",
          232,
          132,
          {
              {DlgKind::Static, -1, "Welcome to Lockwarden Editor!", 10, 8, 212, 12},
              {DlgKind::PushButton, IDC_WELCOME_NEW, "Create a new encrypted document...", 10, 24, 212, 24, 0,
               IDI_NEW_TEXT, "Create a new encrypted document...", "ShadedButton"},
              {DlgKind::PushButton, IDC_WELCOME_OPEN, "Open an existing encrypted document...", 10, 52, 212, 24, 0,
               IDI_OPEN, "Open an existing encrypted document...", "ShadedButton"},
              {DlgKind::PushButton, IDC_WELCOME_WEB, "Lockwarden Editor on the Web...", 10, 80, 212, 24, 0, IDI_WEB,
               "Lockwarden Editor on the Web...", "LinkButton"},
              {DlgKind::CheckBox, IDC_WELCOME_SHOW, "Show Welcome dialog at startup.", 10, 112, 212, 12},
          }}},
        {IDD_NEW_DOCUMENT,
         {IDD_NEW_DOCUMENT,
          "New Document...",
          232,
          86,
          {
              {DlgKind::Static, -1, "Select type of the document:", 10, 8, 212, 10},
              {DlgKind::PushButton, IDC_NEW_TEXT, "Create new encrypted free-form text document...", 10, 22, 212, 26, 0,
               IDI_NEW_TEXT, "New Encrypted Text Document...", "IconButton"},
              {DlgKind::PushButton, IDC_NEW_PASSWORDS, "Create new encrypted passwords document", 10, 52, 212, 26, 0,
               IDI_NEW_PASSWORDS, "New Encrypted Passwords Document...", "IconButton"},
          }}},
    };
    return templates;
}

} // namespace

const DlgTemplate* FindDialogTemplate(int nID) {
    auto it = Templates().find(nID);
    return it == Templates().end() ? nullptr : &it->second;
}
