#include "textdoc/EditorView.h"

#include "framework/BackgroundWork.h"
#include "framework/ClipboardGuard.h"
#include "framework/Document.h"
#include "framework/MDIFrameWnd.h"
#include "framework/MessageBox.h"
#include "framework/ResourceRegistry.h"
#include "framework/StandardIds.h"
#include "framework/StatusBar.h"
#include "framework/Utf8Text.h"
#include "framework/WinApp.h"
#include "platform/SecureMemory.h"
#include "res/resource.h"
#include "textdoc/CommandMenu.h"
#include "textdoc/FindReplaceDlg.h"
#include "textdoc/GoToLineDlg.h"
#include "textdoc/LineNumberArea.h"
#include "textdoc/TextPrinting.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The block property that remembers a line's own break: the break that ends the line before it. A
// block without it follows the text's default break. The editor copies a block's format to the new
// line when a line is split and keeps the first line's format when two are joined, so a break that
// the user leaves alone keeps its kind through every edit, undo and redo.
constexpr int kBreakProperty = QTextFormat::UserProperty + 1;

constexpr char16_t kParagraphSeparator = 0x2029;
constexpr char16_t kObjectReplacement = 0xFFFC;
constexpr double kTwipsPerInch = 1440.0;

// The UTF-16LE code units a save enciphers, exactly as the text's UTF-8 would give them: an unpaired
// surrogate becomes "?", as QString::toUtf8 makes it, and with `crlf` each paragraph separator
// becomes CR LF. Sized once, with room for the padding the cipher adds.
void FileUnits(const QString& text, bool crlf, platform::SecureBytes& out) {
    const char16_t* in = reinterpret_cast<const char16_t*>(text.utf16());
    const size_t count = static_cast<size_t>(text.size());
    const size_t breaks = crlf ? static_cast<size_t>(std::count(in, in + count, kParagraphSeparator)) : 0;
    out.reserve((count + breaks) * 2 + 8);
    out.resize((count + breaks) * 2);
    uint8_t* o = out.data();
    const auto put = [&o](char16_t unit) {
        *o++ = static_cast<uint8_t>(unit);
        *o++ = static_cast<uint8_t>(unit >> 8);
    };
    for (size_t i = 0; i < count; ++i) {
        const char16_t unit = in[i];
        if (unit >= 0xD800 && unit < 0xE000) {
            const bool pair = unit < 0xDC00 && i + 1 < count && in[i + 1] >= 0xDC00 && in[i + 1] < 0xE000;
            put(pair ? unit : u'?');
            if (pair)
                put(in[++i]);
        } else if (crlf && unit == kParagraphSeparator) {
            put(u'\r');
            put(u'\n');
        } else {
            put(unit);
        }
    }
}

std::string FileNameOf(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Files dragged from a file manager come as local file addresses (often with their paths as text).
bool HoldsLocalFiles(const QMimeData* source) {
    if (!source->hasUrls())
        return false;
    const QList<QUrl> urls = source->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

// The plain text that clipboard or drag data offers: its plain text, or the text of its formatted
// text when it has no plain text. False when it offers neither (an image alone, files).
bool PlainTextOf(const QMimeData* source, QString& text) {
    if (!source || HoldsLocalFiles(source))
        return false;
    if (source->hasText()) {
        text = source->text();
        return true;
    }
    if (!source->hasHtml())
        return false;
    text = QTextDocumentFragment::fromHtml(source->html()).toRawText();
    text.remove(QChar(kObjectReplacement));
    text.replace(QChar(kParagraphSeparator), QLatin1Char('\n'));
    return !text.isEmpty();
}

void ReplaceSeparators(QString& text, QChar replacement) {
    if (replacement.unicode() == kParagraphSeparator)
        return;
    for (QChar *ch = text.data(), *end = ch + text.size(); ch != end; ++ch) {
        if (ch->unicode() == kParagraphSeparator)
            *ch = replacement;
    }
}

textdoc::LineBreak BreakOf(const QTextBlock& block, textdoc::LineBreak fallback) {
    const QVariant kind = block.blockFormat().property(kBreakProperty);
    return kind.isValid() ? static_cast<textdoc::LineBreak>(kind.toInt()) : fallback;
}

} // namespace

CEditorView::CEditorView() : m_marginsTwips(720, 720, 720, 720) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setAcceptDrops(true);
    // What a screen reader calls the text; the window's title names the document.
    setAccessibleName(QStringLiteral("Text"));
    connect(document(), &QTextDocument::modificationChanged, this, [this](bool bModified) {
        if (CDocument* doc = GetDocument())
            doc->SetModifiedFlag(bModified);
    });
    // Moves that no key or click of the user's makes (Find, Replace, Undo from the menu) show at once;
    // a key or a click shows its move when it is released.
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (!m_bInInput && IsActiveTextView())
            UpdateCaretStatus();
    });
    m_pLineNumbers = new CLineNumberArea(this);
    MapEditCommands();
}

CEditorView::~CEditorView() {
    // The Find dialog takes its marks back as it goes: let it go while this view is still whole.
    delete m_pFindDlg.data();
    // The text may be a secret: leave as little of it behind as the editor lets us.
    if (!document()->isEmpty()) {
        document()->setUndoRedoEnabled(false);
        document()->clear();
    }
}

void CEditorView::MapEditCommands() {
    const auto hasSelection = [this](CCmdUI& ui) { ui.Enable(textCursor().hasSelection()); };
    const auto hasText = [this](CCmdUI& ui) { ui.Enable(!document()->isEmpty()); };
    MapCommand(
        ID_EDIT_UNDO, [this] { undo(); }, [this](CCmdUI& ui) { ui.Enable(document()->isUndoAvailable()); });
    MapCommand(
        ID_EDIT_REDO, [this] { redo(); }, [this](CCmdUI& ui) { ui.Enable(document()->isRedoAvailable()); });
    MapCommand(
        ID_EDIT_CUT, [this] { CopyToClipboard(true); },
        [this](CCmdUI& ui) { ui.Enable(textCursor().hasSelection() && !isReadOnly()); });
    MapCommand(
        ID_EDIT_COPY, [this] { CopyToClipboard(false); }, hasSelection);
    MapCommand(
        ID_EDIT_PASTE, [this] { paste(); }, [this](CCmdUI& ui) { ui.Enable(canPaste()); });
    MapCommand(
        ID_EDIT_CLEAR, [this] { textCursor().removeSelectedText(); }, hasSelection);
    MapCommand(
        ID_EDIT_SELECT_ALL, [this] { selectAll(); }, hasText);
    MapCommand(
        ID_EDIT_FIND, [this] { OnEditFindReplace(true); }, hasText);
    MapCommand(
        ID_EDIT_REPLACE, [this] { OnEditFindReplace(false); }, hasText);
    MapCommand(
        ID_EDIT_REPEAT, [this] { OnEditRepeat(); },
        [this](CCmdUI& ui) { ui.Enable(!document()->isEmpty() && !LastFind().what.isEmpty()); });
    MapCommand(
        ID_VIEW_WORD_WRAP, [] { SetWordWrap(!IsWordWrapOn()); }, [](CCmdUI& ui) { ui.SetCheck(IsWordWrapOn()); });
    MapCommand(
        ID_VIEW_LINE_NUMBERS, [] { SetLineNumbers(!IsLineNumbersOn()); },
        [](CCmdUI& ui) { ui.SetCheck(IsLineNumbersOn()); });
    MapCommand(ID_EDIT_GO_TO_LINE, [this] { OnGoToLine(); });
    MapCommand(ID_FILE_PRINT, [this] { OnFilePrint(); });
    MapCommand(ID_FILE_PRINT_DIRECT, [this] { OnFilePrintDirect(); });
    MapCommand(ID_FILE_PRINT_PREVIEW, [this] { OnFilePrintPreview(); });
    MapZoomCommands();
}

void CEditorView::OnInitialUpdate() {
    CView::OnInitialUpdate();
    m_marginsTwips = QMarginsF(720, 720, 720, 720);

    ApplyFont();
    QPalette colours = palette();
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);

    ApplyWordWrap();
    ApplyLineNumbers();
    SetModified(false);
}

namespace {
const QString kSettingsSection = QStringLiteral("Settings");
const QString kWordWrapEntry = QStringLiteral("WordWrap");
const QString kLineNumbersEntry = QStringLiteral("LineNumbers");

// The text view's on/off choices of how to read (wrap, line numbers): kept in the profile, off by
// default, and applied to every text window at once, as they are not properties of one file.
bool IsViewChoiceOn(const QString& entry) {
    CWinApp* app = AfxGetApp();
    return app && app->GetProfileInt(kSettingsSection, entry, 0) != 0;
}

void WriteViewChoice(const QString& entry, bool bOn) {
    if (CWinApp* app = AfxGetApp())
        app->WriteProfileInt(kSettingsSection, entry, bOn ? 1 : 0);
}
} // namespace

void CEditorView::ApplyToEveryView(void (CEditorView::*apply)()) {
    if (CMDIFrameWnd* frame = AfxGetMainFrame()) {
        for (CEditorView* view : frame->findChildren<CEditorView*>())
            (view->*apply)();
    }
}

bool CEditorView::IsWordWrapOn() {
    return IsViewChoiceOn(kWordWrapEntry);
}

void CEditorView::SetWordWrap(bool bOn) {
    WriteViewChoice(kWordWrapEntry, bOn);
    ApplyToEveryView(&CEditorView::ApplyWordWrap);
}

void CEditorView::ApplyWordWrap() {
    // Wrapping is only how lines are shown: the text, and so the file's bytes, keep their lines.
    setLineWrapMode(IsWordWrapOn() ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    ensureCursorVisible();
}

bool CEditorView::IsLineNumbersOn() {
    return IsViewChoiceOn(kLineNumbersEntry);
}

void CEditorView::SetLineNumbers(bool bOn) {
    WriteViewChoice(kLineNumbersEntry, bOn);
    ApplyToEveryView(&CEditorView::ApplyLineNumbers);
}

void CEditorView::ApplyLineNumbers() {
    m_pLineNumbers->SetShown(IsLineNumbersOn());
}

void CEditorView::OnGoToLine() {
    CGoToLineDlg dialog(document()->blockCount(), this);
    dialog.m_nLine = textCursor().blockNumber() + 1;
    if (dialog.DoModal() != IDOK)
        return;
    const QTextBlock block = document()->findBlockByNumber(dialog.m_nLine - 1);
    if (!block.isValid())
        return;
    // A column past the line's end goes to its end.
    const int column = std::min(dialog.m_nColumn - 1, std::max(0, block.length() - 1));
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + column);
    setTextCursor(cursor);
    centerCursor();
    setFocus(Qt::OtherFocusReason);
    UpdateCaretStatus();
}

void CEditorView::OnUpdate(CView*, long) {
    UpdateCaretStatus();
}

// ---- The text and its file ------------------------------------------------------------------------

void CEditorView::SetText(const QString& text) {
    const textdoc::LineBreakScan scan = textdoc::ScanLineBreaks(text);
    m_defaultBreak = scan.dominant;
    m_bMixedBreaks = !scan.exceptions.empty();

    QTextDocument* doc = document();
    // Straight into the document: no undo step (the editor starts a new history), and none of the
    // editor's pass that sets a character format over the whole text, which plain text doesn't need.
    doc->setPlainText(text);
    if (m_bMixedBreaks) {
        doc->setUndoRedoEnabled(false);
        QTextCursor cursor(doc);
        cursor.beginEditBlock();
        QTextBlock block = doc->begin();
        int number = 0;
        for (const auto& [line, kind] : scan.exceptions) {
            while (number < line && block.isValid()) {
                block = block.next();
                ++number;
            }
            if (!block.isValid())
                break;
            QTextBlockFormat format = block.blockFormat();
            format.setProperty(kBreakProperty, static_cast<int>(kind));
            cursor.setPosition(block.position());
            cursor.setBlockFormat(format);
        }
        cursor.endEditBlock();
        doc->setUndoRedoEnabled(true);
    }
    moveCursor(QTextCursor::Start);
    SetModified(false);
}

void CEditorView::ReplaceText(const QString& text) {
    const int anchor = textCursor().anchor();
    const int position = textCursor().position();
    const int scrolledTo = verticalScrollBar()->value();
    const int scrolledAcross = horizontalScrollBar()->value();
    SetText(text);
    const int end = document()->characterCount() - 1;
    QTextCursor cursor(document());
    cursor.setPosition(std::min(anchor, end));
    cursor.setPosition(std::min(position, end), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    verticalScrollBar()->setValue(scrolledTo);
    horizontalScrollBar()->setValue(scrolledAcross);
}

QString CEditorView::GetText() const {
    QString raw = document()->toRawText();
    if (!m_bMixedBreaks) {
        const QStringView lineBreak = textdoc::LineBreakText(m_defaultBreak);
        if (lineBreak.size() == 1) {
            ReplaceSeparators(raw, lineBreak[0]);
            return raw;
        }
    }
    // Every separator becomes the break of the line it starts, in one pass into a string of its
    // final size.
    QString text;
    text.reserve(raw.size() + raw.count(QChar(kParagraphSeparator)));
    QTextBlock block = document()->begin();
    const QChar* data = raw.constData();
    qsizetype start = 0;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (data[i].unicode() != kParagraphSeparator)
            continue;
        text.append(QStringView(data + start, i - start));
        if (m_bMixedBreaks) {
            block = block.next();
            text.append(textdoc::LineBreakText(BreakOf(block, m_defaultBreak)));
        } else {
            text.append(textdoc::LineBreakText(m_defaultBreak));
        }
        start = i + 1;
    }
    text.append(QStringView(data + start, raw.size() - start));
    WipeString(raw);
    return text;
}

QByteArray CEditorView::GetTextUtf8() const {
    if (m_bMixedBreaks || m_defaultBreak != textdoc::LineBreak::CrLf) {
        QString text = GetText();
        QByteArray utf8 = text.toUtf8();
        WipeString(text);
        return utf8;
    }
    // The usual case, CRLF throughout: convert once, then turn each separator's three UTF-8 bytes
    // into the two of CRLF in place. No character's encoding holds the separator's bytes, so they
    // can't be found inside another character.
    QString raw = document()->toRawText();
    QByteArray utf8 = raw.toUtf8();
    WipeString(raw);
    char* out = utf8.data();
    const char* in = out;
    const char* const end = in + utf8.size();
    while (in != end) {
        const char* mark = static_cast<const char*>(std::memchr(in, '\xE2', static_cast<size_t>(end - in)));
        if (!mark)
            mark = end;
        if (out != in)
            std::memmove(out, in, static_cast<size_t>(mark - in));
        out += mark - in;
        in = mark;
        if (in == end)
            break;
        if (end - in >= 3 && static_cast<uint8_t>(in[1]) == 0x80 && static_cast<uint8_t>(in[2]) == 0xA9) {
            *out++ = '\r';
            *out++ = '\n';
            in += 3;
        } else {
            *out++ = *in++;
        }
    }
    const qsizetype size = out - utf8.constData();
    platform::WipeMemory(utf8.data() + size, static_cast<size_t>(utf8.size() - size));
    utf8.truncate(size);
    return utf8;
}

cipher::DocStatus CEditorView::DecodeFileBytes(const platform::SecureBytes& fileBytes, std::string_view passwordUtf8,
                                               QString& text) {
    cipher::DocStatus status;
    RunInBackground([&] {
        size_t units = 0;
        status = cipher::DecodeAnyDocumentUtf16(
            fileBytes, passwordUtf8,
            [&text](size_t most) {
                text = QString(static_cast<qsizetype>(most), Qt::Uninitialized);
                return reinterpret_cast<char16_t*>(text.data());
            },
            units);
        // Shortening keeps the buffer: nothing is copied.
        text.resize(status.ok() ? static_cast<qsizetype>(units) : 0);
    });
    // An empty file holds nothing to decipher: it is a file that can't be read, not a wrong password.
    if (status.result == cipher::DocResult::WrongPassword && fileBytes.size() == 0)
        return {cipher::DocResult::CannotRead, 0};
    return status;
}

cipher::DocStatus CEditorView::ReadDocumentFile(const QString& path, std::string_view passwordUtf8) {
    platform::SecureBytes fileBytes;
    uint32_t error = 0;
    bool bRead = false;
    const std::string file = FileNameOf(path);
    RunInBackground([&] { bRead = cipher::ReadWholeFile(file, fileBytes, &error); });
    if (!bRead)
        return {cipher::DocResult::CannotRead, error};
    QString text;
    const cipher::DocStatus status = DecodeFileBytes(fileBytes, passwordUtf8, text);
    if (!status.ok())
        return status;
    SetText(text);
    WipeString(text);
    return status;
}

cipher::DocStatus CEditorView::WriteDocumentFile(const QString& path, std::string_view passwordUtf8,
                                                 cipher::DocFormat format, const cipher::ReplaceRule& rule,
                                                 cipher::FileVersion* written) {
    const std::string file = FileNameOf(path);
    cipher::DocStatus status;
    if (format == cipher::DocFormat::Compatible) {
        // The file holds UTF-16: the control's own code units go to the cipher without a trip
        // through UTF-8, laid out off the user-interface thread.
        const bool crlf = !m_bMixedBreaks && m_defaultBreak == textdoc::LineBreak::CrLf;
        QString text = crlf ? document()->toRawText() : GetText();
        RunInBackground([&] {
            platform::SecureBytes units;
            FileUnits(text, crlf, units);
            status = cipher::WriteDocumentFileUtf16(file, passwordUtf8, std::move(units), rule, written);
        });
        WipeString(text);
        if (status.ok())
            SetModified(false);
        return status;
    }
    QByteArray utf8 = GetTextUtf8();
    RunInBackground([&] {
        status = cipher::WriteDocumentFile(file, passwordUtf8,
                                           std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), format,
                                           rule, written);
    });
    WipeBytes(utf8);
    if (status.ok())
        SetModified(false);
    return status;
}

bool CEditorView::IsModified() const {
    return document()->isModified();
}

void CEditorView::SetModified(bool bModified) {
    document()->setModified(bModified);
}

// ---- Caret position and activity ------------------------------------------------------------------

QString CEditorView::CaretStatusText() const {
    // The caret, which is the moving end of a selection: a selection made upwards shows its start.
    const int caret = textCursor().position();
    const QTextBlock block = document()->findBlock(caret);
    const int line = block.isValid() ? block.blockNumber() + 1 : 1;
    const int column = block.isValid() ? caret - block.position() + 1 : 1;
    return QString::asprintf(" Ln %d, Col %d", line, column);
}

void CEditorView::UpdateCaretStatus() {
    CMDIFrameWnd* frame = AfxGetMainFrame();
    if (CStatusBar* bar = frame ? frame->GetStatusBar() : nullptr)
        bar->SetPaneText(1, CaretStatusText());
}

bool CEditorView::IsActiveTextView() const {
    CMDIFrameWnd* frame = AfxGetMainFrame();
    return frame && frame->GetActiveView() == this;
}

void CEditorView::keyPressEvent(QKeyEvent* event) {
    // The pane shows where the caret was when the key went down; the release shows where it went.
    UpdateCaretStatus();
    // The editor's own copy keys (Ctrl+C, Ctrl+Insert, Shift+Delete...) go through the guard as well.
    const bool bCut = event->matches(QKeySequence::Cut);
    if (bCut || event->matches(QKeySequence::Copy)) {
        if (bCut && isReadOnly())
            return;
        CopyToClipboard(bCut);
        event->accept();
        return;
    }
    m_bInInput = true;
    QPlainTextEdit::keyPressEvent(event);
    m_bInInput = false;
}

void CEditorView::keyReleaseEvent(QKeyEvent* event) {
    UpdateCaretStatus();
    QPlainTextEdit::keyReleaseEvent(event);
}

void CEditorView::mousePressEvent(QMouseEvent* event) {
    m_bInInput = true;
    QPlainTextEdit::mousePressEvent(event);
    m_bInInput = false;
}

void CEditorView::mouseMoveEvent(QMouseEvent* event) {
    m_bInInput = true;
    QPlainTextEdit::mouseMoveEvent(event);
    m_bInInput = false;
}

void CEditorView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        UpdateCaretStatus();
    QPlainTextEdit::mouseReleaseEvent(event);
}

// ---- Context menu and clipboard -------------------------------------------------------------------

void CEditorView::CopyToClipboard(bool bCut) {
    if (!textCursor().hasSelection())
        return;
    bCut ? cut() : copy();
    // A private note is as much a secret as a password: it leaves the clipboard on the guard's terms
    // (the managers' hint, the delay, the lock, the exit).
    if (CClipboardGuard* guard = CClipboardGuard::Get())
        guard->OfferSecret(QApplication::clipboard()->text());
}

QMenu* CEditorView::BuildContextMenu() {
    return textdoc::BuildCommandMenu({{ID_EDIT_UNDO, "&Undo\tCtrl+Z"},
                                      {0, nullptr},
                                      {ID_EDIT_CUT, "Cu&t\tCtrl+X"},
                                      {ID_EDIT_COPY, "&Copy\tCtrl+C"},
                                      {ID_EDIT_PASTE, "&Paste\tCtrl+V"},
                                      {ID_EDIT_SELECT_ALL, "Select A&ll\tCtrl+A"}},
                                     this);
}

void CEditorView::contextMenuEvent(QContextMenuEvent* event) {
    textdoc::PopupCommandMenu(BuildContextMenu(), event->globalPos(), this);
}

bool CEditorView::canInsertFromMimeData(const QMimeData* source) const {
    QString text;
    return PlainTextOf(source, text);
}

void CEditorView::insertFromMimeData(const QMimeData* source) {
    QString text;
    if (PlainTextOf(source, text))
        insertPlainText(text);
}

QMimeData* CEditorView::createMimeDataFromSelection() const {
    // Plain text only, every character as it is (the editor's own copy would turn non-breaking
    // spaces into spaces); lines end in "\n" as other programs here expect.
    QString text = textCursor().selectedText();
    text.replace(QChar(kParagraphSeparator), QLatin1Char('\n'));
    auto* data = new QMimeData;
    data->setText(text);
    return data;
}

// ---- Find and replace -----------------------------------------------------------------------------

CEditorView::FindOptions& CEditorView::LastFind() {
    // Shared by all text windows, as the find dialog's fields are.
    static FindOptions options;
    return options;
}

namespace {

QTextDocument::FindFlags FlagsOf(const CEditorView::FindOptions& options, bool down) {
    QTextDocument::FindFlags flags;
    if (options.matchCase)
        flags |= QTextDocument::FindCaseSensitively;
    if (options.wholeWord)
        flags |= QTextDocument::FindWholeWords;
    if (!down)
        flags |= QTextDocument::FindBackward;
    return flags;
}

} // namespace

bool CEditorView::FindText(const FindOptions& options, bool* pWrapped) {
    if (pWrapped)
        *pWrapped = false;
    if (options.what.isEmpty())
        return false;
    const QTextDocument::FindFlags flags = FlagsOf(options, options.down);
    QTextCursor found = document()->find(options.what, textCursor(), flags);
    if (found.isNull()) {
        // Nothing more in this direction: go on from the other end of the text.
        QTextCursor from(document());
        if (!options.down)
            from.movePosition(QTextCursor::End);
        found = document()->find(options.what, from, flags);
        if (pWrapped)
            *pWrapped = !found.isNull();
    }
    if (found.isNull())
        return false;
    setTextCursor(found);
    return true;
}

bool CEditorView::ReplaceSelection(const FindOptions& options, bool* pWrapped) {
    if (options.what.isEmpty())
        return false;
    QTextCursor cursor = textCursor();
    const Qt::CaseSensitivity cs = options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (cursor.hasSelection() && cursor.selectedText().compare(options.what, cs) == 0) {
        cursor.insertText(options.replaceWith);
        setTextCursor(cursor);
    }
    return FindText(options, pWrapped);
}

int CEditorView::ReplaceAll(const FindOptions& options) {
    if (options.what.isEmpty())
        return 0;
    const QTextDocument::FindFlags flags = FlagsOf(options, true);
    int count = 0;
    // The document moves every mark's cursor on every replacement: drop them while it works, the
    // edit's own update puts them back.
    if (!m_findMarks.isEmpty()) {
        m_findMarks.clear();
        setExtraSelections(m_findMarks);
    }
    QTextCursor edit(document());
    edit.beginEditBlock();
    QTextCursor found = document()->find(options.what, 0, flags);
    while (!found.isNull()) {
        // The cursor ends after the inserted text, so a replacement that holds the searched text
        // is not searched again.
        found.insertText(options.replaceWith);
        ++count;
        found = document()->find(options.what, found, flags);
    }
    edit.endEditBlock();
    if (m_pFindMarkTimer && !m_markOptions.what.isEmpty())
        m_pFindMarkTimer->start();
    return count;
}

void CEditorView::TextNotFound(const QString& what) {
    // The message box hands the focus to the main window when it closes; the user is correcting the
    // search term in the Find or Replace dialog, so the keys must go back there, not into the text
    // (where they would replace the selected match).
    QPointer<QWidget> searchWindow = QApplication::activeWindow();
    QPointer<QWidget> searchField = QApplication::focusWidget();
    AfxMessageBox(QStringLiteral("Cannot find \"%1\".").arg(what), MB_OK | MB_ICONINFORMATION);
    if (searchWindow && searchWindow == m_pFindDlg.data() && searchWindow->isVisible()) {
        searchWindow->activateWindow();
        if (searchField && searchWindow->isAncestorOf(searchField))
            searchField->setFocus(Qt::ActiveWindowFocusReason);
    }
}

namespace {

QString WrapNotice(bool bWrapped, bool bDown) {
    if (!bWrapped)
        return QString();
    return bDown ? QStringLiteral("Passed the end of the text; continued from the top.")
                 : QStringLiteral("Passed the start of the text; continued from the bottom.");
}

} // namespace

void CEditorView::ShowFindNotice(const QString& notice) {
    // The status bar is the main window's, shared by every text window: so is the notice last shown.
    static QString shown;
    CMDIFrameWnd* frame = AfxGetMainFrame();
    CStatusBar* bar = frame ? frame->GetStatusBar() : nullptr;
    if (!bar)
        return;
    if (!notice.isEmpty()) {
        bar->SetPaneText(0, notice);
        shown = notice;
        return;
    }
    // Only our own notice goes: another's message (a reload, say) stays until it is replaced.
    if (!shown.isEmpty() && bar->GetPaneText(0) == shown)
        bar->SetPaneText(0, AfxLoadString(AFX_IDS_IDLEMESSAGE));
    shown.clear();
}

void CEditorView::OnFindNext(const FindOptions& options) {
    LastFind() = options;
    bool bWrapped = false;
    const bool bFound = FindText(options, &bWrapped);
    ShowFindNotice(WrapNotice(bWrapped, options.down));
    if (!bFound)
        TextNotFound(options.what);
}

void CEditorView::OnReplace(const FindOptions& options) {
    LastFind() = options;
    bool bWrapped = false;
    const bool bFound = ReplaceSelection(options, &bWrapped);
    ShowFindNotice(WrapNotice(bWrapped, options.down));
    if (!bFound)
        TextNotFound(options.what);
}

void CEditorView::OnReplaceAll(const FindOptions& options) {
    LastFind() = options;
    const int count = ReplaceAll(options);
    if (count == 0) {
        ShowFindNotice(QString());
        TextNotFound(options.what);
        return;
    }
    ShowFindNotice(count == 1 ? QStringLiteral("Replaced 1 occurrence.")
                              : QStringLiteral("Replaced %1 occurrences.").arg(count));
}

CFindReplaceDlg* CEditorView::GetFindReplaceDlg() const {
    return m_pFindDlg.data();
}

void CEditorView::OnEditFindReplace(bool bFindOnly) {
    if (m_pFindDlg && m_pFindDlg->IsFindOnly() != bFindOnly)
        delete m_pFindDlg.data();
    if (!m_pFindDlg)
        m_pFindDlg = new CFindReplaceDlg(bFindOnly, this);
    FindOptions options = LastFind();
    // A selection within one line is what the user most likely wants to find.
    const QString selected = textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar(kParagraphSeparator)))
        options.what = selected;
    m_pFindDlg->SetOptions(options);
    m_pFindDlg->show();
    m_pFindDlg->raise();
    m_pFindDlg->activateWindow();
}

// ---- Highlight All --------------------------------------------------------------------------------

namespace {

// A match counts as a whole word when no letter or digit touches it, as the document's own search
// decides.
bool IsWholeWordAt(const QString& text, qsizetype at, qsizetype length) {
    const qsizetype end = at + length;
    return (at == 0 || !text.at(at - 1).isLetterOrNumber()) && (end >= text.size() || !text.at(end).isLetterOrNumber());
}

// The matches of `what` that lie within [from, to) of a piece of one line, as offsets into it. The
// piece may hold a character on either side of the range, for the whole-word test.
void MatchesIn(const QString& text, qsizetype from, qsizetype to, const CEditorView::FindOptions& options,
               std::vector<qsizetype>& found) {
    const Qt::CaseSensitivity cs = options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const qsizetype length = options.what.size();
    qsizetype at = text.indexOf(options.what, from, cs);
    while (at >= 0 && at + length <= to) {
        if (!options.wholeWord || IsWholeWordAt(text, at, length)) {
            found.push_back(at);
            at = text.indexOf(options.what, at + length, cs);
        } else {
            at = text.indexOf(options.what, at + 1, cs);
        }
    }
}

} // namespace

void CEditorView::ShowFindMarks(const FindOptions& options) {
    m_markOptions = options;
    if (!options.highlightAll || options.what.isEmpty())
        m_markOptions.what.clear();
    if (!m_markOptions.what.isEmpty())
        WatchForFindMarks();
    if (m_pFindMarkTimer)
        m_pFindMarkTimer->stop();
    UpdateFindMarks();
}

void CEditorView::HideFindMarks() {
    FindOptions none;
    ShowFindMarks(none);
}

void CEditorView::WatchForFindMarks() {
    if (m_pFindMarkTimer)
        return;
    m_pFindMarkTimer = new QTimer(this);
    m_pFindMarkTimer->setSingleShot(true);
    m_pFindMarkTimer->setInterval(0);
    connect(m_pFindMarkTimer, &QTimer::timeout, this, &CEditorView::UpdateFindMarks);
    const auto later = [this] {
        if (!m_markOptions.what.isEmpty())
            m_pFindMarkTimer->start();
    };
    // Edits, scrolling, and everything that lays the text out again (a resize, zoom, word wrap) and
    // so changes the scroll ranges.
    connect(document(), &QTextDocument::contentsChanged, m_pFindMarkTimer, later);
    for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, m_pFindMarkTimer, later);
        connect(bar, &QScrollBar::rangeChanged, m_pFindMarkTimer, later);
    }
    connect(this, &QPlainTextEdit::updateRequest, m_pFindMarkTimer, [this, later](const QRect& rect, int dy) {
        // The whole view drawn again without a scroll: a new font or a resize of the window.
        if (dy == 0 && rect.contains(viewport()->rect()))
            later();
    });
}

void CEditorView::UpdateFindMarks() {
    QList<QTextEdit::ExtraSelection> marks;
    const FindOptions& options = m_markOptions;
    if (!options.what.isEmpty()) {
        QTextCharFormat look;
        // A background alone: the text is drawn once over all marks (the view's text is black),
        // where a colour of its own would draw each marked line again.
        look.setBackground(QColor(255, 226, 77));
        const qsizetype length = options.what.size();
        const QRect area = viewport()->rect();
        const QPointF offset = contentOffset();
        // The x range in sight, in the coordinates of a line's layout: only lines that do not wrap
        // run past it.
        const qreal left = -offset.x();
        const qreal right = left + area.width();
        const bool bWrapped = lineWrapMode() != QPlainTextEdit::NoWrap;
        std::vector<qsizetype> found;
        for (QTextBlock block = firstVisibleBlock(); block.isValid() && marks.size() < kMaxFindMarks;
             block = block.next()) {
            const QRectF geometry = blockBoundingGeometry(block).translated(offset);
            if (geometry.top() > area.bottom())
                break;
            if (!block.isVisible() || geometry.bottom() < area.top())
                continue;
            // The part of the line in sight, then widened by a match's length on each side so that a
            // match cut by an edge of the view is marked too.
            const qsizetype lineLength = block.length() - 1;
            qsizetype from = lineLength;
            qsizetype to = 0;
            const QTextLayout* layout = block.layout();
            for (int i = 0; layout && i < layout->lineCount(); ++i) {
                const QTextLine line = layout->lineAt(i);
                const qreal top = geometry.top() + line.y();
                if (top + line.height() < area.top() || top > area.bottom())
                    continue;
                qsizetype start = line.textStart();
                qsizetype end = line.textStart() + line.textLength();
                if (!bWrapped) {
                    // A short line scrolled away to the left has nothing in sight.
                    if (line.x() + line.naturalTextWidth() < left)
                        continue;
                    start = std::max<qsizetype>(start, line.xToCursor(left));
                    end = std::min<qsizetype>(end, line.xToCursor(right) + 1);
                }
                from = std::min(from, start);
                to = std::max(to, end);
            }
            if (!layout || layout->lineCount() == 0) {
                from = 0;
                to = lineLength;
            }
            from = std::max<qsizetype>(0, from - length);
            to = std::min(lineLength, to + length);
            if (to - from < length)
                continue;
            // The piece with one character more on each side, for the whole-word test; taken through
            // a cursor, which copies only the piece even of a line of many megabytes.
            const qsizetype pieceStart = std::max<qsizetype>(0, from - 1);
            QTextCursor piece(document());
            piece.setPosition(block.position() + static_cast<int>(pieceStart));
            piece.setPosition(block.position() + static_cast<int>(std::min(lineLength, to + 1)),
                              QTextCursor::KeepAnchor);
            QString text = piece.selectedText();
            // The document's search sees a non-breaking space as a blank; so do the marks.
            text.replace(QChar::Nbsp, QLatin1Char(' '));
            found.clear();
            MatchesIn(text, from - pieceStart, to - pieceStart, options, found);
            for (const qsizetype at : found) {
                if (marks.size() >= kMaxFindMarks)
                    break;
                QTextEdit::ExtraSelection mark;
                mark.format = look;
                mark.cursor = QTextCursor(document());
                mark.cursor.setPosition(block.position() + static_cast<int>(pieceStart + at));
                mark.cursor.setPosition(mark.cursor.position() + static_cast<int>(length), QTextCursor::KeepAnchor);
                marks.push_back(mark);
            }
        }
    }
    // Setting the same marks again would only draw the view again (and ask for another update).
    const auto sameRange = [](const QTextEdit::ExtraSelection& a, const QTextEdit::ExtraSelection& b) {
        return a.cursor.anchor() == b.cursor.anchor() && a.cursor.position() == b.cursor.position();
    };
    if (marks.size() == m_findMarks.size() && std::equal(marks.begin(), marks.end(), m_findMarks.begin(), sameRange))
        return;
    m_findMarks = marks;
    setExtraSelections(m_findMarks);
}

void CEditorView::OnEditRepeat() {
    if (LastFind().what.isEmpty()) {
        OnEditFindReplace(true);
        return;
    }
    OnFindNext(LastFind());
}

// ---- Printing -------------------------------------------------------------------------------------

QPrinter* CEditorView::GetPrinter() {
    // The application's printer carries the choices of Print Setup.
    if (CWinApp* app = AfxGetApp())
        return app->GetPrinter();
    if (!m_pOwnPrinter)
        m_pOwnPrinter = std::make_unique<QPrinter>();
    return m_pOwnPrinter.get();
}

namespace {

// A PDF written to a file holds the deciphered text: like the enciphered files, it is created readable
// by its owner alone (the PDF writer would leave it to the umask, usually 0644), and an existing file
// loses the rights of others before the text goes in. Nothing to do for a preview or a real printer.
bool MakePrivateOutputFile(QPrinter* printer) {
    QPaintEngine* engine = printer->paintEngine();
    if (!engine || engine->type() != QPaintEngine::Pdf || printer->outputFileName().isEmpty())
        return true;
    const QByteArray path = QFile::encodeName(printer->outputFileName());
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool privateNow = ::fchmod(fd, 0600) == 0;
    ::close(fd);
    return privateNow;
}

} // namespace

bool CEditorView::PrintDocument(QPrinter* printer) {
    if (!printer || !printer->isValid())
        return false;
    const QMarginsF inches(m_marginsTwips.left() / kTwipsPerInch, m_marginsTwips.top() / kTwipsPerInch,
                           m_marginsTwips.right() / kTwipsPerInch, m_marginsTwips.bottom() / kTwipsPerInch);
    printer->setPageMargins(inches, QPageLayout::Inch);
    if (CDocument* doc = GetDocument())
        printer->setDocName(doc->GetTitle());
    if (!MakePrivateOutputFile(printer))
        return false;
    const std::unique_ptr<QTextDocument> pages = textdoc::LayOutPrintedPages(*document(), printer, ChosenFont());
    textdoc::PrintPages(*pages, printer);
    return printer->printerState() != QPrinter::Error;
}

void CEditorView::OnFilePrint() {
    QPrinter* printer = GetPrinter();
    QPrintDialog dialog(printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!PrintDocument(printer))
        AfxMessageBox(QStringLiteral("The document could not be printed."), MB_OK | MB_ICONEXCLAMATION);
}

void CEditorView::OnFilePrintDirect() {
    if (!PrintDocument(GetPrinter()))
        AfxMessageBox(QStringLiteral("The document could not be printed."), MB_OK | MB_ICONEXCLAMATION);
}

void CEditorView::OnFilePrintPreview() {
    QPrintPreviewDialog preview(GetPrinter(), this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { PrintDocument(printer); });
    preview.exec();
}
