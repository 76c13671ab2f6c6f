#pragma once

#include "docs/LockAwareDialog.h"

// "Save changes to %s?" with Yes (6), No (7) and Cancel (2).
class CSaveChangesDlg : public CLockAwareDialog {
    Q_OBJECT
public:
    explicit CSaveChangesDlg(QWidget* pParent = nullptr);

    // The document's path or title. A name with a separator inside it (not first, not last) is
    // shown from the part after its last separator.
    QString m_strDocumentName;

    // The name as the question shows it.
    static QString DisplayName(const QString& name);

protected:
    bool OnInitDialog() override;
};

// "Failed to decrypt the file: %s": the notice when a file does not decipher under the password.
class CDecryptFailedDlg : public CLockAwareDialog {
    Q_OBJECT
public:
    explicit CDecryptFailedDlg(QWidget* pParent = nullptr);

    QString m_strFileName;

protected:
    bool OnInitDialog() override;
};

// "The specified file already exists. Replace?" with Yes (1) and No (2).
class CReplaceFileDlg : public CLockAwareDialog {
    Q_OBJECT
public:
    explicit CReplaceFileDlg(QWidget* pParent = nullptr);
};
