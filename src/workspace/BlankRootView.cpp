#include "workspace/BlankRootView.h"

#include "res/resource.h"
#include "workspace/Activity.h"
#include "workspace/FormControls.h"
#include "workspace/FormFocus.h"
#include "workspace/LeftView.h"

BlankRootView::BlankRootView() : CFormView(workspace::FormTemplate(IDD_BLANK_ROOT)) {
    workspace::PrepareTemplateLabels(this, IDD_BLANK_ROOT);
    MapCommand(IDC_BLANK_ADD_WEB, [this] {
        if (CLeftView* tree = workspace::FormTree(this))
            tree->SelectWebFolder();
        workspace::FocusShownForm(this);
        workspace::StampActivity();
    });
    MapCommand(IDC_BLANK_ADD_MAIL, [this] {
        if (CLeftView* tree = workspace::FormTree(this))
            tree->SelectMailFolder();
        workspace::FocusShownForm(this);
        workspace::StampActivity();
    });
    MapCommand(IDC_BLANK_ADD_OTHER, [this] {
        if (CLeftView* tree = workspace::FormTree(this))
            tree->SelectOtherFolder();
        workspace::FocusShownForm(this);
        workspace::StampActivity();
    });
}

BlankRootView::~BlankRootView() = default;

void BlankRootView::OnInitialUpdate() {
    CFormView::OnInitialUpdate();
    workspace::StyleFormLabel(this, IDC_BLANK_TITLE, 17, workspace::kCaptionColour);
    // The three buttons keep the shaded face they were built with, the Welcome dialog's.
    workspace::TrackMouseActivity(this);
}
