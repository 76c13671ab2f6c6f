#pragma once

#include "docs/LockAwareDialog.h"

class CMDIFrameWnd;

// "Welcome": create a document, open one, visit the web page, and whether to show this at start-up.
// Its New and Open buttons end it and then send their command to the receiving window.
class CWelcomeDlg : public CLockAwareDialog {
    Q_OBJECT
public:
    explicit CWelcomeDlg(CMDIFrameWnd* pReceiver);

protected:
    bool OnInitDialog() override;
    void OnDestroy() override;

private:
    void EndAndSend(int nCommand);
    void StoreShowWelcome();

    CMDIFrameWnd* m_pReceiver;
};
