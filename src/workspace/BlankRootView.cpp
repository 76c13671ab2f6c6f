#include "workspace/BlankRootView.h"

#include "res/resource.h"
#include "workspace/FormFocus.h"
#include "workspace/LeftView.h"

BlankRootView::BlankRootView() : CPasswordsForm(IDD_BLANK_ROOT) {
    const std::pair<int, AccountKind> buttons[] = {
        {IDC_BLANK_ADD_WEB, AccountKind::Web},
        {IDC_BLANK_ADD_MAIL, AccountKind::Mail},
        {IDC_BLANK_ADD_OTHER, AccountKind::Other},
    };
    for (const auto& [nID, kind] : buttons) {
        MapCommand(nID, [this, kind = kind] {
            if (CLeftView* tree = GetTree())
                tree->SelectFolder(kind);
            workspace::FocusShownForm(this);
        });
    }
}

BlankRootView::~BlankRootView() = default;

void BlankRootView::OnInitialUpdate() {
    CPasswordsForm::OnInitialUpdate();
    StyleLabel(IDC_BLANK_TITLE, 17, kCaptionColour);
    // The three buttons keep the shaded face they were built with, the Welcome dialog's.
}
