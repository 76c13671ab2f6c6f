#include "workspace/VaultoraChildFrame.h"

#include "framework/CmdUI.h"
#include "framework/DocTemplate.h"
#include "framework/FormView.h"
#include "res/resource.h"
#include "workspace/AccountSearch.h"
#include "workspace/BlankRootView.h"
#include "workspace/EMailAccountsRootView.h"
#include "workspace/LeftView.h"
#include "workspace/MailAccView.h"
#include "workspace/OtherAccView.h"
#include "workspace/OtherAccountsRootView.h"
#include "workspace/PasswordHealthDlg.h"
#include "workspace/SecretFields.h"
#include "workspace/SwitchSplitterWnd.h"
#include "workspace/WebAccView.h"
#include "workspace/WebAccountsRootView.h"

#include <QLabel>

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
    // So is a report on the passwords.
    MapCommand(ID_VIEW_PASSWORD_HEALTH, [this] { workspace::ShowPasswordHealth(*this); });
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
    if (CLeftView* tree = GetLeftView()) {
        splitter->AddPaneStrip(0, 0, tree->GetSearch());
        tree->GetSearch()->ChainBeforeTree();
    }
    m_nBlankRootView = splitter->AddView(0, 1, ViewClassOf<BlankRootView>(), &context);
    m_nWebAccountsRootView = splitter->AddView(0, 1, ViewClassOf<WebAccountsRootView>(), &context);
    m_nEMailAccountsRootView = splitter->AddView(0, 1, ViewClassOf<EMailAccountsRootView>(), &context);
    m_nOtherAccountsRootView = splitter->AddView(0, 1, ViewClassOf<OtherAccountsRootView>(), &context);
    m_nWebAccView = splitter->AddView(0, 1, ViewClassOf<CWebAccView>(), &context);
    m_nMailAccView = splitter->AddView(0, 1, ViewClassOf<CMailAccView>(), &context);
    m_nOtherAccView = splitter->AddView(0, 1, ViewClassOf<COtherAccView>(), &context);

    NameFormIcons();
    splitter->SetColumnInfo(0, TreeColumnWidth(splitter->width()), 0);
    splitter->ShowView(m_nBlankRootView);
    // Commands start with the tree until the user moves into a form.
    if (CLeftView* tree = GetLeftView())
        SetActiveView(tree);
    return true;
}

void CVaultoraChildFrame::ActivateFrame(int nCmdShow) {
    CMDIChildWnd::ActivateFrame(nCmdShow == -1 ? SW_SHOWMAXIMIZED : nCmdShow);
    // The tree column's width is given again once the window has its size (the splitter had none
    // while it was built); from then on the columns keep their shares as the window grows, and
    // whatever share the user drags them to.
    if (m_pSplitter && !m_bColumnSized) {
        m_bColumnSized = true;
        m_pSplitter->SetColumnInfo(0, TreeColumnWidth(m_pSplitter->width()), 0);
    }
}

void CVaultoraChildFrame::OnUpdateFrameTitle() {
    CMDIChildWnd::OnUpdateFrameTitle();
    if (CLeftView* tree = GetLeftView())
        tree->UpdateRootLabel();
}

int CVaultoraChildFrame::TreeColumnWidth(int cxWindow) {
    return qMax(kTreeColumnWidth, cxWindow * kTreeColumnShare / 100);
}

QSize CVaultoraChildFrame::GetUsefulClientSize() const {
    QSize form;
    for (int nView = m_nBlankRootView; nView <= m_nOtherAccView && nView > 0; ++nView) {
        if (auto* view = dynamic_cast<CFormView*>(GetView(nView)))
            form = form.expandedTo(view->GetTemplateSize());
    }
    if (form.isEmpty())
        return {};
    const int handle = m_pSplitter ? m_pSplitter->handleWidth() : 0;
    // The form keeps what the tree's share leaves it; the tree at least its least width.
    const int cxRest = form.width() + handle;
    const int cx = qMax(kTreeColumnWidth + cxRest, cxRest * 100 / (100 - kTreeColumnShare));
    return {cx, form.height()};
}

void CVaultoraChildFrame::NameFormIcons() {
    // The icon beside an account form's heading says the account's kind: a screen reader says it too.
    const std::pair<int, const char*> kinds[] = {
        {m_nWebAccView, "Web account"}, {m_nMailAccView, "Email account"}, {m_nOtherAccView, "Other account"}};
    for (const auto& [nView, name] : kinds) {
        CView* view = GetView(nView);
        if (!view)
            continue;
        for (auto* label : view->GetWnd()->findChildren<QLabel*>()) {
            if (label->text().isEmpty() && !label->pixmap().isNull())
                label->setAccessibleName(QString::fromLatin1(name));
        }
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
