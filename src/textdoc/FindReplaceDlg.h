#pragma once

#include "textdoc/EditorView.h"

#include <QBasicTimer>
#include <QDialog>
#include <QPointer>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The Find and Replace dialogs of a text window. Modeless: the user goes on editing while it is up.
// Find asks for the text, case, whole words and direction; Replace adds the replacement, Replace and
// Replace All (and always searches downwards). Both can mark every match in sight (Highlight All) while
// they are up.
class CFindReplaceDlg : public QDialog {
    Q_OBJECT
public:
    CFindReplaceDlg(bool bFindOnly, CEditorView* pView);

    bool IsFindOnly() const { return m_bFindOnly; }
    CEditorView::FindOptions GetOptions() const;
    void SetOptions(const CEditorView::FindOptions& options);

    QLineEdit* FindEdit() const { return m_pFind; }
    QLineEdit* ReplaceEdit() const { return m_pReplace; }
    QCheckBox* MatchCaseCheck() const { return m_pMatchCase; }
    QCheckBox* WholeWordCheck() const { return m_pWholeWord; }
    QCheckBox* HighlightAllCheck() const { return m_pHighlightAll; }
    QRadioButton* UpRadio() const { return m_pUp; }
    QPushButton* FindNextButton() const { return m_pFindNext; }
    QPushButton* ReplaceButton() const { return m_pReplaceOne; }
    QPushButton* ReplaceAllButton() const { return m_pReplaceAll; }

protected:
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void UpdateButtons();
    // Highlight All: the view's marks follow the search text and options while the dialog is up.
    void UpdateMarks();

    // Watches the screen lock: the dialog floats above every window, the lock window included, and
    // must not let anyone search or change a document that the lock hides.
    QBasicTimer m_lockTimer;

    bool m_bFindOnly;
    QPointer<CEditorView> m_pView;
    QLineEdit* m_pFind = nullptr;
    QLineEdit* m_pReplace = nullptr;
    QCheckBox* m_pWholeWord = nullptr;
    QCheckBox* m_pMatchCase = nullptr;
    QCheckBox* m_pHighlightAll = nullptr;
    QRadioButton* m_pUp = nullptr;
    QRadioButton* m_pDown = nullptr;
    QPushButton* m_pFindNext = nullptr;
    QPushButton* m_pReplaceOne = nullptr;
    QPushButton* m_pReplaceAll = nullptr;
};
