#include "textdoc/ChildFrame.h"

CChildFrame::CChildFrame() = default;

CChildFrame::~CChildFrame() = default;
