#include "workspace/NotesEdit.h"

#include "textdoc/CommandMenu.h"
#include "textdoc/EditEx.h"

#include "textdoc/LineBreaks.h"
#include "workspace/OneTimeCodeRow.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>

namespace {

// Each line (block) remembers the kind of the break in front of it; a line without the mark
// follows a CR LF. The editor copies a line's format into a line split off it, so breaks made
// here always start their line with a format that carries no mark.
constexpr int kBreakProperty = QTextFormat::UserProperty + 1;

textdoc::LineBreak BreakBefore(const QTextBlock& block) {
    const QVariant kind = block.blockFormat().property(kBreakProperty);
    return kind.isValid() ? static_cast<textdoc::LineBreak>(kind.toInt()) : textdoc::LineBreak::CrLf;
}

QTextBlockFormat WithoutBreakMark(QTextBlockFormat format) {
    format.clearProperty(kBreakProperty);
    return format;
}

} // namespace

CNotesEdit::CNotesEdit(QWidget* parent)
    : QPlainTextEdit(parent), m_crBackColor(QApplication::palette().color(QPalette::Base)),
      m_crForeColor(QApplication::palette().color(QPalette::Text)) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
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

void CNotesEdit::SetRecordText(const QString& text) {
    // The editor splits the text into lines at exactly the breaks the scan finds.
    const textdoc::LineBreakScan scan = textdoc::ScanLineBreaks(text);
    setPlainText(text);
    if (scan.dominant == textdoc::LineBreak::CrLf && scan.exceptions.empty())
        return;
    QTextDocument* doc = document();
    doc->setUndoRedoEnabled(false);
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    auto exception = scan.exceptions.begin();
    int line = 1;
    for (QTextBlock block = doc->begin().next(); block.isValid(); block = block.next(), ++line) {
        textdoc::LineBreak kind = scan.dominant;
        if (exception != scan.exceptions.end() && exception->first == line)
            kind = (exception++)->second;
        if (kind == textdoc::LineBreak::CrLf)
            continue;
        QTextBlockFormat format = block.blockFormat();
        format.setProperty(kBreakProperty, static_cast<int>(kind));
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
    }
    cursor.endEditBlock();
    doc->setUndoRedoEnabled(true);
    // Marking the breaks is part of showing the text: nothing the user could undo or save.
    doc->setModified(false);
    moveCursor(QTextCursor::Start);
}

QString CNotesEdit::GetRecordText() const {
    // The blocks' own text, not toPlainText(), which turns U+00A0 into a space and U+2028 into LF.
    QString text;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin())
            text.append(textdoc::LineBreakText(BreakBefore(block)));
        text.append(block.text());
    }
    return text;
}

void CNotesEdit::InsertTypedText(const QString& text) {
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool bEnd = i == text.size();
        const char16_t ch = bEnd ? 0 : text[i].unicode();
        const bool bBreak =
            !bEnd && (ch == u'\r' || ch == u'\n' || ch == 0x2028 || ch == 0x2029 || ch == 0xFDD0 || ch == 0xFDD1);
        if (!bEnd && !bBreak)
            continue;
        if (i > start)
            cursor.insertText(text.mid(start, i - start));
        if (bBreak) {
            cursor.insertBlock(WithoutBreakMark(cursor.blockFormat()));
            if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        }
        start = i + 1;
    }
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

void CNotesEdit::keyPressEvent(QKeyEvent* event) {
    if (IsCtrlTab(event) && !isReadOnly()) {
        insertPlainText(QStringLiteral("\t"));
        event->accept();
        return;
    }
    // Enter starts a new line with a CR LF in front of it; Shift+Enter too, where the editor would
    // otherwise put a U+2028 into the text, which the notes of passwords files never hold.
    const bool bEnter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers others = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (bEnter && others == Qt::NoModifier && !isReadOnly()) {
        InsertTypedText(QStringLiteral("\n"));
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CNotesEdit::insertFromMimeData(const QMimeData* source) {
    if (!source || isReadOnly() || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    InsertTypedText(source->text());
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
    QMenu* menu = CEditEx::BuildContextMenuFor(this, FirstLine(), nCaretLine, textCursor().hasSelection());
    workspace::AddCopyOneTimeCodeItem(menu);
    return menu;
}

void CNotesEdit::contextMenuEvent(QContextMenuEvent* event) {
    textdoc::PopupCommandMenu(BuildContextMenu(), event->globalPos(), nullptr);
}
