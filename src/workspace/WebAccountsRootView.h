#pragma once

#include "framework/FormView.h"
#include "workspace/FormLayout.h"

// The form of the Web Accounts folder, where a new web account is named and added. Add stays
// disabled while the name is empty; any other text, spaces alone included, is a name.
class WebAccountsRootView : public CFormView {
    Q_OBJECT
public:
    WebAccountsRootView();
    ~WebAccountsRootView() override;

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
