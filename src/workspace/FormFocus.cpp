#include "workspace/FormFocus.h"

#include "framework/FormView.h"
#include "workspace/LeftView.h"
#include "workspace/SwitchSplitterWnd.h"
#include "workspace/VaultoraChildFrame.h"

namespace workspace {

void FocusShownForm(CFormView* from) {
    auto* frame = dynamic_cast<CVaultoraChildFrame*>(from->GetParentFrame());
    CSwitchSplitterWnd* splitter = frame ? frame->GetSplitter() : nullptr;
    if (auto* shown = splitter ? dynamic_cast<CFormView*>(splitter->GetPane(0, 1)) : nullptr) {
        if (shown->FocusFirstControl())
            return;
    }
    FocusTree(from);
}

void FocusTree(CFormView* from) {
    auto* frame = dynamic_cast<CVaultoraChildFrame*>(from->GetParentFrame());
    if (CLeftView* tree = frame ? frame->GetLeftView() : nullptr)
        tree->setFocus(Qt::OtherFocusReason);
}

void KeepFocusVisible(CFormView* from) {
    if (!from->isVisible())
        FocusTree(from);
}

} // namespace workspace
