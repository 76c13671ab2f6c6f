#pragma once

#include "framework/MDIChildWnd.h"

// The window of a text document: its one view, the text editor, fills it.
class CChildFrame : public CMDIChildWnd {
    Q_OBJECT
public:
    CChildFrame();
    ~CChildFrame() override;
};
