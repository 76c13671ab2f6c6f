#include "textdoc/TextFontDlg.h"

#include "docs/LockGate.h"
#include "res/resource.h"

CTextFontDlg::CTextFontDlg(const QFont& initial, QWidget* pParent) : QFontDialog(initial, pParent) {
    setOptions(QFontDialog::MonospacedFonts | QFontDialog::DontUseNativeDialog);
    // Set again after the options: the list of families is filled anew when they change.
    setCurrentFont(initial);
}

void CTextFontDlg::CloseForLock() {
    if (!isVisible())
        return;
    if (CLockGate* lock = CLockGate::Get())
        lock->MarkForReplay(ID_VIEW_FONT);
    reject();
}
