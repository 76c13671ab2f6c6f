#pragma once

#include "framework/FormView.h"

class CVaultoraDoc;

// The form of any other account (card numbers, bank accounts, PIN codes and the like): its name
// as a heading and its other fields in edit fields.
class COtherAccView : public CFormView {
    Q_OBJECT
public:
    COtherAccView();
    ~COtherAccView() override;

    CVaultoraDoc* GetDocument() const;

    // Shows the record of a slot of the document's m_aOtherAccounts; an empty slot leaves the form as it was.
    void LoadAccount(int nIndex);

    // The slot of the record the form shows.
    int m_nIndex = 0;
};
