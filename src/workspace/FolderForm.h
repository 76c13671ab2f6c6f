#pragma once

#include "passwords/Accounts.h"
#include "workspace/PasswordsForm.h"

// The form of one of the three folders, where a new account of the folder's kind is named and
// added. Add stays disabled while the name is empty; any other text, spaces alone included, is a
// name. The three folder forms differ only in their template's ids and the kind they add.
class CFolderForm : public CPasswordsForm {
    Q_OBJECT
public:
    struct Ids {
        AccountKind kind;
        int nTemplate;
        int nName;
        int nAdd;
        int nCancel;
        int nTitle;
        int nNameLabel;
    };

    explicit CFolderForm(const Ids& ids);
    ~CFolderForm() override;

    void OnInitialUpdate() override;

protected:
    void OnControlChanged(int nID, Notify code) override;

private:
    void OnAdd();
    void OnCancel();

    const Ids m_ids;
};
