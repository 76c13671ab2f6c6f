#include "docs/SaveChangesDlg.h"

#include "res/resource.h"

#include <QShortcut>
#include <utility>

CSaveChangesDlg::CSaveChangesDlg(QWidget* pParent) : CLockAwareDialog(IDD_SAVE_CHANGES, IDCANCEL, 0, pParent) {
    MapCommand(IDYES, [this] { EndDialog(IDYES); });
    MapCommand(IDNO, [this] { EndDialog(IDNO); });
    // Y and N answer as in the system's own Yes/No/Cancel boxes; Escape is Cancel already.
    for (const auto& [key, nID] : {std::pair{Qt::Key_Y, IDYES}, std::pair{Qt::Key_N, IDNO}}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, [this, nID = nID] { EndDialog(nID); });
    }
}

QString CSaveChangesDlg::DisplayName(const QString& name) {
    const qsizetype last = name.lastIndexOf(QLatin1Char('/'));
    if (last > 0 && last < name.size() - 1)
        return name.mid(last + 1);
    return name;
}

bool CSaveChangesDlg::OnInitDialog() {
    CLockAwareDialog::OnInitDialog();
    SetDlgItemText(IDC_SAVE_CHANGES_TEXT, QStringLiteral("Save changes to %1?").arg(DisplayName(m_strDocumentName)));
    return true;
}

CDecryptFailedDlg::CDecryptFailedDlg(QWidget* pParent) : CLockAwareDialog(IDD_DECRYPT_FAILED, 0, 0, pParent) {}

bool CDecryptFailedDlg::OnInitDialog() {
    CLockAwareDialog::OnInitDialog();
    SetDlgItemText(IDC_DECRYPT_FAILED_TEXT, QStringLiteral("Failed to decrypt the file: %1").arg(m_strFileName));
    return true;
}

CReplaceFileDlg::CReplaceFileDlg(QWidget* pParent) : CLockAwareDialog(IDD_REPLACE_FILE, IDCANCEL, 0, pParent) {}
