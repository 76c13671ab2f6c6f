#pragma once

#include "docs/LockAwareDialog.h"

// "NAME was changed on disk by another program.": what to do with a modified document whose file
// another program wrote. A passwords document offers Merge (the default), Reload and Keep Mine; a
// text document, which can't be merged, Save Mine As (the default), Reload and Keep Mine. The answer
// is the button's id; Escape (IDCANCEL) decides nothing.
class CDiskChangedDlg : public CLockAwareDialog {
    Q_OBJECT
public:
    explicit CDiskChangedDlg(bool bCanMerge, QWidget* pParent = nullptr);

    QString m_strFileName;

protected:
    bool OnInitDialog() override;
};
