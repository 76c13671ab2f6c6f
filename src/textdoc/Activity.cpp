#include "textdoc/Activity.h"

#include "framework/MDIFrameWnd.h"
#include "framework/StatusBar.h"
#include "framework/WinApp.h"
#include "shell/MainFrame.h"

namespace textdoc {

void StampActivity() {
    CMainFrame::StampActivity();
}

bool IsScreenLocked() {
    const CMainFrame* frame = CMainFrame::Get();
    return frame && frame->m_bLocked;
}

void SetPositionPane(const QString& text) {
    CMDIFrameWnd* frame = AfxGetMainFrame();
    if (CStatusBar* bar = frame ? frame->GetStatusBar() : nullptr)
        bar->SetPaneText(1, text);
}

} // namespace textdoc
