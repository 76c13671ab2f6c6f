#include "textdoc/FindReplaceDlg.h"

#include "docs/LockGate.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimerEvent>
#include <QVBoxLayout>

CFindReplaceDlg::CFindReplaceDlg(bool bFindOnly, CEditorView* pView)
    : QDialog(pView), m_bFindOnly(bFindOnly), m_pView(pView) {
    setWindowTitle(bFindOnly ? QStringLiteral("Find") : QStringLiteral("Replace"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    m_lockTimer.start(100, this);

    auto* fields = new QGridLayout;
    m_pFind = new QLineEdit(this);
    auto* findLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
    findLabel->setBuddy(m_pFind);
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(m_pFind, 0, 1);
    if (!bFindOnly) {
        m_pReplace = new QLineEdit(this);
        auto* replaceLabel = new QLabel(QStringLiteral("Re&place with:"), this);
        replaceLabel->setBuddy(m_pReplace);
        fields->addWidget(replaceLabel, 1, 0);
        fields->addWidget(m_pReplace, 1, 1);
    }

    m_pWholeWord = new QCheckBox(QStringLiteral("Match &whole word only"), this);
    m_pMatchCase = new QCheckBox(QStringLiteral("Match &case"), this);
    m_pHighlightAll = new QCheckBox(QStringLiteral("Highlight &All"), this);
    auto* options = new QHBoxLayout;
    auto* checks = new QVBoxLayout;
    checks->addWidget(m_pWholeWord);
    checks->addWidget(m_pMatchCase);
    checks->addWidget(m_pHighlightAll);
    checks->addStretch();
    options->addLayout(checks);
    m_pUp = new QRadioButton(QStringLiteral("&Up"), this);
    m_pDown = new QRadioButton(QStringLiteral("&Down"), this);
    m_pDown->setChecked(true);
    if (bFindOnly) {
        auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
        auto* directionLayout = new QHBoxLayout(direction);
        directionLayout->addWidget(m_pUp);
        directionLayout->addWidget(m_pDown);
        options->addWidget(direction);
    } else {
        m_pUp->hide();
        m_pDown->hide();
    }

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(options);
    left->addStretch();

    auto* buttons = new QVBoxLayout;
    m_pFindNext = new QPushButton(QStringLiteral("&Find Next"), this);
    m_pFindNext->setDefault(true);
    buttons->addWidget(m_pFindNext);
    if (!bFindOnly) {
        m_pReplaceOne = new QPushButton(QStringLiteral("&Replace"), this);
        // Alt+A is Highlight All's in both dialogs.
        m_pReplaceAll = new QPushButton(QStringLiteral("Replace A&ll"), this);
        buttons->addWidget(m_pReplaceOne);
        buttons->addWidget(m_pReplaceAll);
    }
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addWidget(cancel);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    connect(m_pFindNext, &QPushButton::clicked, this, [this] {
        if (m_pView)
            m_pView->OnFindNext(GetOptions());
    });
    if (m_pReplaceOne) {
        connect(m_pReplaceOne, &QPushButton::clicked, this, [this] {
            if (m_pView)
                m_pView->OnReplace(GetOptions());
        });
        connect(m_pReplaceAll, &QPushButton::clicked, this, [this] {
            if (m_pView)
                m_pView->OnReplaceAll(GetOptions());
        });
    }
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
    connect(m_pFind, &QLineEdit::textChanged, this, &CFindReplaceDlg::UpdateButtons);
    connect(m_pFind, &QLineEdit::textChanged, this, &CFindReplaceDlg::UpdateMarks);
    for (QCheckBox* check : {m_pMatchCase, m_pWholeWord, m_pHighlightAll})
        connect(check, &QCheckBox::toggled, this, &CFindReplaceDlg::UpdateMarks);
    UpdateButtons();
}

CEditorView::FindOptions CFindReplaceDlg::GetOptions() const {
    CEditorView::FindOptions options;
    options.what = m_pFind->text();
    options.replaceWith = m_pReplace ? m_pReplace->text() : CEditorView::LastFind().replaceWith;
    options.matchCase = m_pMatchCase->isChecked();
    options.wholeWord = m_pWholeWord->isChecked();
    options.down = m_bFindOnly ? !m_pUp->isChecked() : true;
    options.highlightAll = m_pHighlightAll->isChecked();
    return options;
}

void CFindReplaceDlg::SetOptions(const CEditorView::FindOptions& options) {
    m_pFind->setText(options.what);
    m_pFind->selectAll();
    if (m_pReplace)
        m_pReplace->setText(options.replaceWith);
    m_pMatchCase->setChecked(options.matchCase);
    m_pWholeWord->setChecked(options.wholeWord);
    m_pHighlightAll->setChecked(options.highlightAll);
    (options.down ? m_pDown : m_pUp)->setChecked(true);
    UpdateButtons();
}

void CFindReplaceDlg::UpdateButtons() {
    const bool hasText = !m_pFind->text().isEmpty();
    m_pFindNext->setEnabled(hasText);
    if (m_pReplaceOne) {
        m_pReplaceOne->setEnabled(hasText);
        m_pReplaceAll->setEnabled(hasText);
    }
}

void CFindReplaceDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_lockTimer.timerId()) {
        QDialog::timerEvent(event);
        return;
    }
    if (CLockGate* lock = CLockGate::Get(); lock && lock->IsLocked())
        close();
}

void CFindReplaceDlg::UpdateMarks() {
    // Before the dialog shows, its fields are still being filled: showing marks the lot at once.
    if (m_pView && isVisible())
        m_pView->ShowFindMarks(GetOptions());
}

void CFindReplaceDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    UpdateMarks();
}

void CFindReplaceDlg::hideEvent(QHideEvent* event) {
    // Closed in any way (Cancel, Esc, the lock, the view's other dialog): the marks go with it.
    if (m_pView)
        m_pView->HideFindMarks();
    QDialog::hideEvent(event);
}
