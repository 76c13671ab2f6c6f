#include "framework/Dialog.h"

#include "framework/ResourceRegistry.h"
#include "framework/WinApp.h"

#include <QAbstractButton>
#include <QCloseEvent>

CDialog::CDialog(int nIDTemplate, QWidget* pParent)
    : QDialog(pParent ? pParent : AfxGetMainWnd()), m_pTemplate(AfxFindDialogTemplate(nIDTemplate)) {}

CDialog::CDialog(const DlgTemplate& tmpl, QWidget* pParent)
    : QDialog(pParent ? pParent : AfxGetMainWnd()), m_pTemplate(&tmpl) {}

CDialog::~CDialog() = default;

void CDialog::Build() {
    if (m_bBuilt)
        return;
    m_bBuilt = true;
    // A dialog: title and close box only. Minimising one (the screen-password prompt above all) would
    // hide the whole program behind a window the user cannot find again.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    if (!m_pTemplate)
        return;
    setWindowTitle(QString::fromUtf8(m_pTemplate->caption));
    setObjectName(QStringLiteral("dlg%1").arg(m_pTemplate->id));
    setFixedSize(BuildDialogControls(*m_pTemplate, this, this));
}

int CDialog::DoModal() {
    Build();
    if (!OnInitDialog())
        return -1;
    m_bRunning = true;
    const int result = exec();
    m_bRunning = false;
    OnDestroy();
    return result;
}

void CDialog::EndDialog(int nResult) {
    done(nResult);
}

void CDialog::OnDlgNotify(int nID, Notify code) {
    if (code != Clicked) {
        OnControlChanged(nID, code);
        return;
    }
    if (OnCmdMsg(nID))
        return;
    if (nID == IDOK)
        OnOK();
    else if (nID == IDCANCEL)
        OnCancel();
}

void CDialog::reject() {
    OnCancel();
}

void CDialog::accept() {
    OnOK();
}

void CDialog::closeEvent(QCloseEvent* event) {
    // The dialog decides in OnClose; it stays open unless that ended it.
    event->ignore();
    OnClose();
}

QString CDialog::GetDlgItemText(int nID) const {
    return GetControlText(GetDlgItem(nID));
}

void CDialog::SetDlgItemText(int nID, const QString& text) {
    SetControlText(GetDlgItem(nID), text);
}

bool CDialog::IsDlgButtonChecked(int nID) const {
    auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(nID));
    return button && button->isChecked();
}

void CDialog::CheckDlgButton(int nID, bool bCheck) {
    if (auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(nID)))
        button->setChecked(bCheck);
}

void CDialog::EnableDlgItem(int nID, bool bEnable) {
    if (QWidget* control = GetDlgItem(nID))
        control->setEnabled(bEnable);
}
