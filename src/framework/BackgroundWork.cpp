#include "framework/BackgroundWork.h"

#include "framework/MDIFrameWnd.h"
#include "framework/StatusBar.h"
#include "framework/WinApp.h"

#include <QEventLoop>
#include <QPointer>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <memory>

namespace {

int g_nProgressDelay = 500;
QPointer<QProgressBar> g_pProgress;

void ShowProgress() {
    CMDIFrameWnd* frame = AfxGetMainFrame();
    CStatusBar* bar = frame ? frame->GetStatusBar() : nullptr;
    if (!bar || g_pProgress)
        return;
    auto* progress = new QProgressBar(bar);
    // The work has no measure of how far it is, so the bar says only that it is busy.
    progress->setRange(0, 0);
    progress->setTextVisible(false);
    progress->setMaximumWidth(160);
    bar->addPermanentWidget(progress);
    progress->show();
    g_pProgress = progress;
}

void HideProgress() {
    delete g_pProgress.data();
}

} // namespace

void SetBackgroundProgressDelay(int msec) {
    g_nProgressDelay = msec;
}

QProgressBar* BackgroundProgressBar() {
    return g_pProgress.data();
}

void RunInBackground(const std::function<void()>& work) {
    std::unique_ptr<QThread> thread(QThread::create(work));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QTimer delay;
    delay.setSingleShot(true);
    QObject::connect(&delay, &QTimer::timeout, &loop, [] { ShowProgress(); });
    // Only the outermost piece of work shows the bar.
    const bool bOwnsProgress = !g_pProgress;
    if (bOwnsProgress)
        delay.start(g_nProgressDelay);
    thread->start();
    // The queued quit arrives even when the work ends before the loop starts.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    delay.stop();
    if (bOwnsProgress)
        HideProgress();
}
