#include "res/Resources.h"
#include "res/resource.h"

#include <map>

static void EnsureIconResources() {
    // The icons are compiled into the library; a static library must ask for them to be registered.
    static const bool registered = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)registered;
}

namespace {

QIcon IconFile(const char* name) {
    EnsureIconResources();
    return QIcon(QStringLiteral(":/icons/%1").arg(QLatin1String(name)));
}

} // namespace

QIcon LoadResIcon(int nID) {
    static const std::map<int, const char*> icons = {
        {IDR_MAINFRAME, "app.svg"},
        {IDI_NEW_TEXT, "newtext.svg"},
        {IDI_OPEN, "openfolder.svg"},
        {IDI_WEB, "web.svg"},
        {IDI_NEW_PASSWORDS, "newpasswords.svg"},
        {IDI_QUESTION, "question.svg"},
        {IDI_PASSWORD, "password.svg"},
        {IDI_FAILED, "failed.svg"},
        {IDB_SCREEN_LOCK, "screenlock.svg"},
        // The account tree's images and the icons of its forms.
        {IDB_TREE_ROOT, "vault.svg"},
        {IDB_TREE_FOLDER, "folder.svg"},
        {IDB_TREE_WEB, "webaccount.svg"},
        {IDB_TREE_MAIL, "mailaccount.svg"},
        {IDB_TREE_OTHER, "otheraccount.svg"},
        {IDI_ADD_ACCOUNT, "addaccount.svg"},
        {IDI_WEB_ACCOUNT, "webaccount.svg"},
        {IDI_MAIL_ACCOUNT, "mailaccount.svg"},
        {IDI_OTHER_ACCOUNT, "otheraccount.svg"},
        {IDI_DELETE_ACCOUNT, "deleteaccount.svg"},
        {IDI_ADD_MORE, "addaccount.svg"},
    };
    auto it = icons.find(nID);
    return it == icons.end() ? QIcon() : IconFile(it->second);
}

QIcon CommandIcon(int nID) {
    static const std::map<int, const char*> icons = {
        // Tool bar 128.
        {ID_FILE_NEW, "new.svg"},
        {ID_FILE_OPEN, "open.svg"},
        {ID_FILE_SAVE, "save.svg"},
        {ID_VIEW_WIZARD, "wizard.svg"},
        {ID_EDIT_CUT, "cut.svg"},
        {ID_EDIT_COPY, "copy.svg"},
        {ID_EDIT_PASTE, "paste.svg"},
        {ID_EDIT_FIND, "find.svg"},
        {ID_FILE_PRINT, "print.svg"},
        {ID_VIEW_LOCK, "lock.svg"},
        {ID_APP_ABOUT, "about.svg"},
        // Tool bar 155, the edit fields' context menu.
        {ID_EDIT_UNDO, "undo.svg"},
        {ID_EDIT_CLEAR, "delete.svg"},
        {ID_EDIT_FIELD_NO_DELETE, "delete.svg"},
        {ID_EDIT_SELECT_ALL, "selectall.svg"},
        {ID_EDIT_FIELD_NO_SELECT_ALL, "selectall.svg"},
        {ID_GO_TO_URL, "web.svg"},
        {ID_EDIT_FIELD_NO_URL, "web.svg"},
        // Tool bar 155, the account tree's context menu.
        {ID_ADD_WEB_ACCOUNT, "webaccount.svg"},
        {ID_ADD_MAIL_ACCOUNT, "mailaccount.svg"},
        {ID_ADD_OTHER_ACCOUNT, "otheraccount.svg"},
        {ID_DELETE_ACCOUNT, "deleteaccount.svg"},
        {ID_DELETE_ACCOUNT_OFF, "deleteaccount.svg"},
    };
    auto it = icons.find(nID);
    return it == icons.end() ? QIcon() : IconFile(it->second);
}
