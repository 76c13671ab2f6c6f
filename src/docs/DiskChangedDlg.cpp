#include "docs/DiskChangedDlg.h"

#include "framework/DialogTemplate.h"
#include "res/resource.h"

namespace {

DlgTemplate QuestionTemplate(const char* szFirst, int nFirst) {
    return {0,
            "Lockwarden Editor",
            236,
            50,
            {
                {DlgKind::Icon, -1, nullptr, 8, 8, 21, 20, 0, IDI_QUESTION},
                {DlgKind::Static, IDC_DISK_CHANGED_TEXT, "", 38, 8, 190, 18},
                {DlgKind::DefPushButton, nFirst, szFirst, 68, 30, 52, 14},
                {DlgKind::PushButton, IDC_DISK_RELOAD, "&Reload", 124, 30, 50, 14},
                {DlgKind::PushButton, IDC_DISK_KEEP_MINE, "&Keep Mine", 178, 30, 50, 14},
            }};
}

const DlgTemplate kMergeTemplate = QuestionTemplate("&Merge", IDC_DISK_MERGE);
const DlgTemplate kSaveAsTemplate = QuestionTemplate("Save Mine &As...", IDC_DISK_SAVE_MINE_AS);

} // namespace

CDiskChangedDlg::CDiskChangedDlg(bool bCanMerge, QWidget* pParent)
    : CLockAwareDialog(bCanMerge ? kMergeTemplate : kSaveAsTemplate, IDCANCEL, 0, pParent) {
    for (int nID : {IDC_DISK_MERGE, IDC_DISK_SAVE_MINE_AS, IDC_DISK_RELOAD, IDC_DISK_KEEP_MINE})
        MapCommand(nID, [this, nID] { EndDialog(nID); });
}

bool CDiskChangedDlg::OnInitDialog() {
    CLockAwareDialog::OnInitDialog();
    SetDlgItemText(IDC_DISK_CHANGED_TEXT,
                   QStringLiteral("%1 was changed on disk by another program.").arg(m_strFileName));
    return true;
}
