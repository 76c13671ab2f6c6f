#pragma once

#include "framework/FormView.h"
#include "workspace/FormLayout.h"

#include <QColor>

class CCmdUI;
class CLeftView;

// What every form of the right pane of a passwords window shares: its template's controls (built
// once the forms' own control classes are known), the look of its labels and edit fields, the Edit
// commands on the focused field, the layout that widens its fields, the account tree beside it,
// and mouse moves over it counting as activity.
class CPasswordsForm : public CFormView {
    Q_OBJECT
public:
    explicit CPasswordsForm(int nIDTemplate);
    ~CPasswordsForm() override;

    void OnInitialUpdate() override;
    CFormLayout& GetLayout() { return m_layout; }

    // The look of the forms' edit fields: pale yellow, black text in a serif face of the given
    // character height (15 for one line, 12 for notes).
    static void StyleEdit(QWidget* edit, int nCharHeight);
    static inline const QColor kCaptionColour{0, 0, 192};

protected:
    // The account tree of the window the form belongs to.
    CLeftView* GetTree();
    // A label's face, character height and colour.
    void StyleLabel(int nID, int nCharHeight, const QColor& colour);
    // Lets the form carry out the Edit commands, on whatever window has the keyboard focus.
    void MapEditCommands();

    void resizeEvent(QResizeEvent* event) override;

private:
    static void DoEditCommand(int nID);
    static void UpdateEditCommand(int nID, CCmdUI& cmdUI);

    CFormLayout m_layout;
};
