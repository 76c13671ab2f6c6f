#pragma once

#include "cipher/DocumentFile.h"
#include "framework/View.h"
#include "textdoc/LineBreaks.h"

#include <QList>
#include <QMarginsF>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <memory>

class QPrinter;
class QTimer;
class CFindReplaceDlg;
class CLineNumberArea;

// The view of a text document: a plain-text editor in a fixed-pitch font, without word wrap, that
// takes only plain text from the clipboard and from drops, shows the caret position in the status
// bar and offers the clipboard commands on the right mouse button. The text lives here, so the view
// also reads and writes the document's enciphered file.
//
// The text is kept exactly: every line break comes back on save as the file had it (CRLF, LF or a
// lone CR, mixed in one file if need be), a new text gets CRLF, and no character is changed.
class CEditorView : public QPlainTextEdit, public CView {
    Q_OBJECT
public:
    CEditorView();
    ~CEditorView() override;

    QWidget* GetWnd() override { return this; }

    // Margins, font, no wrap, unmodified.
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, long lHint) override;

    // The document read: the file deciphered under the password, into the control, caret at the
    // start, unmodified. On failure the control is left as it was; the status tells why.
    cipher::DocStatus ReadDocumentFile(const QString& path, std::string_view passwordUtf8);
    // The text of a file's whole bytes under the password, deciphered off the user-interface thread
    // straight into the text's own buffer; `text` is left empty on failure.
    static cipher::DocStatus DecodeFileBytes(const platform::SecureBytes& fileBytes, std::string_view passwordUtf8,
                                             QString& text);
    // The document write of the control's text; unmodified once the file is written. `rule` says what
    // the write may replace; `written`, when given, gets the version written.
    cipher::DocStatus WriteDocumentFile(const QString& path, std::string_view passwordUtf8,
                                        cipher::DocFormat format = cipher::DocFormat::Compatible,
                                        const cipher::ReplaceRule& rule = {}, cipher::FileVersion* written = nullptr);

    // Puts a text into the control, replacing all of it, without an undo step; the caret goes to the
    // start and the control is unmodified. Its line breaks are remembered for GetText.
    void SetText(const QString& text);
    // The same for a new version of the same file: the caret, the selection and the scroll position
    // stay where they were, as far as the new text reaches.
    void ReplaceText(const QString& text);
    // The control's text, with the line breaks each line had when the text was put in; breaks the
    // user typed are those of the line they were typed in (CRLF in a new text).
    QString GetText() const;
    // The same as UTF-8, as the file is written from it.
    QByteArray GetTextUtf8() const;
    // The break written where the user starts a new line in a line without a break of its own kind.
    textdoc::LineBreak GetDefaultLineBreak() const { return m_defaultBreak; }

    // The control's modified flag, which is the document's.
    bool IsModified() const;
    void SetModified(bool bModified);

    // Copy (or Cut) of the selection, onto the clipboard through the clipboard guard.
    void CopyToClipboard(bool bCut);

    // " Ln %d, Col %d" for the caret (both counted from 1); UpdateCaretStatus shows it in pane 1.
    QString CaretStatusText() const;
    void UpdateCaretStatus();
    // True while this view is the one the main frame's commands go to (the pane shows its caret).
    bool IsActiveTextView() const;

    // Find and replace. The search starts after the selection (before it, upwards) and wraps around
    // the end of the text; false when the text holds no match at all.
    struct FindOptions {
        QString what;
        QString replaceWith;
        bool matchCase = false;
        bool wholeWord = false;
        bool down = true;
        // Highlight All: every match in sight is marked while the Find or Replace dialog is up.
        bool highlightAll = false;
    };
    static FindOptions& LastFind();
    // `pWrapped`, when given, learns whether the search went on from the other end of the text.
    bool FindText(const FindOptions& options, bool* pWrapped = nullptr);
    // Replaces the selection when it is a match, then selects the next match.
    bool ReplaceSelection(const FindOptions& options, bool* pWrapped = nullptr);
    // Replaces every match as one undo step; returns how many.
    int ReplaceAll(const FindOptions& options);
    // The find commands; each says "Cannot find" when nothing matches.
    void OnFindNext(const FindOptions& options);
    void OnReplace(const FindOptions& options);
    void OnReplaceAll(const FindOptions& options);
    CFindReplaceDlg* GetFindReplaceDlg() const;

    // Highlight All. The marks cover the part of the text in sight (the matches a little beyond its
    // edges included), at most kMaxFindMarks of them, and follow the text as it is edited, scrolled,
    // resized or rewrapped: marking a whole 16 MiB text would cost every keystroke 100,000 marks.
    // Without highlightAll or a text to find, ShowFindMarks removes the marks.
    static constexpr int kMaxFindMarks = 1000;
    void ShowFindMarks(const FindOptions& options);
    void HideFindMarks();
    // The matches marked now.
    int FindMarkCount() const { return static_cast<int>(m_findMarks.size()); }

    // Prints the text on the printer with half-inch margins; false when the printer can't be used.
    bool PrintDocument(QPrinter* printer);
    QMarginsF GetPrintMargins() const { return m_marginsTwips; }

    // View, Font and Zoom, kept in the profile for every text window: the font the user chose (Courier
    // New 10 pt until then), which printing uses at its own size, and the zoom, points added to its
    // size on screen only.
    static QFont ChosenFont();
    static int GetZoom();

    // The items of the context menu, built as shown (the command route sets their state).
    QMenu* BuildContextMenu();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Ctrl+wheel zooms; the wheel alone scrolls.
    void wheelEvent(QWheelEvent* event) override;

    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;

    // View, Word Wrap: kept in the profile, for every text window.
    static bool IsWordWrapOn();
    static void SetWordWrap(bool bOn);
    // View, Font and Zoom: written to the profile, shown in every text window at once.
    static void SetChosenFont(const QFont& font);
    static void SetZoom(int nPoints);
    // View, Line Numbers: the same, for the margin that numbers the lines.
    static bool IsLineNumbersOn();
    static void SetLineNumbers(bool bOn);

private:
    // The margin reads the view's layout of the text, and sets the viewport's margin.
    friend class CLineNumberArea;

    void MapEditCommands();
    void ApplyWordWrap();
    void MapZoomCommands();
    void ApplyFont();
    // Applies a choice kept for every text window (wrap, line numbers, font and zoom) to each of them.
    static void ApplyToEveryView(void (CEditorView::*apply)());
    void OnChooseFont();
    void ApplyLineNumbers();
    void OnGoToLine();
    void OnEditFindReplace(bool bFindOnly);
    void OnEditRepeat();
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();
    QPrinter* GetPrinter();
    void TextNotFound(const QString& what);
    // A find command's notice in the status bar's message pane; an empty one takes back the last
    // notice (when nothing else has been shown since) and leaves the idle text.
    void ShowFindNotice(const QString& notice);
    void WatchForFindMarks();
    void UpdateFindMarks();

    textdoc::LineBreak m_defaultBreak = textdoc::LineBreak::CrLf;
    // True once the text holds lines whose breaks differ from the default one; GetText then looks
    // at every line.
    bool m_bMixedBreaks = false;
    // Set while a key or a mouse press is being handled: its move shows when it is released.
    bool m_bInInput = false;
    QMarginsF m_marginsTwips;
    QPointer<CFindReplaceDlg> m_pFindDlg;
    // Highlight All: what is marked (nothing while empty), the marks, and the timer that gathers the
    // edits, scrolls and resizes of one event round into one update of the marks.
    FindOptions m_markOptions;
    QList<QTextEdit::ExtraSelection> m_findMarks;
    QTimer* m_pFindMarkTimer = nullptr;
    std::unique_ptr<QPrinter> m_pOwnPrinter;
    // Wheel turns not yet a whole zoom step (touchpads send small ones).
    int m_nWheelZoom = 0;
    CLineNumberArea* m_pLineNumbers = nullptr;
};
