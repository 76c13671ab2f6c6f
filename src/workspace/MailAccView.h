#pragma once

#include "framework/FormView.h"

class CVaultoraDoc;

// The form of an e-mail account: its name as a heading and its other fields in edit fields.
class CMailAccView : public CFormView {
    Q_OBJECT
public:
    CMailAccView();
    ~CMailAccView() override;

    CVaultoraDoc* GetDocument() const;

    // Shows the record of a slot of the document's m_aMailAccounts; an empty slot leaves the form as it was.
    void LoadAccount(int nIndex);

    // The slot of the record the form shows.
    int m_nIndex = 0;
};
