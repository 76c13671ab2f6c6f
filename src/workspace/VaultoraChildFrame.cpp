#include "workspace/VaultoraChildFrame.h"

#include "framework/CmdUI.h"
#include "framework/DocTemplate.h"
#include "res/resource.h"
#include "workspace/AccountSearch.h"
#include "workspace/BlankRootView.h"
#include "workspace/EMailAccountsRootView.h"
#include "workspace/LeftView.h"
#include "workspace/MailAccView.h"
#include "workspace/OtherAccView.h"
#include "workspace/OtherAccountsRootView.h"
#include "workspace/SecretFields.h"
#include "workspace/SwitchSplitterWnd.h"
#include "workspace/WebAccView.h"
#include "workspace/WebAccountsRootView.h"

namespace {

template <class TView> CSwitchSplitterWnd::ViewClass ViewClassOf() {
    return [] { return static_cast<CView*>(new TView); };
}

} // namespace

CVaultoraChildFrame::CVaultoraChildFrame() {
    // Find in a passwords window is the search field above the tree, wherever the focus is.
    MapCommand(ID_EDIT_FIND, [this] {
        if (CLeftView* tree = GetLeftView())
            tree->GetSearch()->FocusField();
    });
    // Only a passwords window has password fields to hide: elsewhere the command is disabled.
    MapCommand(
        ID_VIEW_HIDE_PASSWORDS, [] { workspace::SetPasswordsHidden(!workspace::PasswordsHidden()); },
        [](CCmdUI& cmdUI) { cmdUI.SetCheck(workspace::PasswordsHidden()); });
}

CVaultoraChildFrame::~CVaultoraChildFrame() = default;

bool CVaultoraChildFrame::OnCreateClient(CCreateContext& context) {
    auto* splitter = new CSwitchSplitterWnd;
    if (!splitter->CreateStatic(nullptr, 1, 2)) {
        delete splitter;
        return false;
    }
    m_pSplitter = splitter;
    setWidget(splitter);

    splitter->CreateView(0, 0, ViewClassOf<CLeftView>(), QSize(10, 10), &context);
    m_nBlankRootView = splitter->AddView(0, 1, ViewClassOf<BlankRootView>(), &context);
    m_nWebAccountsRootView = splitter->AddView(0, 1, ViewClassOf<WebAccountsRootView>(), &context);
    m_nEMailAccountsRootView = splitter->AddView(0, 1, ViewClassOf<EMailAccountsRootView>(), &context);
    m_nOtherAccountsRootView = splitter->AddView(0, 1, ViewClassOf<OtherAccountsRootView>(), &context);
    m_nWebAccView = splitter->AddView(0, 1, ViewClassOf<CWebAccView>(), &context);
    m_nMailAccView = splitter->AddView(0, 1, ViewClassOf<CMailAccView>(), &context);
    m_nOtherAccView = splitter->AddView(0, 1, ViewClassOf<COtherAccView>(), &context);

    splitter->SetColumnInfo(0, kTreeColumnWidth, 0);
    splitter->ShowView(m_nBlankRootView);
    // Commands start with the tree until the user moves into a form.
    if (CLeftView* tree = GetLeftView())
        SetActiveView(tree);
    return true;
}

void CVaultoraChildFrame::ActivateFrame(int nCmdShow) {
    CMDIChildWnd::ActivateFrame(nCmdShow == -1 ? SW_SHOWMAXIMIZED : nCmdShow);
    // The tree column's width is given again once the window has its size (the splitter had none
    // while it was built); from then on the column keeps whatever width the user drags it to.
    if (m_pSplitter && !m_bColumnSized) {
        m_bColumnSized = true;
        m_pSplitter->SetColumnInfo(0, kTreeColumnWidth, 0);
    }
}

bool CVaultoraChildFrame::ShowView(int nView) {
    return m_pSplitter && m_pSplitter->ShowView(nView);
}

CView* CVaultoraChildFrame::GetView(int nView) const {
    return m_pSplitter ? m_pSplitter->GetView(nView) : nullptr;
}

CLeftView* CVaultoraChildFrame::GetLeftView() const {
    return m_pSplitter ? dynamic_cast<CLeftView*>(m_pSplitter->GetPane(0, 0)) : nullptr;
}

QList<QWidget*> CVaultoraChildFrame::GetPanes() const {
    QList<QWidget*> panes;
    if (!m_pSplitter)
        return panes;
    for (int col = 0; col < m_pSplitter->GetColumnCount(); ++col) {
        if (QWidget* pane = m_pSplitter->GetPane(0, col))
            panes.push_back(pane);
    }
    return panes;
}
