#include "res/Resources.h"
#include "res/resource.h"

#include <map>

namespace {

const std::map<int, std::vector<AccelEntry>>& AccelTables() {
    static const std::map<int, std::vector<AccelEntry>> tables = {
        {IDR_MAINFRAME,
         {
             {QKeySequence(Qt::CTRL | Qt::Key_A), ID_EDIT_SELECT_ALL},
             {QKeySequence(Qt::CTRL | Qt::Key_C), ID_EDIT_COPY},
             {QKeySequence(Qt::CTRL | Qt::Key_Insert), ID_EDIT_COPY},
             {QKeySequence(Qt::CTRL | Qt::Key_F), ID_EDIT_FIND},
             {QKeySequence(Qt::CTRL | Qt::Key_G), ID_GO_TO_URL},
             {QKeySequence(Qt::CTRL | Qt::Key_H), ID_EDIT_REPLACE},
             // Password fields as dots, or as text again.
             {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H), ID_VIEW_HIDE_PASSWORDS},
             {QKeySequence(Qt::CTRL | Qt::Key_J), ID_EDIT_GO_TO_LINE},
             // Lock by keyboard, also while the tool bar is hidden; no other key of this table uses it.
             {QKeySequence(Qt::CTRL | Qt::Key_L), ID_VIEW_LOCK},
             {QKeySequence(Qt::CTRL | Qt::Key_N), ID_FILE_NEW},
             {QKeySequence(Qt::CTRL | Qt::Key_O), ID_FILE_OPEN},
             {QKeySequence(Qt::CTRL | Qt::Key_P), ID_FILE_PRINT},
             // A new password for the one-line account field that has the focus.
             {QKeySequence(Qt::CTRL | Qt::Key_R), ID_EDIT_GENERATE_PASSWORD},
             {QKeySequence(Qt::CTRL | Qt::Key_S), ID_FILE_SAVE},
             // The one-time code of the account the form shows.
             {QKeySequence(Qt::CTRL | Qt::Key_T), ID_EDIT_COPY_ONE_TIME_CODE},
             {QKeySequence(Qt::CTRL | Qt::Key_V), ID_EDIT_PASTE},
             {QKeySequence(Qt::SHIFT | Qt::Key_Insert), ID_EDIT_PASTE},
             {QKeySequence(Qt::CTRL | Qt::Key_X), ID_EDIT_CUT},
             {QKeySequence(Qt::SHIFT | Qt::Key_Delete), ID_EDIT_CUT},
             {QKeySequence(Qt::CTRL | Qt::Key_Z), ID_EDIT_UNDO},
             // Zoom of the text view: Ctrl+Plus also as Ctrl+= (the plus key's own face on many
             // keyboards) and from the keypad.
             {QKeySequence(Qt::CTRL | Qt::Key_Plus), ID_VIEW_ZOOM_IN},
             {QKeySequence(Qt::CTRL | Qt::Key_Equal), ID_VIEW_ZOOM_IN},
             {QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus)), ID_VIEW_ZOOM_IN},
             {QKeySequence(Qt::CTRL | Qt::Key_Minus), ID_VIEW_ZOOM_OUT},
             {QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus)), ID_VIEW_ZOOM_OUT},
             {QKeySequence(Qt::CTRL | Qt::Key_0), ID_VIEW_ZOOM_RESET},
             {QKeySequence(Qt::ALT | Qt::Key_Backspace), ID_EDIT_UNDO},
             // Redo under both names desktops give it.
             {QKeySequence(Qt::CTRL | Qt::Key_Y), ID_EDIT_REDO},
             {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), ID_EDIT_REDO},
             {QKeySequence(Qt::ALT | Qt::Key_Delete), ID_EDIT_CLEAR},
             {QKeySequence(Qt::Key_F3), ID_EDIT_REPEAT},
             {QKeySequence(Qt::Key_F6), ID_NEXT_PANE},
             {QKeySequence(Qt::SHIFT | Qt::Key_F6), ID_PREV_PANE},
             {QKeySequence(Qt::Key_Escape), ID_ACCEL_ESCAPE},
             // Both Enter keys, as the keyboard's Return and the keypad's Enter are one key to the user.
             {QKeySequence(Qt::ALT | Qt::Key_Return), ID_OLE_EDIT_PROPERTIES},
             {QKeySequence(QKeyCombination(Qt::AltModifier | Qt::KeypadModifier, Qt::Key_Enter)),
              ID_OLE_EDIT_PROPERTIES},
         }},
    };
    return tables;
}

} // namespace

const std::vector<AccelEntry>* FindAccelTable(int nID) {
    auto it = AccelTables().find(nID);
    return it == AccelTables().end() ? nullptr : &it->second;
}
