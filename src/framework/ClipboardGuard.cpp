#include "framework/ClipboardGuard.h"

#include "framework/WinApp.h"
#include "platform/SecureMemory.h"
#include "platform/TickCount.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTimerEvent>

namespace {

const QString kSection = QStringLiteral("Clipboard");
const QString kDelayEntry = QStringLiteral("ClearSeconds");

} // namespace

CClipboardGuard::CClipboardGuard(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("clipboardGuard"));
}

CClipboardGuard::~CClipboardGuard() {
    // Leaving the program: the secret goes with it. The frame is going too, so nobody is told.
    Clear(false);
}

CClipboardGuard* CClipboardGuard::Get() {
    CWinApp* app = AfxGetApp();
    return app ? app->findChild<CClipboardGuard*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

int CClipboardGuard::ClearDelay() {
    CWinApp* app = AfxGetApp();
    const int nSeconds = app ? app->GetProfileInt(kSection, kDelayEntry, kDefaultDelay) : kDefaultDelay;
    // A profile edited by hand may hold anything: out of range reads as the default.
    return nSeconds < 0 || nSeconds > kMaxDelay ? kDefaultDelay : nSeconds;
}

void CClipboardGuard::SetClearDelay(int nSeconds) {
    if (CWinApp* app = AfxGetApp())
        app->WriteProfileInt(kSection, kDelayEntry, qBound(0, nSeconds, kMaxDelay));
}

void CClipboardGuard::OfferSecret(const QString& text) {
    if (text.isEmpty())
        return;
    QClipboard* clipboard = QApplication::clipboard();
    const bool bInSelection = clipboard->supportsSelection() && clipboard->text(QClipboard::Selection) == text;
    auto* data = new QMimeData;
    data->setText(text);
    data->setData(QString::fromLatin1(kHintFormat), QByteArrayLiteral("secret"));
    clipboard->setMimeData(data);
    if (bInSelection) {
        auto* selection = new QMimeData;
        selection->setText(text);
        selection->setData(QString::fromLatin1(kHintFormat), QByteArrayLiteral("secret"));
        clipboard->setMimeData(selection, QClipboard::Selection);
    }
    WipeSecret();
    // A copy of its own: QString shares its characters on assignment, and a shared buffer can't be
    // wiped from here.
    m_secret = QString(text.constData(), text.size());
    m_dwCopied = platform::GetTickCount();
    m_nDelay = ClearDelay();
    m_bGuarding = true;
    m_timer.start(250, this);
    ShowTimeLeft();
}

bool CClipboardGuard::HoldsSecret(int mode) const {
    const auto clipboardMode = static_cast<QClipboard::Mode>(mode);
    QClipboard* clipboard = QApplication::clipboard();
    if (clipboardMode == QClipboard::Selection && !clipboard->supportsSelection())
        return false;
    const QMimeData* data = clipboard->mimeData(clipboardMode);
    return data && data->hasText() && data->text() == m_secret;
}

void CClipboardGuard::ClearNow() {
    Clear(true);
}

void CClipboardGuard::Clear(bool bShow) {
    if (!m_bGuarding)
        return;
    for (QClipboard::Mode mode : {QClipboard::Clipboard, QClipboard::Selection}) {
        if (HoldsSecret(mode))
            QApplication::clipboard()->clear(mode);
    }
    WipeSecret();
    m_bGuarding = false;
    m_timer.stop();
    if (bShow)
        ShowTimeLeft();
}

void CClipboardGuard::WipeSecret() {
    if (!m_secret.isEmpty())
        platform::WipeMemory(m_secret.data(), static_cast<size_t>(m_secret.size()) * sizeof(QChar));
    m_secret.clear();
}

int CClipboardGuard::SecondsLeft() const {
    if (!m_bGuarding || m_nDelay == 0)
        return 0;
    // Unsigned arithmetic: right across the wrap of the tick counter.
    const uint32_t elapsed = platform::GetTickCount() - m_dwCopied;
    const uint32_t delay = static_cast<uint32_t>(m_nDelay) * 1000u;
    return elapsed >= delay ? 0 : static_cast<int>((delay - elapsed + 999u) / 1000u);
}

void CClipboardGuard::OnTimer() {
    if (!m_bGuarding)
        return;
    // Something else on the clipboard now: nothing of ours is left to clear.
    if (!HoldsSecret(QClipboard::Clipboard) && !HoldsSecret(QClipboard::Selection)) {
        WipeSecret();
        m_bGuarding = false;
        m_timer.stop();
        ShowTimeLeft();
        return;
    }
    if (m_nDelay > 0 && SecondsLeft() == 0) {
        ClearNow();
        return;
    }
    ShowTimeLeft();
}

void CClipboardGuard::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_timer.timerId())
        OnTimer();
    else
        QObject::timerEvent(event);
}

void CClipboardGuard::ShowTimeLeft() {
    QString text;
    if (m_bGuarding)
        text =
            m_nDelay > 0 ? QStringLiteral("Clipboard: %1 s").arg(SecondsLeft()) : QStringLiteral("Clipboard: secret");
    emit TimeLeftChanged(text);
}
