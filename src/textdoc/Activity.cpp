#include "textdoc/Activity.h"

#include "framework/MDIFrameWnd.h"
#include "framework/StatusBar.h"
#include "framework/WinApp.h"
#include "shell/MainFrame.h"

namespace textdoc {

void StampActivity() {
    CMainFrame::StampActivity();
}

void SetPositionPane(const QString& text) {
    CMDIFrameWnd* frame = AfxGetMainFrame();
    if (CStatusBar* bar = frame ? frame->GetStatusBar() : nullptr)
        bar->SetPaneText(1, text);
}

} // namespace textdoc
