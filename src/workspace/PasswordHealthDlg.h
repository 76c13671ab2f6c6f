#pragma once

#include "docs/LockAwareDialog.h"
#include "passwords/Accounts.h"
#include "passwords/PasswordHealth.h"

#include <optional>
#include <utility>
#include <vector>

class CVaultoraChildFrame;
class QTreeWidget;

// "Password Health": the accounts of a passwords document whose password is empty, weak or shared,
// one row per finding, the accounts that share a password next to each other. Enter or a double
// click goes to the row's account. The screen lock closes it, and it comes back after the unlock.
class CPasswordHealthDlg : public CLockAwareDialog {
    Q_OBJECT
public:
    // The lists are only read, and only while the dialog is open.
    CPasswordHealthDlg(const AccountLists& lists, std::vector<passwords::HealthFinding> findings,
                       QWidget* pParent = nullptr);

    // After OK: the account to go to.
    std::optional<std::pair<AccountKind, int>> GetChosenAccount() const { return m_chosen; }

    // The words a row says.
    static QString KindName(AccountKind kind);

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    QTreeWidget* List() const;
    void Fill();

    const AccountLists& m_lists;
    std::vector<passwords::HealthFinding> m_findings;
    std::optional<std::pair<AccountKind, int>> m_chosen;
};

namespace workspace {

// View, Password Health: checks the window's document (off the user-interface thread, with the busy
// bar when it takes a while), shows the findings and selects the account the user picks.
void ShowPasswordHealth(CVaultoraChildFrame& frame);

} // namespace workspace
