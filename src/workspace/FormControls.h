#pragma once

#include "platform/SecureMemory.h"
#include "res/resource.h"

#include <QColor>
#include <QString>
#include <QUrl>

class CCmdUI;
class CFormView;
class CLeftView;
class QWidget;

// What the forms of the passwords window share: their controls and the text of the records.
namespace workspace {

// The template id of a form, once the control classes its template names can be built. Forms pass
// their template through this so that the controls exist whoever builds the first form.
int FormTemplate(int nIDTemplate);

// Readies the form's labels: aligned as the template says (the label control itself does not read
// it), and showing their text as it is, since some show account names, which may look like markup.
void PrepareTemplateLabels(CFormView* form, int nIDTemplate);

// A record field as the controls show it, and back.
QString RecordText(const platform::SecureString& field);
platform::SecureString ToRecordText(const QString& text);

// The text of a form's edit field as the record holds it, and the other way: exactly, with no
// character or line break changed.
QString GetFieldText(const QWidget* control);
void SetFieldText(QWidget* control, const QString& text);

// The look of the forms' edit fields: pale yellow, black text in a serif face of the given
// character height (15 for one line, 12 for notes).
void StyleFormEdit(QWidget* edit, int nCharHeight);
// A label's face, character height and colour.
void StyleFormLabel(CFormView* form, int nID, int nCharHeight, const QColor& colour);
inline const QColor kCaptionColour{0, 0, 192};

// Mouse moves over the form or any of its controls count as activity for the screen lock.
void TrackMouseActivity(CFormView* form);

// The account tree of the window the form belongs to.
CLeftView* FormTree(CFormView* form);

// The Edit commands of the forms, acting on whatever window has the keyboard focus.
inline constexpr int kEditCommands[] = {ID_EDIT_CLEAR, ID_EDIT_COPY,       ID_EDIT_CUT,
                                        ID_EDIT_PASTE, ID_EDIT_SELECT_ALL, ID_EDIT_UNDO};
void DoEditCommand(int nID);
void UpdateEditCommand(int nID, CCmdUI& cmdUI);
// True when the keyboard focus is in an edit field (one line or several).
bool IsEditFocused();

// The address "Go to the URL" opens for a text: its first line up to the first space, when that is
// a web address ("http://" or "https://" in any case, or "www." which gets "http://" in front).
// Anything else - a program's path, a script, another scheme - yields an invalid address: a
// passwords file may come from someone else, and its fields must not start programs.
QUrl WebAddressOf(const QString& firstLine);
// Opens the first line of the focused field as a web address; anything else is not handed to the
// desktop, and the status bar says so.
void GoToUrl();
// The text the status bar shows for a first line that is not a web address.
QString NotAWebAddressText();

} // namespace workspace
