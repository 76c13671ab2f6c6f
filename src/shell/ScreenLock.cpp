#include "shell/ScreenLock.h"

#include "docs/EnterPasswordDlg.h"
#include "framework/LockClosable.h"
#include "framework/MessageBox.h"
#include "framework/View.h"
#include "platform/TickCount.h"
#include "res/resource.h"
#include "shell/LockSettings.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace {

const char* const kFixedLockText = "Press any key to unlock the screen...";
const char* const kWrongScreenPassword = "You have entered an incrorrect screen password. Retry? ";

// After an unlock the commands whose dialogs the lock closed run in this order, whatever order the
// dialogs were opened in.
constexpr int kReplayOrder[] = {ID_FILE_RECOVER,
                                ID_FILE_REOPEN_LAST_SESSION,
                                ID_VIEW_WIZARD,
                                ID_FILE_NEW,
                                ID_SETTINGS_SCREEN_LOCK,
                                ID_FILE_SAVE_AS,
                                ID_FILE_OPEN,
                                ID_FILE_IMPORT,
                                ID_APP_ABOUT,
                                ID_EDIT_GO_TO_LINE,
                                ID_VIEW_FONT,
                                ID_VIEW_PASSWORD_HEALTH};

// Moving the mouse counts over a document - the text view, the account tree, the forms - and
// nowhere else: a pointer resting on the tool bar or a dialog is no sign of someone at work.
bool IsOverDocument(const QWidget* widget) {
    for (; widget; widget = widget->isWindow() ? nullptr : widget->parentWidget()) {
        if (dynamic_cast<const CView*>(widget))
            return true;
    }
    return false;
}

// What the user does, in any window of the program: a key or a button pressed or released (a key
// held down counts until it is let go), typing through an input method, the wheel, and a mouse move
// over a document. A menu merely left open is none of these.
bool IsActivity(const QWidget* widget, const QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        return true;
    case QEvent::MouseMove:
        return IsOverDocument(widget);
    default:
        return false;
    }
}

// While locked: a key other than Alt and its combinations (the system's), or a left or right click.
bool IsUnlockTrigger(const QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<const QKeyEvent*>(event);
        return key->key() != Qt::Key_Alt && !(key->modifiers() & Qt::AltModifier);
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const Qt::MouseButton button = static_cast<const QMouseEvent*>(event)->button();
        return button == Qt::LeftButton || button == Qt::RightButton;
    }
    default:
        return false;
    }
}

} // namespace

CScreenLock::CScreenLock(Host& host, QObject* parent) : CLockGate(parent), m_host(host) {
    setObjectName(QStringLiteral("screenLock"));
    m_dwLastActivity = platform::GetTickCount();
    qApp->installEventFilter(this);
}

CScreenLock::~CScreenLock() {
    qApp->removeEventFilter(this);
}

void CScreenLock::StampActivity() {
    m_dwLastActivity = platform::GetTickCount();
}

uint32_t CScreenLock::IdleSeconds() const {
    // Unsigned arithmetic: the difference stays right when the tick counter wraps in between.
    return (platform::GetTickCount() - m_dwLastActivity) / 1000u;
}

void CScreenLock::ApplySettings(const LockSettingsRecord& settings, bool bWithPromptText) {
    m_nLockTimeout = static_cast<uint32_t>(TimeoutMinutes(settings.nTimeoutIndex)) * 60u;
    if (!bWithPromptText)
        return;
    const std::string_view prompt = settings.PromptText();
    m_strPromptText = QString::fromUtf8(prompt.data(), static_cast<qsizetype>(prompt.size()));
}

void CScreenLock::OnTick() {
    QWidget* window = m_host.LockedWindow();
    if (m_bLocked) {
        // Whatever came up over the window since the lock (or refused to go at its first tick) goes now.
        CloseWindowsForLock(window);
        return;
    }
    if ((window && window->isMinimized()) || IdleSeconds() <= m_nLockTimeout)
        return;
    if (m_host.Settings().bLockWhenIdle != 0)
        Lock();
}

void CScreenLock::Lock() {
    m_host.LoadSettings();
    LockWith(m_strPromptText);
}

void CScreenLock::LockWithFixedText() {
    LockWith(QString::fromLatin1(kFixedLockText));
}

void CScreenLock::LockWith(const QString& firstLine) {
    if (m_bLocked)
        return;
    // What unlocks is decided now; a settings file written while locked can't make it weaker.
    const LockSettingsRecord& settings = m_host.Settings();
    m_bLockPasswordOn = settings.bScreenPasswordOn != 0;
    m_lockPassword.assign(settings.ScreenPassword());
    m_bLocked = true;
    m_host.Cover(firstLine);
    emit locked();
}

std::string_view CScreenLock::UnlockPassword() {
    if (m_bLockPasswordOn && !m_lockPassword.empty())
        return m_lockPassword.view();
    const LockSettingsRecord& settings = m_host.Settings();
    return settings.bScreenPasswordOn != 0 ? settings.ScreenPassword() : std::string_view();
}

bool CScreenLock::AskScreenPassword(bool bWithLockTimer, std::string_view expected) {
    for (;;) {
        CEnterPasswordDlg prompt(m_host.LockedWindow());
        prompt.m_bScreenMode = 1;
        prompt.m_bTimerOn = bWithLockTimer ? 1 : 0;
        if (prompt.DoModal() != IDOK)
            return false;
        const platform::SecureString entered = prompt.TakePassword();
        if (ScreenPasswordMatches(expected, entered.view()))
            return true;
        if (AfxMessageBox(QString::fromLatin1(kWrongScreenPassword), MB_RETRYCANCEL | MB_ICONHAND) != IDRETRY)
            return false;
    }
}

bool CScreenLock::PromptUnlock() {
    const LockSettingsRecord& settings = m_host.LoadSettings();
    // A copy: the prompt's message loop may read the settings file again meanwhile.
    const platform::SecureString expected(m_bLocked ? UnlockPassword() : settings.ScreenPassword());
    const bool asked = m_bLocked || settings.bScreenPasswordOn != 0;
    if (asked && !expected.empty() && !AskScreenPassword(false, expected.view()))
        return false;
    const bool wasLocked = m_bLocked;
    m_bLocked = false;
    m_bLockPasswordOn = false;
    m_lockPassword.Wipe();
    StampActivity();
    m_host.Uncover();
    if (wasLocked)
        emit unlocked();
    return true;
}

void CScreenLock::MarkForReplay(int nCommandID) {
    m_replay.insert(nCommandID);
}

void CScreenLock::OnUnlockTrigger() {
    // One question at a time: triggers that arrive while the prompt is up are dropped.
    if (m_bPrompting)
        return;
    m_bPrompting = true;
    const bool bUnlocked = PromptUnlock();
    m_bPrompting = false;
    if (bUnlocked)
        ReplayCommands();
}

void CScreenLock::ReplayCommands() {
    // An unlock during a replayed command (its message box stayed over a new lock) leaves the rest to
    // the replay already under way, which goes on in order once that command is over.
    if (m_bReplaying)
        return;
    m_bReplaying = true;
    // Each command runs to the end, its dialog included, before the next is looked at. Locked again
    // meanwhile, the rest waits for the next unlock: their dialogs would only flash on the locked
    // screen, and a dialog closed by the new lock has marked its command again.
    for (const int nID : kReplayOrder) {
        if (m_bLocked)
            break;
        if (m_replay.erase(nID) != 0)
            m_host.RunCommand(nID);
    }
    m_bReplaying = false;
}

bool CScreenLock::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType())
        return false;
    const auto* widget = static_cast<QWidget*>(watched);
    if (!m_bLocked) {
        if (IsActivity(widget, event))
            StampActivity();
        return false;
    }
    // Dialogs that stay over the lock (the prompt, message boxes) take their own input.
    if (widget->window() != m_host.LockedWindow() || !IsUnlockTrigger(event))
        return false;
    OnUnlockTrigger();
    return true;
}
