#pragma once

#include "framework/LockClosable.h"

#include <QFileDialog>

// Flags of the file dialog that the program uses.
constexpr unsigned OFN_HIDEREADONLY = 0x4;
constexpr unsigned OFN_OVERWRITEPROMPT = 0x2;
constexpr unsigned OFN_FILEMUSTEXIST = 0x1000;

// The file dialog for Open and Save As. The filter is given in the "Name|patterns|Name|patterns|"
// form, patterns separated by ";". It is always Qt's own dialog, so that the program (the screen
// lock) and tests can close or answer it. DoModal returns IDOK or IDCANCEL.
class CFileDialog : public QFileDialog, public CLockClosable {
    Q_OBJECT
public:
    CFileDialog(bool bOpenFileDialog, const QString& defExt = {}, const QString& fileName = {}, unsigned flags = 0,
                const QString& filter = {}, QWidget* pParent = nullptr);

    int DoModal();
    QString GetPathName() const { return m_strPathName; }
    bool IsOpenDialog() const { return m_bOpenFileDialog; }

    // The screen locked: the dialog ends as cancelled.
    void CloseForLock() override { reject(); }

    // "Text (*.a;*.b)|*.a;*.b|" -> {"Text (*.a *.b)"}: Qt reads the patterns from the parentheses.
    static QStringList ConvertFilter(const QString& filter);

private:
    bool m_bOpenFileDialog;
    QString m_strPathName;
};
