#pragma once

#include "framework/FormView.h"

class CVaultoraDoc;

// The form of a web account: its name as a heading and its other fields in edit fields.
class CWebAccView : public CFormView {
    Q_OBJECT
public:
    CWebAccView();
    ~CWebAccView() override;

    CVaultoraDoc* GetDocument() const;

    // Shows the record of a slot of the document's m_aWebAccounts; an empty slot leaves the form as it was.
    void LoadAccount(int nIndex);

    // The slot of the record the form shows.
    int m_nIndex = 0;
};
