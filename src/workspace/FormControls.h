#pragma once

#include "platform/SecureMemory.h"

#include <QString>

class CFormView;

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

} // namespace workspace
