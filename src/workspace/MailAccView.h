#pragma once

#include "framework/FormView.h"
#include "workspace/FormLayout.h"

class CVaultoraDoc;

// The form of an e-mail account: its name as a heading and its other fields in edit fields. What the
// user types goes straight into the record.
class CMailAccView : public CFormView {
    Q_OBJECT
public:
    CMailAccView();
    ~CMailAccView() override;

    CVaultoraDoc* GetDocument() const;

    // Shows the record of a slot of the document's m_aMailAccounts; an empty slot leaves the form as it was.
    void LoadAccount(int nIndex);
    void OnInitialUpdate() override;

    CFormLayout& GetLayout() { return m_layout; }

    // The slot of the record the form shows.
    int m_nIndex = 0;
    // True while an account is being shown: the fields' changes are then no user's.
    bool m_bLoading = false;

protected:
    void OnControlChanged(int nID, Notify code) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CFormLayout m_layout;
};
