#pragma once

#include "docs/LockAwareDialog.h"

// "About Lockwarden Editor": name, version, when this program was built, and the web page.
class CAboutDlg : public CLockAwareDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* pParent = nullptr);

    // "Mar 31 2007 13:35:45": the date and time this program was compiled.
    static QString BuildStamp();

protected:
    bool OnInitDialog() override;
};
