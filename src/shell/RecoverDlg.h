#pragma once

#include "cipher/RecoveryFile.h"
#include "docs/LockAwareDialog.h"

#include <vector>

class QTreeWidget;

// "Recover Unsaved Work": the copies of unsaved work that a crash, a kill or a logout left behind,
// one row each (the document's file and when the copy was written). The dialog only asks; its
// caller recovers or discards the copies. Escape and the close box decide nothing: they end it as
// Later, and the copies stay. The screen lock ends it too, and the offer comes again after the unlock.
class CRecoverDlg : public CLockAwareDialog {
    Q_OBJECT
public:
    static constexpr int kRecover = IDOK;
    static constexpr int kLater = IDCANCEL;
    static constexpr int kDiscard = 3;

    explicit CRecoverDlg(QWidget* pParent = nullptr);

    // The copies to list, in the order to show them.
    std::vector<cipher::RecoveryCopy> m_copies;

    // How a copy's time is shown: the local date and time, short.
    static QString TimeText(int64_t secondsSinceEpoch);

protected:
    bool OnInitDialog() override;

private:
    QTreeWidget* List() const;
};
