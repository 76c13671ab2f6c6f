#include "framework/ClipboardGuard.h"

#include "framework/Document.h"
#include "framework/View.h"
#include "framework/WinApp.h"
#include "platform/SecureMemory.h"
#include "platform/TickCount.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTimerEvent>

namespace {

const QString kSection = QStringLiteral("Clipboard");
const QString kDelayEntry = QStringLiteral("ClearSeconds");

// The clipboard, while the application that has one still runs.
QClipboard* AppClipboard() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

void Wipe(QString& text) {
    if (!text.isEmpty())
        platform::WipeMemory(text.data(), static_cast<size_t>(text.size()) * sizeof(QChar));
    text.clear();
}

// What a field shows selected, as the clipboard gives it: line breaks as "\n".
QString SelectedTextOf(const QWidget* widget) {
    if (auto* line = qobject_cast<const QLineEdit*>(widget))
        return line->selectedText();
    if (auto* multi = qobject_cast<const QPlainTextEdit*>(widget))
        return multi->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n');
    return QString();
}

// The document whose view holds the widget, if any.
const QObject* DocumentOf(QWidget* widget) {
    for (; widget; widget = widget->parentWidget()) {
        if (auto* view = dynamic_cast<CView*>(widget))
            return view->GetDocument();
    }
    return nullptr;
}

} // namespace

CClipboardGuard::CClipboardGuard(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("clipboardGuard"));
    // Emitted from within the call that set the selection, before the event loop runs again: no other
    // program can have asked for it yet when the slot takes it back.
    if (QClipboard* clipboard = AppClipboard())
        connect(clipboard, &QClipboard::selectionChanged, this, &CClipboardGuard::OnSelectionChanged);
}

CClipboardGuard::~CClipboardGuard() {
    // Leaving the program: the secret goes with it. The frame is going too, so nobody is told.
    Clear(false);
    ClearDocumentSelection();
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
    ClearDocumentSelection();
}

void CClipboardGuard::OnDocumentClosed(const QObject* document) {
    if (document && document == m_selectionDocument)
        ClearDocumentSelection();
}

void CClipboardGuard::OnSelectionChanged() {
    QClipboard* clipboard = AppClipboard();
    // Another program's selection now: not ours to keep or to clear.
    if (!clipboard || !clipboard->ownsSelection()) {
        ForgetDocumentSelection();
        return;
    }
    QWidget* source = QApplication::focusWidget();
    const QString text = clipboard->text(QClipboard::Selection);
    if (source && source->property(kKeepOutOfSelection).toBool() && !text.isEmpty() && SelectedTextOf(source) == text) {
        // Re-enters this slot, which then finds the selection no longer ours.
        clipboard->clear(QClipboard::Selection);
        return;
    }
    const QObject* document = source ? DocumentOf(source) : nullptr;
    if (!document || text.isEmpty()) {
        ForgetDocumentSelection();
        return;
    }
    Wipe(m_selection);
    m_selection = QString(text.constData(), text.size());
    m_selectionDocument = document;
}

void CClipboardGuard::ClearDocumentSelection() {
    if (m_selection.isEmpty())
        return;
    QClipboard* clipboard = AppClipboard();
    // Still ours and still that text: what was selected since, here or in another program, stays.
    if (clipboard && clipboard->ownsSelection() && clipboard->text(QClipboard::Selection) == m_selection)
        clipboard->clear(QClipboard::Selection);
    ForgetDocumentSelection();
}

void CClipboardGuard::ForgetDocumentSelection() {
    Wipe(m_selection);
    m_selectionDocument = nullptr;
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
    Wipe(m_secret);
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
    // The delay is the clipboard's: a selection in a document stays until the lock, its close or exit.
    if (m_nDelay > 0 && SecondsLeft() == 0) {
        Clear(true);
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
