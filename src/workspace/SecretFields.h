#pragma once

class CCmdUI;
class CEditEx;
class CFormLayout;
class CFormView;
class QLineEdit;
class QMenu;
class QWidget;

// What the account forms' fields do for the secrets they hold: text copied or cut from them goes to
// the clipboard guard, and a one-line field takes a generated password ("Generate Password..." in
// its context menu, and the command of the same name).
namespace workspace {

// Marks every edit field of an account form as holding secrets, watches their copy and cut keys and
// gives the one-line ones the generator in their context menu.
void GuardSecretFields(CFormView* form);
// The context menu of a one-line secret field: the field's own, and "Generate Password...".
QMenu* BuildSecretFieldMenu(CEditEx* field);

// A field that holds an account's password: its selection never stays in the X primary selection,
// and it gets a reveal button beside it (laid out with it) for while the passwords are hidden.
void MarkPasswordField(QLineEdit* field, CFormLayout& layout);
// Another account is shown: the form's revealed passwords go back to dots.
void ConcealPasswords(QWidget* form);

// View, Hide Passwords: the profile's value (off unless set), and changing it, which every password
// field of every open passwords window follows at once.
bool PasswordsHidden();
void SetPasswordsHidden(bool bHide);

// Copy or cut by the keys, the Edit menu or the context menu: through the clipboard guard when the
// field is a secret one, also while it shows dots (the line edit itself copies nothing then).
void CopyFromField(QWidget* field, bool bCut);

// After a copy or cut in `field`: when it is a secret field, the clipboard's text is handed to the
// main frame's clipboard guard (with the hint for clipboard managers, and the countdown).
void OfferCopiedSecret(QWidget* field);

// The generator for the focused field: enabled on a one-line secret field that can be changed.
bool CanGenerateIntoFocusedField();
void UpdateGeneratePassword(CCmdUI& cmdUI);
// Shows the generator; on OK its password replaces the field's text as if typed.
void GeneratePasswordIntoFocusedField();

} // namespace workspace
