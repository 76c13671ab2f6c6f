#pragma once

#include "framework/FormView.h"
#include "workspace/FormLayout.h"

// The form of the Email Accounts folder, where a new e-mail account is named and added. Add stays
// disabled while the name is empty; any other text, spaces alone included, is a name.
class EMailAccountsRootView : public CFormView {
    Q_OBJECT
public:
    EMailAccountsRootView();
    ~EMailAccountsRootView() override;

    void OnInitialUpdate() override;
    CFormLayout& GetLayout() { return m_layout; }

protected:
    void OnControlChanged(int nID, Notify code) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnAdd();
    void OnCancel();

    CFormLayout m_layout;
};
