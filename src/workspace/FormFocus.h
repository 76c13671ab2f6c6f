#pragma once

class CFormView;

// Where the caret goes after a form's button has switched the right pane: hiding the form that held
// the focus would otherwise hand it to the tree, and the next keys typed would move the tree's
// selection instead of filling the form the user was led to.
namespace workspace {

// Into the first field of the form the right pane shows now.
void FocusShownForm(CFormView* from);
// Onto the account tree.
void FocusTree(CFormView* from);
// After a form's own action: when the form was hidden by it (an account deleted), onto the tree.
void KeepFocusVisible(CFormView* from);

} // namespace workspace
