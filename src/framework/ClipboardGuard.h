#pragma once

#include <QBasicTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>

// Keeps the secrets the user copies from the account forms from lingering on the clipboard. A copied
// field's text goes onto the clipboard with the hint clipboard managers honour (they keep it out of
// their history), and it is taken off again after the profile's delay, when the screen locks and when
// the program exits - but only while the clipboard still holds that text: what the user or another
// program put there since is left alone. TimeLeftChanged counts the seconds down for the status bar.
// The application owns the one guard, as a direct child.
class CClipboardGuard : public QObject {
    Q_OBJECT
public:
    explicit CClipboardGuard(QObject* parent = nullptr);
    ~CClipboardGuard() override;

    // The application's guard, or null when there is none.
    static CClipboardGuard* Get();

    // Puts a secret on the clipboard (and in the selection, where the desktop has one, only when the
    // selection already holds it) and starts the countdown. Empty text changes nothing.
    void OfferSecret(const QString& text);
    // The screen locks or the program exits: takes the secret off the clipboard and the selection, where
    // they still hold it, and stops the countdown; document text in the primary selection goes too.
    void ClearNow();
    // A document is closing: the primary selection loses the text selected in it, if it still has it.
    void OnDocumentClosed(const QObject* document);

    // The property of a widget whose selected text must never stay in the primary selection.
    static constexpr const char* kKeepOutOfSelection = "lwKeepOutOfSelection";

    // Whole seconds until the clipboard is cleared, rounded up; 0 when nothing is waiting.
    int SecondsLeft() const;

    // The delay the profile gives in seconds (0: never cleared by time), and changing it.
    static int ClearDelay();
    static void SetClearDelay(int nSeconds);
    static constexpr int kDefaultDelay = 30;
    static constexpr int kMaxDelay = 3600;
    static constexpr const char* kHintFormat = "x-kde-passwordManagerHint";

    // The countdown's check, run every quarter second while guarding: clears once the delay is over and
    // refreshes the status pane.
    void OnTimer();

signals:
    // The text for the status bar: "Clipboard: 12 s", "Clipboard: secret" (never cleared by time), or
    // empty once nothing is waiting.
    void TimeLeftChanged(const QString& text);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    // The primary selection changed: taken back, or remembered when it is a document's text.
    void OnSelectionChanged();
    // Takes document text out of the primary selection while it is ours and still that text.
    void ClearDocumentSelection();
    void ForgetDocumentSelection();
    bool HoldsSecret(int mode) const;
    void Clear(bool bShow);
    void ShowTimeLeft();
    // Overwrites and drops the copy of the secret.
    void WipeSecret();

    QString m_secret; // never shared with another QString, so that it can be wiped
    uint32_t m_dwCopied = 0;
    int m_nDelay = 0;
    bool m_bGuarding = false;
    QBasicTimer m_timer;
    // The document text the program last put in the primary selection (a copy of its own, wiped when
    // dropped), and the document it came from.
    QString m_selection;
    QPointer<const QObject> m_selectionDocument;
};
