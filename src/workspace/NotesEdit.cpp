#include "workspace/NotesEdit.h"

#include "textdoc/CommandMenu.h"
#include "textdoc/EditEx.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QTextBlock>

CNotesEdit::CNotesEdit(QWidget* parent)
    : QPlainTextEdit(parent), m_crBackColor(QApplication::palette().color(QPalette::Base)),
      m_crForeColor(QApplication::palette().color(QPalette::Text)) {
    ApplyColours();
    setTabChangesFocus(true);
}

namespace {

bool IsCtrlTab(const QKeyEvent* key) {
    return key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier;
}

} // namespace

bool CNotesEdit::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && IsCtrlTab(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QPlainTextEdit::event(event);
}

void CNotesEdit::keyPressEvent(QKeyEvent* event) {
    if (IsCtrlTab(event) && !isReadOnly()) {
        insertPlainText(QStringLiteral("\t"));
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CNotesEdit::ApplyColours() {
    QPalette colours = palette();
    colours.setColor(QPalette::Text, m_crForeColor);
    colours.setBrush(QPalette::Base, QBrush(m_crBackColor, Qt::SolidPattern));
    setPalette(colours);
    viewport()->update();
}

QColor CNotesEdit::SetBackColor(const QColor& colour) {
    const QColor previous = m_crBackColor;
    m_crBackColor = colour;
    ApplyColours();
    return previous;
}

QColor CNotesEdit::SetForeColor(const QColor& colour) {
    const QColor previous = m_crForeColor;
    m_crForeColor = colour;
    ApplyColours();
    return previous;
}

void CNotesEdit::ApplyFont(int nHeight, int /*nWeight*/, int nPitchAndFamily, const QString& faceName) {
    setFont(CEditEx::MakeFieldFont(nHeight, nPitchAndFamily, faceName));
    viewport()->update();
}

QString CNotesEdit::FirstLine() const {
    return document()->firstBlock().text();
}

QMenu* CNotesEdit::BuildContextMenu() {
    // The line that decides whether there is text to act on is the caret's; the link is the first line's.
    const int nCaretLine = static_cast<int>(textCursor().block().text().size());
    return CEditEx::BuildContextMenuFor(this, FirstLine(), nCaretLine, textCursor().hasSelection());
}

void CNotesEdit::contextMenuEvent(QContextMenuEvent* event) {
    textdoc::PopupCommandMenu(BuildContextMenu(), event->globalPos(), nullptr);
}
