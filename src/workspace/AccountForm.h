#pragma once

#include "passwords/Accounts.h"
#include "workspace/PasswordsForm.h"

#include <span>

class COneTimeCodeRow;
class CVaultoraDoc;

// The form of one account: its name as a heading and its other fields in edit fields. What the user
// types goes straight into the record, keystroke by keystroke. The three account forms differ only
// in their template and in which field shows which record field; the web and e-mail forms also open
// the first line of the focused field as a web address.
class CAccountForm : public CPasswordsForm {
    Q_OBJECT
public:
    // An edit field and the record field it shows, by its element name in the file.
    struct FormField {
        int nID;
        const char* szElement;
    };
    struct Shape {
        AccountKind kind;
        int nTemplate;
        int nHeading;
        int nName; // the label that shows the account's name
        int nAddMore;
        int nDelete;
        // In the order the fields are filled when an account is shown.
        std::span<const FormField> fields;
        bool bOpensLinks;
        // The web form has always marked the document modified after the Delete question, whatever
        // the answer.
        bool bDeleteMarksModified;
    };

    explicit CAccountForm(const Shape& shape);
    ~CAccountForm() override;

    CVaultoraDoc* GetDocument() const;

    // Shows the record of a slot of the document's list of the form's kind; an empty slot leaves
    // the form as it was. Showing is no change: the fields' change notifications store nothing and
    // leave the document's modified flag alone.
    void LoadAccount(int nIndex);
    void OnInitialUpdate() override;

    // The slot of the record the form shows.
    int m_nIndex = 0;
    // True while an account is being shown: the fields' changes are then no user's.
    bool m_bLoading = false;

protected:
    void OnControlChanged(int nID, Notify code) override;
    // A form the pane switches away from keeps no account's fields: hidden widgets are still read by
    // anything that walks the accessibility tree.
    void hideEvent(QHideEvent* event) override;

private:
    // Opens the first line of the focused field when it is a web address; does nothing otherwise
    // (the command is disabled then, so a user never gets here with anything else).
    static void GoToUrl();
    static QUrl FocusedWebAddress();

    const Shape m_shape;
    // The one-time code under the notes; made with the form's controls.
    COneTimeCodeRow* m_pOneTimeCode = nullptr;
};
