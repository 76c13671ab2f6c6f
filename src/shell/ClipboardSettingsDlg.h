#pragma once

#include "docs/LockAwareDialog.h"

// "Clipboard": how many seconds a password copied from a form stays on the clipboard (0: until the
// screen locks or the program exits). OK writes it to the profile.
class CClipboardSettingsDlg : public CLockAwareDialog {
    Q_OBJECT
public:
    explicit CClipboardSettingsDlg(QWidget* pParent = nullptr);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
};
