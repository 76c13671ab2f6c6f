#pragma once

#include "framework/FormView.h"
#include "passwords/Accounts.h"
#include "passwords/VaultoraDoc.h"
#include "workspace/Activity.h"
#include "workspace/FormControls.h"

#include <initializer_list>

// How an account form's controls meet its record: which edit field shows which record field.
namespace workspace {

template <typename Record> struct FormField {
    int nID;
    platform::SecureString Record::*pMember;
};

// Shows the record of a slot: the form's index becomes the slot, then the name goes into its label and
// the fields follow in the order given. Showing is no change: while the fields are filled nothing is
// stored back into the record (a field's text may come back from its control in another form) and
// the document's modified flag is left alone. An empty slot changes nothing.
template <typename Record>
void LoadRecordIntoForm(CFormView& form, CVaultoraDoc* doc, const AccountList<Record>& list, int nSlot, int& nIndex,
                        bool& bLoading, int nNameID, std::initializer_list<FormField<Record>> fields) {
    if (!doc)
        return;
    const Record* record = list.At(nSlot);
    if (!record)
        return;
    nIndex = nSlot;
    const bool bWasLoading = bLoading;
    bLoading = true;
    form.SetDlgItemText(nNameID, RecordText(record->strName));
    for (const FormField<Record>& field : fields)
        SetFieldText(form.GetDlgItem(field.nID), RecordText(record->*field.pMember));
    bLoading = bWasLoading;
}

// A field the user changed: the record of the form's slot takes the field's whole text at once, so it
// always holds what the form shows, and the document becomes modified. The activity stamp is
// refreshed whether or not the slot still holds a record. False for a control that is no field.
// While the form is being loaded a change is the form's own, and nothing happens.
template <typename Record>
bool StoreFieldIntoRecord(CFormView& form, CVaultoraDoc* doc, const AccountList<Record>* list, int nIndex,
                          bool bLoading, int nID, std::initializer_list<FormField<Record>> fields) {
    for (const FormField<Record>& field : fields) {
        if (field.nID != nID)
            continue;
        if (bLoading)
            return true;
        if (Record* record = doc && list ? list->At(nIndex) : nullptr) {
            record->*field.pMember = ToRecordText(GetFieldText(form.GetDlgItem(nID)));
            doc->SetModifiedFlag(true);
        }
        StampActivity();
        return true;
    }
    return false;
}

} // namespace workspace
