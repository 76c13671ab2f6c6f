#include "workspace/Activity.h"

#include "shell/MainFrame.h"

namespace workspace {

namespace {

std::function<void()>& Stamp() {
    static std::function<void()> stamp;
    return stamp;
}

} // namespace

void StampActivity() {
    if (Stamp())
        Stamp()();
    else
        CMainFrame::StampActivity();
}

void SetActivityStamp(std::function<void()> stamp) {
    Stamp() = std::move(stamp);
}

} // namespace workspace
