#include "workspace/OneTimeCodeRow.h"

#include "docs/LockGate.h"
#include "framework/ClipboardGuard.h"
#include "framework/FormView.h"
#include "framework/MenuItemText.h"
#include "framework/Utf8Text.h"
#include "passwords/OneTimeCode.h"
#include "platform/TickCount.h"
#include "res/resource.h"
#include "textdoc/CommandMenu.h"
#include "workspace/FormLayout.h"
#include "workspace/NotesEdit.h"
#include "workspace/PasswordsForm.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

namespace {

struct RowIds {
    AccountKind eKind;
    int nNotes;
    int nLabel;
    int nCode;
};

constexpr RowIds kRows[] = {
    {AccountKind::Web, IDC_WEB_NOTES, IDC_WEB_OTP_LABEL, IDC_WEB_OTP},
    {AccountKind::Mail, IDC_MAIL_NOTES, IDC_MAIL_OTP_LABEL, IDC_MAIL_OTP},
    {AccountKind::Other, IDC_OTHER_NOTES, IDC_OTHER_OTP_LABEL, IDC_OTHER_OTP},
};

// Often enough that the seconds shown are never more than a quarter second late; a tick costs one
// HMAC of a few bytes.
constexpr int kTickMs = 250;

} // namespace

COneTimeCodeRow::COneTimeCodeRow(CFormView* form, AccountKind kind, CFormLayout& layout) : QObject(form) {
    for (const RowIds& ids : kRows) {
        if (ids.eKind != kind)
            continue;
        m_pNotes = qobject_cast<CNotesEdit*>(form->GetDlgItem(ids.nNotes));
        m_pLabel = qobject_cast<QLabel*>(form->GetDlgItem(ids.nLabel));
        m_pCode = qobject_cast<QLineEdit*>(form->GetDlgItem(ids.nCode));
        if (m_pCode) {
            CPasswordsForm::StyleEdit(m_pCode, 12);
            // Like a password, a code selected with the mouse stays out of the X selection.
            m_pCode->setProperty(CClipboardGuard::kKeepOutOfSelection, true);
            layout.AddControl(ids.nCode, CFormLayout::LAYOUT_SIZE_X);
        }
    }
    if (m_pNotes)
        connect(m_pNotes, &QPlainTextEdit::textChanged, this, &COneTimeCodeRow::OnNotesChanged);
    if (CLockGate* lock = CLockGate::Get()) {
        connect(lock, &CLockGate::locked, this, &COneTimeCodeRow::Show);
        connect(lock, &CLockGate::unlocked, this, &COneTimeCodeRow::Show);
    }
    OnNotesChanged();
}

COneTimeCodeRow::~COneTimeCodeRow() = default;

bool COneTimeCodeRow::IsLocked() const {
    const CLockGate* lock = CLockGate::Get();
    return lock && lock->IsLocked();
}

void COneTimeCodeRow::OnNotesChanged() {
    m_secret = passwords::FindOneTimeSecret(m_pNotes ? SecureUtf8(m_pNotes->GetRecordText()).view() : "");
    Show();
}

void COneTimeCodeRow::Show() {
    if (!m_pLabel || !m_pCode)
        return;
    const bool bLocked = IsLocked();
    // Nothing of an account leaves the form while the screen is locked, its code least of all.
    const platform::SecureString line =
        bLocked ? platform::SecureString() : passwords::OneTimeCodeLine(m_secret, platform::UnixTimeNow());
    // While locked the row keeps its place, so that the form looks the same after the unlock.
    const bool bRow = bLocked ? !m_pCode->isHidden() : !line.empty();
    m_pLabel->setVisible(bRow);
    m_pCode->setVisible(bRow);
    const QString text = TextFromUtf8(line);
    if (m_pCode->text() != text)
        m_pCode->setText(text);
    if (m_secret.eStatus == passwords::OneTimeSecret::Valid && !bLocked) {
        if (!m_timer.isActive())
            m_timer.start(kTickMs, this);
    } else {
        m_timer.stop();
    }
}

void COneTimeCodeRow::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_timer.timerId())
        Show();
    else
        QObject::timerEvent(event);
}

bool COneTimeCodeRow::HasCode() const {
    return m_secret.eStatus == passwords::OneTimeSecret::Valid && !IsLocked();
}

void COneTimeCodeRow::CopyCode() {
    if (!HasCode())
        return;
    const platform::SecureString digits = passwords::OneTimeCodeAt(m_secret, platform::UnixTimeNow());
    CClipboardGuard* guard = CClipboardGuard::Get();
    if (guard && !digits.empty())
        guard->OfferSecret(QString::fromLatin1(digits.data(), static_cast<qsizetype>(digits.size())));
}

namespace workspace {

void AddCopyOneTimeCodeItem(QMenu* menu) {
    auto* item = new QAction(menu);
    SetMenuItemText(item, QStringLiteral("Copy &One-Time Code\tCtrl+T"));
    item->setData(ID_EDIT_COPY_ONE_TIME_CODE);
    // Beside Copy, the other thing that copies; the menu's end stays the link's.
    const QList<QAction*> actions = menu->actions();
    QAction* before = nullptr;
    for (qsizetype i = 0; i + 1 < actions.size() && !before; ++i) {
        if (textdoc::CommandId(actions[i]) == ID_EDIT_COPY)
            before = actions[i + 1];
    }
    menu->insertAction(before, item);
}

} // namespace workspace
