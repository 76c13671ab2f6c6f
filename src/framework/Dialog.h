#pragma once

#include "framework/CmdTarget.h"
#include "framework/DialogTemplate.h"
#include "framework/LockClosable.h"
#include "framework/StandardIds.h"

#include <QDialog>

// A modal dialog built from a numbered template. DoModal returns the code the dialog ended with:
// IDOK (1) from the button with id 1, IDCANCEL (2) from id 2 or Esc, or whatever EndDialog was given.
// Buttons with other ids are carried out through the dialog's command map.
class CDialog : public QDialog, public CCmdTarget, public CDlgHost, public CLockClosable {
    Q_OBJECT
public:
    explicit CDialog(int nIDTemplate, QWidget* pParent = nullptr);
    CDialog(const DlgTemplate& tmpl, QWidget* pParent = nullptr);
    ~CDialog() override;

    int DoModal();
    void EndDialog(int nResult);

    QWidget* GetDlgItem(int nID) const { return FindDlgItem(this, nID); }
    QString GetDlgItemText(int nID) const;
    void SetDlgItemText(int nID, const QString& text);
    bool IsDlgButtonChecked(int nID) const;
    void CheckDlgButton(int nID, bool bCheck);
    void EnableDlgItem(int nID, bool bEnable);

    int GetTemplateID() const { return m_pTemplate ? m_pTemplate->id : 0; }
    bool IsRunning() const { return m_bRunning; }

    // The screen locked: a plain dialog ends as cancelled.
    void CloseForLock() override { EndDialog(IDCANCEL); }

protected:
    // Called each time the dialog is about to be shown; the controls exist by then.
    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // The close box; like Cancel unless a dialog says otherwise.
    virtual void OnClose() { OnCancel(); }
    // Called when the dialog window goes away, however it was closed.
    virtual void OnDestroy() {}
    // Edits changing and combo selections changing.
    virtual void OnControlChanged(int /*nID*/, Notify /*code*/) {}

    void OnDlgNotify(int nID, Notify code) override;
    void reject() override;
    void accept() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Build();

    const DlgTemplate* m_pTemplate;
    bool m_bBuilt = false;
    bool m_bRunning = false;
};
