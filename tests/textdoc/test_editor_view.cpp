#include "common/GuiTestEnv.h"

#include "cipher/DocumentFile.h"
#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/MDIChildWnd.h"
#include "framework/MessageBox.h"
#include "framework/ModalAnswer.h"
#include "framework/StatusBar.h"
#include "res/resource.h"
#include "shell/EditorApp.h"
#include "shell/MainFrame.h"
#include "textdoc/CommandMenu.h"
#include "textdoc/EditorView.h"
#include "textdoc/FindReplaceDlg.h"
#include "textdoc/LineNumberArea.h"
#include "textdoc/TextPrinting.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

// An item as the menu shows it: its name, then its key after a tab.
QString ShownText(const QAction* action) {
    return action->shortcut().isEmpty() ? action->text()
                                        : action->text() + QLatin1Char('\t') + action->shortcut().toString();
}

class TextTestDoc : public CDocument {};

// The editor with a text type whose view is the real one.
class TextTestApp : public CEditorApp {
protected:
    void RegisterDocTemplates() override {
        m_pTextTemplate = AddDocTemplate(CMultiDocTemplate::Make<TextTestDoc, CMDIChildWnd, CEditorView>(IDR_ETXTYPE));
    }
};

const QString kPassword = QStringLiteral("Tr0ub4dor&3");
const std::string kPasswordUtf8 = kPassword.toStdString();

QString U(const char16_t* text) {
    return QString::fromUtf16(text);
}

// A file enciphered by the core alone, holding exactly this text.
void WriteCoreFile(const QString& path, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    QVERIFY(cipher::WriteDocumentFile(QFile::encodeName(path).toStdString(), kPassword.toStdString(),
                                      std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())))
                .ok());
}

QString ReadCoreFile(const QString& path) {
    platform::SecureString text;
    if (!cipher::ReadDocumentFile(QFile::encodeName(path).toStdString(), kPassword.toStdString(), text).ok())
        return QStringLiteral("<unreadable>");
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void SendKey(QWidget* target, QEvent::Type type, Qt::Key key) {
    QKeyEvent event(type, key, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// The matches the view marks, as "offset:text", in the order drawn.
QStringList Marks(const CEditorView* view) {
    QStringList marks;
    for (const QTextEdit::ExtraSelection& mark : view->extraSelections())
        marks << QStringLiteral("%1:%2").arg(mark.cursor.selectionStart()).arg(mark.cursor.selectedText());
    return marks;
}

// What a screen reader finds under a window: the name of every object, visible or not, with its role.
QStringList AccessibleTexts(QWidget* root) {
    QStringList texts;
    std::function<void(QAccessibleInterface*, int)> walk = [&](QAccessibleInterface* iface, int depth) {
        if (!iface || !iface->isValid() || depth > 20)
            return;
        if (!iface->state().invisible)
            texts << QStringLiteral("%1 %2").arg(int(iface->role())).arg(iface->text(QAccessible::Name));
        for (int i = 0; i < iface->childCount(); ++i)
            walk(iface->child(i), depth + 1);
    };
    walk(QAccessible::queryAccessibleInterface(root), 0);
    return texts;
}

} // namespace

class TestEditorView : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TextTestApp> m_app;
    GuiTestEnv m_env;
    CEditorView* m_view = nullptr;
    CDocument* m_doc = nullptr;

    CMainFrame* Frame() const { return m_app->GetMainFrame(); }
    QString Pane() const { return Frame()->GetStatusBar()->GetPaneText(1); }
    QString Message() const { return Frame()->GetStatusBar()->GetPaneText(0); }

    // The Find (or Replace) dialog up and active with the keys in its search field, as Ctrl+F leaves it.
    CFindReplaceDlg* OpenFindDialog(int nID) {
        if (!Frame()->SendCommand(nID))
            return nullptr;
        CFindReplaceDlg* dialog = m_view->GetFindReplaceDlg();
        if (!dialog || !QTest::qWaitForWindowActive(dialog))
            return nullptr;
        const bool inField = QTest::qWaitFor(
            [dialog] { return QApplication::focusWidget() == static_cast<QWidget*>(dialog->FindEdit()); });
        return inField ? dialog : nullptr;
    }
    QString Path(const char* name) const { return m_env.FilePath(QLatin1String(name)); }

    // The main window shown and active with the keys in the text, as the user has it.
    void Activate() {
        Frame()->show();
        Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
        m_view->setFocus();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_view));
    }

    // Through a real file: the text put in by the core, read by the view, written back by the view.
    QString RoundTrip(const QString& text) {
        WriteCoreFile(Path("in.etx"), text);
        if (!m_view->ReadDocumentFile(Path("in.etx"), kPasswordUtf8).ok())
            return QStringLiteral("<not read>");
        if (!m_view->WriteDocumentFile(Path("out.etx"), kPasswordUtf8).ok())
            return QStringLiteral("<not written>");
        return ReadCoreFile(Path("out.etx"));
    }

private slots:
    void initTestCase() {
        // One editor for all the tests, each with a new document.
        m_env.Begin();
        m_env.Reset();
        QVERIFY(m_env.Start(m_app));
        // Started without a document, the keys go to the document area.
        Frame()->show();
        Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Frame()->MDIClient()));
    }

    void cleanupTestCase() {
        m_env.Stop(m_app);
        m_env.End();
    }

    void init() {
        MessageBox::clearAnswers();
        m_doc = m_app->GetTextTemplate()->OpenDocumentFile(QString());
        QVERIFY(m_doc);
        m_view = dynamic_cast<CEditorView*>(m_doc->GetFirstView());
        QVERIFY(m_view);
        m_view->setFocus();
        CEditorView::LastFind() = {};
    }

    void cleanup() {
        m_doc->SetModifiedFlag(false);
        m_doc->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_view = nullptr;
    }

    // ---- Exact text -------------------------------------------------------------------------------

    void exactText_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("CRLF") << QStringLiteral("one\r\ntwo\r\n\r\nfour\r\n");
        QTest::newRow("LF") << QStringLiteral("one\ntwo\n\nfour\n");
        QTest::newRow("lone CR") << QStringLiteral("one\rtwo\r\rfour\r");
        QTest::newRow("mixed") << QStringLiteral("a\r\nb\nc\rd\r\ne\n\r\r\nf");
        QTest::newRow("CR before CRLF") << QStringLiteral("x\r\r\ny\n\rz");
        QTest::newRow("no break") << QStringLiteral("just one line");
        QTest::newRow("no-break spaces and tabs") << U(u"1\u00a0000\u00a0\tkr\r\n\u00a0\u00a0indent\r\n");
        QTest::newRow("CRLF beside look-alike bytes") << U(u"\u20ac 5\u2028\u2026\r\n\u2028\r\n\u00e2\u0080\u00a9");
        QTest::newRow("separators in the text") << U(u"a\u2028b\u2029c\r\nd\ufdd0e\ufdd1f\u2029");
        QTest::newRow("beyond the BMP and NUL") << U(u"\U0001F511 key\r\nnul:") + QChar(0) + QStringLiteral("end");
    }

    void exactText() {
        QFETCH(QString, text);
        QCOMPARE(RoundTrip(text), text);
        QVERIFY(!m_view->IsModified());
        // Every break is one line of the control, as the caret status counts them.
        QCOMPARE(m_view->document()->blockCount(), static_cast<int>(textdoc::ScanLineBreaks(text).count) + 1);
    }

    // Breaks the user leaves alone keep their kind through typing, splitting, joining and undo.
    void editsKeepUntouchedBreaks() {
        WriteCoreFile(Path("mixed.etx"), QStringLiteral("one\r\ntwo\nthree\rfour"));
        QVERIFY(m_view->ReadDocumentFile(Path("mixed.etx"), kPasswordUtf8).ok());
        QTextCursor cursor = m_view->textCursor();

        cursor.setPosition(m_view->document()->findBlockByNumber(1).position() + 3);
        m_view->setTextCursor(cursor);
        QTest::keyClicks(m_view, QStringLiteral("X"));
        QCOMPARE(m_view->GetText(), QStringLiteral("one\r\ntwoX\nthree\rfour"));

        // A new line inside "three" gets the break of the line it was typed in.
        cursor.setPosition(m_view->document()->findBlockByNumber(2).position() + 2);
        m_view->setTextCursor(cursor);
        QTest::keyClick(m_view, Qt::Key_Return);
        QCOMPARE(m_view->GetText(), QStringLiteral("one\r\ntwoX\nth\nree\rfour"));

        // Joining "four" to the line before removes exactly the CR between them.
        cursor.setPosition(m_view->document()->findBlockByNumber(4).position());
        m_view->setTextCursor(cursor);
        QTest::keyClick(m_view, Qt::Key_Backspace);
        QCOMPARE(m_view->GetText(), QStringLiteral("one\r\ntwoX\nth\nreefour"));

        m_view->undo();
        QCOMPARE(m_view->GetText(), QStringLiteral("one\r\ntwoX\nth\nree\rfour"));

        // A pasted break, like a typed one, is that of the line it goes into.
        cursor.movePosition(QTextCursor::End);
        m_view->setTextCursor(cursor);
        QApplication::clipboard()->setText(QStringLiteral("\n5"));
        m_view->paste();
        QCOMPARE(m_view->GetText().right(7), QStringLiteral("\rfour\r5"));

        QVERIFY(m_view->WriteDocumentFile(Path("mixed2.etx"), kPasswordUtf8).ok());
        QCOMPARE(ReadCoreFile(Path("mixed2.etx")), m_view->GetText());
    }

    // The view hands the cipher its UTF-16 code units; the files are byte for byte those of the
    // text's UTF-8 through the core, unpaired surrogates ("?" there) and every kind of break included.
    void savedBytesEqualTheUtf8Route() {
        const QString texts[] = {
            U(u"a\r\nb\r\n\U0001F600\r\n"),
            QString(QChar(0xD800)) + U(u"x\r\ny") + QChar(0xDC00) + QChar(0xDBFF),
            U(u"lf\nonly\n") + QChar(0xDC01) + QChar(0xD801) + U(u"\u2028\u00e9"),
            U(u"mixed\r\nbreaks\nhere\r") + QChar(0xD83D),
            QString(),
        };
        for (const QString& text : texts) {
            m_view->SetText(text);
            QVERIFY(m_view->WriteDocumentFile(Path("units.etx"), kPasswordUtf8).ok());
            WriteCoreFile(Path("utf8.etx"), m_view->GetText());
            QCOMPARE(GuiTestEnv::Bytes(Path("units.etx")), GuiTestEnv::Bytes(Path("utf8.etx")));
        }
    }

    void newTextWritesCrLf() {
        QCOMPARE(m_view->GetDefaultLineBreak(), textdoc::LineBreak::CrLf);
        QTest::keyClicks(m_view, QStringLiteral("ab"));
        QTest::keyClick(m_view, Qt::Key_Return);
        QTest::keyClick(m_view, Qt::Key_Return);
        QTest::keyClicks(m_view, QStringLiteral("c"));
        QVERIFY(m_view->WriteDocumentFile(Path("new.etx"), kPasswordUtf8).ok());
        QCOMPARE(ReadCoreFile(Path("new.etx")), QStringLiteral("ab\r\n\r\nc"));
    }

    void uniformFileKeepsItsBreakForNewLines() {
        WriteCoreFile(Path("lf.etx"), QStringLiteral("a\nb"));
        QVERIFY(m_view->ReadDocumentFile(Path("lf.etx"), kPasswordUtf8).ok());
        m_view->moveCursor(QTextCursor::End);
        QTest::keyClick(m_view, Qt::Key_Return);
        QTest::keyClicks(m_view, QStringLiteral("c"));
        QCOMPARE(m_view->GetText(), QStringLiteral("a\nb\nc"));
    }

    void emptyTextSavesAndReopens() {
        WriteCoreFile(Path("full.etx"), QStringLiteral("something"));
        QVERIFY(m_view->ReadDocumentFile(Path("full.etx"), kPasswordUtf8).ok());
        m_view->selectAll();
        QTest::keyClick(m_view, Qt::Key_Delete);
        QVERIFY(m_view->IsModified());
        const cipher::DocStatus status = m_view->WriteDocumentFile(Path("full.etx"), kPasswordUtf8);
        QVERIFY2(status.ok(), cipher::DescribeFailure(status, "full.etx").c_str());
        QCOMPARE(QFileInfo(Path("full.etx")).size(), qint64(8));
        QVERIFY(!m_view->IsModified());
        m_view->setPlainText(QStringLiteral("stale"));
        QVERIFY(m_view->ReadDocumentFile(Path("full.etx"), kPasswordUtf8).ok());
        QVERIFY(m_view->document()->isEmpty());
    }

    void failedReadsLeaveTheTextAlone() {
        m_view->SetText(QStringLiteral("kept"));
        WriteCoreFile(Path("other.etx"), QStringLiteral("secret"));
        QCOMPARE(m_view->ReadDocumentFile(Path("other.etx"), "wrong").result, cipher::DocResult::WrongPassword);
        QCOMPARE(m_view->ReadDocumentFile(Path("missing.etx"), kPasswordUtf8).result, cipher::DocResult::CannotRead);
        QFile empty(Path("empty.etx"));
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        QCOMPARE(m_view->ReadDocumentFile(Path("empty.etx"), kPasswordUtf8).result, cipher::DocResult::CannotRead);
        QCOMPARE(m_view->GetText(), QStringLiteral("kept"));
    }

    void failedWriteKeepsTheDocumentModified() {
        QTest::keyClicks(m_view, QStringLiteral("text"));
        QVERIFY(m_view->IsModified());
        QVERIFY(m_doc->IsModified());
        const cipher::DocStatus status = m_view->WriteDocumentFile(Path("no-such-folder/x.etx"), kPasswordUtf8);
        QCOMPARE(status.result, cipher::DocResult::CannotWrite);
        QVERIFY(m_view->IsModified());
    }

    void openingLeavesCaretAtStartAndUnmodified() {
        WriteCoreFile(Path("open.etx"), QStringLiteral("first\r\nsecond"));
        QVERIFY(m_view->ReadDocumentFile(Path("open.etx"), kPasswordUtf8).ok());
        QCOMPARE(m_view->textCursor().position(), 0);
        QVERIFY(!m_view->IsModified());
        QVERIFY(!m_view->document()->isUndoAvailable());
        QTest::keyClick(m_view, Qt::Key_Z);
        QVERIFY(m_view->IsModified());
        QVERIFY(m_doc->IsModified());
    }

    // ---- Look ----------------------------------------------------------------------------------------

    void fixedPitchFontWithoutWrap() {
        const QFontInfo info(m_view->font());
        QVERIFY(info.fixedPitch());
        QCOMPARE(m_view->font().pointSize(), 10);
        QVERIFY(!info.bold() && !info.italic());
        QCOMPARE(m_view->palette().color(QPalette::Text), QColor(Qt::black));
        QCOMPARE(m_view->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(m_view->GetPrintMargins(), QMarginsF(720, 720, 720, 720));

        m_view->SetText(QString(3000, QLatin1Char('w')));
        Frame()->resize(800, 600);
        Frame()->show();
        QVERIFY(QTest::qWaitForWindowExposed(Frame()));
        QApplication::processEvents();
        const QTextBlock line = m_view->document()->firstBlock();
        QVERIFY(line.layout());
        QCOMPARE(line.layout()->lineCount(), 1);
        QVERIFY(m_view->horizontalScrollBar()->maximum() > 0);
    }

    // ---- Caret status and activity ----------------------------------------------------------------

    void caretStatusFollowsKeys() {
        m_view->SetText(QStringLiteral("abc\r\ndefgh"));
        m_view->OnUpdate(nullptr, 0);
        QCOMPARE(Pane(), QStringLiteral(" Ln 1, Col 1"));

        // While the key is down the pane still shows where the caret was.
        SendKey(m_view, QEvent::KeyPress, Qt::Key_Down);
        QCOMPARE(Pane(), QStringLiteral(" Ln 1, Col 1"));
        SendKey(m_view, QEvent::KeyRelease, Qt::Key_Down);
        QCOMPARE(Pane(), QStringLiteral(" Ln 2, Col 1"));

        SendKey(m_view, QEvent::KeyPress, Qt::Key_End);
        QCOMPARE(Pane(), QStringLiteral(" Ln 2, Col 1"));
        SendKey(m_view, QEvent::KeyRelease, Qt::Key_End);
        QCOMPARE(Pane(), QStringLiteral(" Ln 2, Col 6"));

        // A selection shows its caret: its end when made downwards, its start when made upwards.
        Activate();
        SendKey(m_view, QEvent::KeyPress, Qt::Key_Left);
        SendKey(m_view, QEvent::KeyRelease, Qt::Key_Left);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(m_view->textCursor().selectedText().size(), 5);
        QCOMPARE(Pane(), QStringLiteral(" Ln 1, Col 4"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(m_view->textCursor().selectionStart(), 1);
        QCOMPARE(Pane(), QStringLiteral(" Ln 2, Col 2"));
    }

    // Find Next from the Find dialog moves the caret to its match; the pane follows though the keys
    // are in the dialog, and so does Replace.
    void caretStatusFollowsFindAndReplace() {
        m_view->SetText(QStringLiteral("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\nat needle\r\n10"));
        m_view->OnUpdate(nullptr, 0);
        QCOMPARE(Pane(), QStringLiteral(" Ln 1, Col 1"));
        QVERIFY(Frame()->SendCommand(ID_EDIT_FIND));
        CFindReplaceDlg* find = m_view->GetFindReplaceDlg();
        QVERIFY(find);
        QVERIFY(QTest::qWaitForWindowActive(find));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(find->FindEdit()));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("needle"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(m_view->textCursor().selectedText(), QStringLiteral("needle"));
        QCOMPARE(Pane(), QStringLiteral(" Ln 9, Col 10"));
        find->close();

        QVERIFY(Frame()->SendCommand(ID_EDIT_REPLACE));
        CFindReplaceDlg* replace = m_view->GetFindReplaceDlg();
        QVERIFY(replace && !replace->IsFindOnly());
        replace->FindEdit()->setText(QStringLiteral("2"));
        replace->ReplaceEdit()->setText(QStringLiteral("two"));
        replace->FindNextButton()->click();
        QCOMPARE(Pane(), QStringLiteral(" Ln 2, Col 2"));
        replace->close();
    }

    // Alt with a letter that no menu takes types nothing: no text, no modified flag, no undo step,
    // the same bytes saved. A character typed with AltGr goes in.
    void altLetterNeverTypesAltGrDoes() {
        Activate();
        m_view->SetText(QStringLiteral("text"));
        QVERIFY(m_view->WriteDocumentFile(Path("before.etx"), kPasswordUtf8).ok());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        // (Alt+S is the Settings menu's letter.)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::AltModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_7, Qt::AltModifier);
        QCOMPARE(m_view->GetText(), QStringLiteral("text"));
        QVERIFY(!m_view->IsModified());
        QVERIFY(!m_doc->IsModified());
        QVERIFY(!m_view->document()->isUndoAvailable());
        QVERIFY(m_view->WriteDocumentFile(Path("after.etx"), kPasswordUtf8).ok());
        QCOMPARE(ReadCoreFile(Path("after.etx")), ReadCoreFile(Path("before.etx")));

        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_E, QString(QChar(0x20AC)),
                            Qt::GroupSwitchModifier);
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_At, QStringLiteral("@"),
                            Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(m_view->GetText(), QStringLiteral("text") + QChar(0x20AC) + QLatin1Char('@'));
        QVERIFY(m_doc->IsModified());
    }

    // View, Word Wrap: long lines wrap at the window's edge, in every text window and at the next start;
    // the file keeps its lines and the caret pane counts them.
    void wordWrapShowsLongLinesWithoutChangingThem() {
        Activate();
        m_view->SetText(QStringLiteral("word ").repeated(300) + QStringLiteral("\nsecond"));
        QVERIFY(m_view->WriteDocumentFile(Path("before.etx"), kPasswordUtf8).ok());
        QVERIFY(Frame()->QueryCommandUI(ID_VIEW_WORD_WRAP).IsCheckable());
        QVERIFY(!Frame()->QueryCommandUI(ID_VIEW_WORD_WRAP).IsChecked());
        QTRY_VERIFY(m_view->horizontalScrollBar()->maximum() > 0);

        Frame()->OnUserCommand(ID_VIEW_WORD_WRAP);
        QVERIFY(Frame()->QueryCommandUI(ID_VIEW_WORD_WRAP).IsChecked());
        QTRY_COMPARE(m_view->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(GuiTestEnv::Profile().value(QStringLiteral("Settings/WordWrap")).toInt(), 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(Pane(), QStringLiteral(" Ln 2, Col 7"));
        QVERIFY(m_view->WriteDocumentFile(Path("after.etx"), kPasswordUtf8).ok());
        QCOMPARE(ReadCoreFile(Path("after.etx")), ReadCoreFile(Path("before.etx")));

        // A window opened now wraps as well; switched off, both show the long line whole again.
        CDocument* secondDoc = m_app->GetTextTemplate()->OpenDocumentFile(QString());
        QVERIFY(secondDoc);
        auto* second = dynamic_cast<CEditorView*>(secondDoc->GetFirstView());
        QVERIFY(second);
        QCOMPARE(second->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        Frame()->OnUserCommand(ID_VIEW_WORD_WRAP);
        QCOMPARE(second->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(m_view->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(GuiTestEnv::Profile().value(QStringLiteral("Settings/WordWrap")).toInt(), 0);
        secondDoc->OnCloseDocument();
        GuiTestEnv::FlushDeletes();
    }

    // View, Line Numbers: a margin at the text's left numbers the file's lines, so a line that wraps
    // into several rows has one number, on its first row; what the margin lists is what it paints.
    void lineNumbersNumberTheFilesLines() {
        Activate();
        auto* margin = m_view->findChild<CLineNumberArea*>();
        QVERIFY(margin);
        QVERIFY(Frame()->QueryCommandUI(ID_VIEW_LINE_NUMBERS).IsCheckable());
        QVERIFY(!Frame()->QueryCommandUI(ID_VIEW_LINE_NUMBERS).IsChecked());
        const int textLeft = m_view->viewport()->x();
        QVERIFY(!margin->isVisible());

        Frame()->OnUserCommand(ID_VIEW_LINE_NUMBERS);
        QVERIFY(Frame()->QueryCommandUI(ID_VIEW_LINE_NUMBERS).IsChecked());
        QCOMPARE(GuiTestEnv::Profile().value(QStringLiteral("Settings/LineNumbers")).toInt(), 1);
        QVERIFY(margin->isVisible());
        QVERIFY(m_view->viewport()->x() > textLeft);
        QCOMPARE(margin->geometry().right() + 1, m_view->viewport()->x());
        QCOMPARE(margin->height(), m_view->viewport()->height());
        // Decoration: out of the keyboard's way, and nothing in it a screen reader could read out.
        QAccessibleInterface* decoration = QAccessible::queryAccessibleInterface(margin);
        QVERIFY(decoration);
        QVERIFY(!decoration->state().focusable);
        QVERIFY(!decoration->textInterface());
        for (QAccessible::Text kind : {QAccessible::Name, QAccessible::Value, QAccessible::Description})
            QVERIFY(decoration->text(kind).isEmpty());

        // A second line about four rows long once wrapped, and enough lines after it to scroll.
        Frame()->OnUserCommand(ID_VIEW_WORD_WRAP);
        const int row = QFontMetrics(m_view->font()).height();
        const int rowChars =
            m_view->viewport()->width() / QFontMetrics(m_view->font()).horizontalAdvance(QLatin1Char('w'));
        QStringList lines{QStringLiteral("first"), QStringLiteral("word ").repeated(rowChars * 4 / 5)};
        for (int i = 3; i <= 60; ++i)
            lines << QStringLiteral("line %1").arg(i);
        m_view->SetText(lines.join(QLatin1Char('\n')));
        QTRY_COMPARE(m_view->horizontalScrollBar()->maximum(), 0);
        const QList<CLineNumberArea::Number> numbers = margin->VisibleNumbers(0, margin->height() - 1);
        QVERIFY(numbers.size() >= 4);
        for (int i = 0; i < numbers.size(); ++i)
            QCOMPARE(numbers[i].line, i + 1);
        QCOMPARE(numbers[1].top - numbers[0].top, numbers[0].height);
        // The long line takes several rows: the third number sits below all of them, not on the next.
        QVERIFY(numbers[2].top - numbers[1].top >= 3 * row);
        QCOMPARE(numbers[3].top - numbers[2].top, numbers[2].height);
        QVERIFY(numbers.last().top + numbers.last().height > margin->height() - row);

        // Ink only on the rows of those numbers, and some on each.
        const QImage image = margin->grab().toImage();
        const QRgb background = image.pixel(0, image.height() - 1);
        const auto inked = [&](int y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) != background)
                    return true;
            }
            return false;
        };
        for (int y = 0; y < image.height(); ++y) {
            const bool inNumber = std::any_of(numbers.begin(), numbers.end(), [y](const CLineNumberArea::Number& n) {
                return y >= n.top && y < n.top + n.height;
            });
            if (!inNumber)
                QVERIFY2(!inked(y), qPrintable(QStringLiteral("ink on row %1").arg(y)));
        }
        for (const CLineNumberArea::Number& n : numbers) {
            bool any = false;
            for (int y = n.top; y < n.top + n.height && !any; ++y)
                any = inked(y);
            QVERIFY2(any, qPrintable(QStringLiteral("no number %1").arg(n.line)));
        }

        // Scrolled by a row, the numbers move with the text.
        QVERIFY(m_view->verticalScrollBar()->maximum() > 0);
        m_view->verticalScrollBar()->setValue(1);
        const QList<CLineNumberArea::Number> scrolled = margin->VisibleNumbers(0, margin->height() - 1);
        QVERIFY(!scrolled.isEmpty());
        QCOMPARE(scrolled.first().line, 2);
        QVERIFY(scrolled.first().top < numbers[1].top);

        // The caret pane still counts the file's lines.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(Pane(), QStringLiteral(" Ln 60, Col 8"));
        QCOMPARE(margin->VisibleNumbers(0, margin->height() - 1).last().line, 60);

        Frame()->OnUserCommand(ID_VIEW_WORD_WRAP);
        Frame()->OnUserCommand(ID_VIEW_LINE_NUMBERS);
        QVERIFY(!margin->isVisible());
        QCOMPARE(m_view->viewport()->x(), textLeft);
        QCOMPARE(GuiTestEnv::Profile().value(QStringLiteral("Settings/LineNumbers")).toInt(), 0);
    }

    // The margin is as wide as the line count's digits in the view's font: a tenth line widens it, and
    // so does a larger font; a window opened later shows it too.
    void lineNumberMarginFollowsDigitsAndFont() {
        Activate();
        auto* margin = m_view->findChild<CLineNumberArea*>();
        QVERIFY(margin);
        QStringList lines;
        for (int i = 1; i <= 9; ++i)
            lines << QString::number(i);
        m_view->SetText(lines.join(QLatin1Char('\n')));
        Frame()->OnUserCommand(ID_VIEW_LINE_NUMBERS);
        const int nine = m_view->viewport()->x();
        const int digit = QFontMetrics(m_view->font()).horizontalAdvance(QLatin1Char('9'));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(m_view->document()->blockCount(), 10);
        QCOMPARE(m_view->viewport()->x(), nine + digit);
        QCOMPARE(margin->width(), margin->AreaWidth());
        QCOMPARE(margin->VisibleNumbers(0, margin->height() - 1).last().line, 10);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        QCOMPARE(m_view->viewport()->x(), nine);

        QFont larger = m_view->font();
        larger.setPointSize(larger.pointSize() * 2);
        m_view->setFont(larger);
        QVERIFY(m_view->viewport()->x() > nine);
        QCOMPARE(margin->width(), margin->AreaWidth());

        CDocument* secondDoc = m_app->GetTextTemplate()->OpenDocumentFile(QString());
        QVERIFY(secondDoc);
        auto* second = dynamic_cast<CEditorView*>(secondDoc->GetFirstView());
        QVERIFY(second);
        QVERIFY(second->findChild<CLineNumberArea*>()->IsShown());
        Frame()->OnUserCommand(ID_VIEW_LINE_NUMBERS);
        QVERIFY(!second->findChild<CLineNumberArea*>()->IsShown());
        secondDoc->OnCloseDocument();
        GuiTestEnv::FlushDeletes();
    }

    // Edit, Go To Line (Ctrl+J): a line, or line:column; a line past the end is told and the dialog
    // stays for another answer.
    void goToLineTakesALineOrALineAndColumn() {
        Activate();
        QStringList lines;
        for (int i = 1; i <= 20; ++i)
            lines << QStringLiteral("line number %1").arg(i);
        m_view->SetText(lines.join(QLatin1Char('\n')));
        const auto answer = [](const QString& typed) {
            AnswerNextModal([typed](QWidget* modal) {
                QCOMPARE(modal->windowTitle(), QStringLiteral("Go To Line"));
                // The offscreen platform leaves the main window active: the keys go to the dialog's
                // own focus, which is the field.
                QWidget* field = modal->focusWidget();
                QVERIFY(qobject_cast<QLineEdit*>(field));
                QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(field, typed);
                QTest::keyClick(field, Qt::Key_Return);
            });
        };
        answer(QStringLiteral("12:5"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_J, Qt::ControlModifier);
        QCOMPARE(Pane(), QStringLiteral(" Ln 12, Col 5"));
        QCOMPARE(Frame()->focusWidget(), static_cast<QWidget*>(m_view));
        Activate();
        answer(QStringLiteral("3"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_J, Qt::ControlModifier);
        QCOMPARE(Pane(), QStringLiteral(" Ln 3, Col 1"));
        Activate();

        bool bStayed = false;
        AnswerNextModal([&bStayed](QWidget* modal) {
            QWidget* field = modal->focusWidget();
            QVERIFY(qobject_cast<QLineEdit*>(field));
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(field, QStringLiteral("21"));
            MessageBox::setNextAnswer(IDOK);
            QTest::keyClick(field, Qt::Key_Return);
            bStayed = modal->isVisible();
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_J, Qt::ControlModifier);
        QVERIFY(bStayed);
        QCOMPARE(MessageBox::last().text, QStringLiteral("There is no line 21; the text has 20 lines."));
        QCOMPARE(Pane(), QStringLiteral(" Ln 3, Col 1"));
    }

    // Ctrl+Y and Ctrl+Shift+Z redo what Ctrl+Z took back; the Edit menu's Redo follows Undo and is
    // enabled only while there is something to redo.
    void redoByKeysAndMenu() {
        Activate();
        m_view->SetText(QString());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("ab"));
        QVERIFY(!Frame()->IsCommandEnabled(ID_EDIT_REDO));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_view->GetText(), QString());
        QVERIFY(Frame()->IsCommandEnabled(ID_EDIT_REDO));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(m_view->GetText(), QStringLiteral("ab"));
        QVERIFY(!Frame()->IsCommandEnabled(ID_EDIT_REDO));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_view->GetText(), QStringLiteral("ab"));
        QVERIFY(m_doc->IsModified());

        QMenu* edit = nullptr;
        for (QMenu* menu : Frame()->GetMenus(IDR_ETXTYPE)) {
            if (menu->title() == QStringLiteral("&Edit"))
                edit = menu;
        }
        QVERIFY(edit);
        const QList<QAction*> items = edit->actions();
        QVERIFY(items.size() > 2);
        QCOMPARE(items[1]->data().toInt(), ID_EDIT_REDO);
        QVERIFY(items[1]->text().startsWith(QStringLiteral("&Redo")));
        Frame()->UpdateMenuUI(edit);
        QVERIFY(!items[1]->isEnabled());
        QVERIFY(Frame()->SendCommand(ID_EDIT_UNDO));
        Frame()->UpdateMenuUI(edit);
        QVERIFY(items[1]->isEnabled());
        items[1]->trigger();
        QCOMPARE(m_view->GetText(), QStringLiteral("ab"));
    }

    // With no document open the keys go to the document area, also once the last one is closed.
    void focusRestsInTheDocumentAreaWithoutDocuments() {
        Activate();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_view));
        m_doc->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Frame()->MDIClient()));
        // The next test gets a document of its own.
        m_doc = m_app->GetTextTemplate()->OpenDocumentFile(QString());
        QVERIFY(m_doc);
        m_view = dynamic_cast<CEditorView*>(m_doc->GetFirstView());
    }

    void clickUpdatesCaretStatus() {
        Frame()->show();
        QVERIFY(QTest::qWaitForWindowExposed(Frame()));
        m_view->SetText(QStringLiteral("abc\ndef\nghi"));
        const QTextBlock third = m_view->document()->findBlockByNumber(2);
        QTextCursor at(third);
        at.setPosition(third.position() + 2);
        const QPoint point = m_view->cursorRect(at).center();
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::NoModifier, point);
        QCOMPARE(Pane(), QStringLiteral(" Ln 3, Col 3"));
    }

    void inputStampsActivity() {
        Frame()->m_dwLastActivity = 0;
        m_env.m_now = 5000;
        SendKey(m_view, QEvent::KeyPress, Qt::Key_Right);
        QCOMPARE(Frame()->m_dwLastActivity, 5000u);
        m_env.m_now = 6000;
        SendKey(m_view, QEvent::KeyRelease, Qt::Key_Right);
        QCOMPARE(Frame()->m_dwLastActivity, 6000u);
        m_env.m_now = 7000;
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), m_view->viewport()->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(m_view->viewport(), &move);
        QCOMPARE(Frame()->m_dwLastActivity, 7000u);
        QVERIFY(m_view->viewport()->hasMouseTracking());
    }

    // ---- Clipboard and drops ------------------------------------------------------------------------

    void pasteTakesPlainTextOnly() {
        auto* formatted = new QMimeData;
        formatted->setHtml(QStringLiteral("<b>bold</b> words"));
        formatted->setText(QStringLiteral("bold words"));
        QApplication::clipboard()->setMimeData(formatted);
        QVERIFY(m_view->canPaste());
        m_view->paste();
        QCOMPARE(m_view->GetText(), QStringLiteral("bold words"));

        // Formatted text alone gives its text.
        m_view->SetText(QString());
        auto* htmlOnly = new QMimeData;
        htmlOnly->setHtml(QStringLiteral("<p>para&nbsp;one</p><p><i>two</i></p>"));
        QApplication::clipboard()->setMimeData(htmlOnly);
        m_view->paste();
        QCOMPARE(m_view->GetText(), U(u"para\u00a0one\r\ntwo"));

        m_view->SetText(QStringLiteral("kept"));
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QApplication::clipboard()->setImage(picture);
        QVERIFY(!m_view->canPaste());
        m_view->paste();

        auto* files = new QMimeData;
        files->setUrls({QUrl::fromLocalFile(Path("in.etx"))});
        files->setText(Path("in.etx"));
        QApplication::clipboard()->setMimeData(files);
        QVERIFY(!m_view->canPaste());
        m_view->paste();
        QCOMPARE(m_view->GetText(), QStringLiteral("kept"));
        QVERIFY(!m_view->IsModified());
    }

    void copyKeepsEveryCharacter() {
        m_view->SetText(U(u"1\u00a0000\r\nkr"));
        m_view->selectAll();
        m_view->copy();
        QCOMPARE(QApplication::clipboard()->text(), U(u"1\u00a0000\nkr"));
    }

    // ---- Context menu -------------------------------------------------------------------------------

    void contextMenuEntries() {
        m_view->SetText(QStringLiteral("some text"));
        std::unique_ptr<QMenu> menu(m_view->BuildContextMenu());
        QStringList texts;
        QList<int> ids;
        for (QAction* action : menu->actions()) {
            texts << (action->isSeparator() ? QStringLiteral("-") : ShownText(action));
            ids << textdoc::CommandId(action);
        }
        QCOMPARE(texts, (QStringList{"&Undo\tCtrl+Z", "-", "Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V",
                                     "Select A&ll\tCtrl+A"}));
        QCOMPARE(ids, (QList<int>{57643, 0, 57635, 57634, 57637, 57642}));

        QApplication::clipboard()->setText(QStringLiteral("x"));
        textdoc::UpdateCommandMenu(menu.get(), m_view);
        const QList<QAction*> items = menu->actions();
        QVERIFY(!items[0]->isEnabled()); // nothing to undo yet
        QVERIFY(!items[2]->isEnabled()); // no selection to cut
        QVERIFY(!items[3]->isEnabled());
        QVERIFY(items[4]->isEnabled());
        QVERIFY(items[5]->isEnabled());
    }

    void contextMenuCommandReachesTheView() {
        Frame()->show();
        QVERIFY(QTest::qWaitForWindowExposed(Frame()));
        m_view->SetText(QStringLiteral("select me"));
        m_view->setFocus();
        QStringList seen;
        QTimer::singleShot(0, this, [&seen] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!popup)
                return;
            for (QAction* action : popup->actions())
                seen << ShownText(action);
            QAction* selectAll = popup->actions().last();
            popup->setActiveAction(selectAll);
            QTest::keyClick(popup, Qt::Key_Return);
        });
        // A right click reaches the view through its viewport.
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), m_view->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(m_view->viewport(), &event);
        QCOMPARE(seen.size(), 6);
        QCOMPARE(m_view->textCursor().selectedText(), QStringLiteral("select me"));
    }

    // ---- Find and replace ---------------------------------------------------------------------------

    void findWrapsAndHonoursOptions() {
        m_view->SetText(QStringLiteral("Alpha beta alpha\r\nalphabet"));
        CEditorView::FindOptions find;
        find.what = QStringLiteral("alpha");
        QVERIFY(m_view->FindText(find));
        QCOMPARE(m_view->textCursor().selectionStart(), 0);
        QVERIFY(m_view->FindText(find));
        QCOMPARE(m_view->textCursor().selectionStart(), 11);
        QVERIFY(m_view->FindText(find));
        QCOMPARE(m_view->textCursor().selectionStart(), 17);
        QVERIFY(m_view->FindText(find)); // past the end: from the start again
        QCOMPARE(m_view->textCursor().selectionStart(), 0);

        find.down = false;
        QVERIFY(m_view->FindText(find)); // before the start: from the end again
        QCOMPARE(m_view->textCursor().selectionStart(), 17);

        find.down = true;
        find.wholeWord = true;
        QVERIFY(m_view->FindText(find));
        QCOMPARE(m_view->textCursor().selectionStart(), 0);
        find.matchCase = true;
        QVERIFY(m_view->FindText(find));
        QCOMPARE(m_view->textCursor().selectionStart(), 11);
        QVERIFY(m_view->FindText(find));
        QCOMPARE(m_view->textCursor().selectionStart(), 11); // the only one
    }

    void findNextSaysWhenNothingMatches() {
        m_view->SetText(QStringLiteral("nothing here"));
        CEditorView::FindOptions find;
        find.what = QStringLiteral("absent");
        MessageBox::setNextAnswer(IDOK);
        const int before = MessageBox::count();
        m_view->OnFindNext(find);
        QCOMPARE(MessageBox::count(), before + 1);
        QCOMPARE(MessageBox::last().text, QStringLiteral("Cannot find \"absent\"."));

        // Find Next repeats the last search without a dialog.
        find.what = QStringLiteral("here");
        CEditorView::LastFind() = find;
        QVERIFY(Frame()->IsCommandEnabled(ID_EDIT_REPEAT));
        QVERIFY(Frame()->SendCommand(ID_EDIT_REPEAT));
        QCOMPARE(m_view->textCursor().selectedText(), QStringLiteral("here"));
    }

    // After "Cannot find" the keys go back to the search field, not into the text, where they would
    // replace the selected match.
    void cannotFindGivesTheKeysBackToTheSearch() {
        m_view->SetText(QStringLiteral("cat dog"));
        QVERIFY(Frame()->SendCommand(ID_EDIT_FIND));
        CFindReplaceDlg* find = m_view->GetFindReplaceDlg();
        QVERIFY(find);
        QVERIFY(QTest::qWaitForWindowActive(find));
        find->FindEdit()->setText(QStringLiteral("dog"));
        find->FindNextButton()->click();
        QCOMPARE(m_view->textCursor().selectedText(), QStringLiteral("dog"));
        find->FindEdit()->setText(QStringLiteral("cow"));
        find->FindEdit()->setFocus();
        AnswerNextModal([](QWidget* modal) { modal->close(); });
        find->FindNextButton()->click();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(find));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(find->FindEdit()));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("s"));
        QCOMPARE(m_view->GetText(), QStringLiteral("cat dog"));
        find->close();
    }

    void replaceAllIsOneUndoStep() {
        m_view->SetText(QStringLiteral("a-b-a\r\nA"));
        CEditorView::FindOptions options;
        options.what = QStringLiteral("a");
        options.replaceWith = QStringLiteral("aa"); // holds what it replaces: must still end
        QCOMPARE(m_view->ReplaceAll(options), 3);
        QCOMPARE(m_view->GetText(), QStringLiteral("aa-b-aa\r\naa"));
        m_view->undo();
        QCOMPARE(m_view->GetText(), QStringLiteral("a-b-a\r\nA"));

        options.matchCase = true;
        options.replaceWith = QStringLiteral("z");
        QCOMPARE(m_view->ReplaceAll(options), 2);
        QCOMPARE(m_view->GetText(), QStringLiteral("z-b-z\r\nA"));
    }

    void replaceReplacesOnlyAMatchingSelection() {
        m_view->SetText(QStringLiteral("cat dog cat"));
        CEditorView::FindOptions options;
        options.what = QStringLiteral("cat");
        options.replaceWith = QStringLiteral("cow");
        QVERIFY(m_view->ReplaceSelection(options)); // nothing selected: finds the first
        QCOMPARE(m_view->GetText(), QStringLiteral("cat dog cat"));
        QVERIFY(m_view->ReplaceSelection(options));
        QCOMPARE(m_view->GetText(), QStringLiteral("cow dog cat"));
        QCOMPARE(m_view->textCursor().selectionStart(), 8);
    }

    void replaceDialogDrivesTheView() {
        m_view->SetText(QStringLiteral("red green red"));
        QVERIFY(Frame()->SendCommand(ID_EDIT_REPLACE));
        CFindReplaceDlg* dialog = m_view->GetFindReplaceDlg();
        QVERIFY(dialog);
        QVERIFY(!dialog->IsFindOnly());
        QVERIFY(!dialog->isModal());
        dialog->FindEdit()->setText(QStringLiteral("red"));
        dialog->ReplaceEdit()->setText(QStringLiteral("blue"));
        dialog->ReplaceAllButton()->click();
        QCOMPARE(m_view->GetText(), QStringLiteral("blue green blue"));

        // The Find dialog replaces the Replace dialog and starts with the selection.
        QTextCursor cursor = m_view->textCursor();
        cursor.setPosition(5);
        cursor.setPosition(10, QTextCursor::KeepAnchor);
        m_view->setTextCursor(cursor);
        QVERIFY(Frame()->SendCommand(ID_EDIT_FIND));
        CFindReplaceDlg* find = m_view->GetFindReplaceDlg();
        QVERIFY(find && find->IsFindOnly());
        QCOMPARE(find->FindEdit()->text(), QStringLiteral("green"));
        find->UpRadio()->setChecked(true);
        find->FindNextButton()->click();
        QCOMPARE(m_view->textCursor().selectionStart(), 5);
        find->close();
    }

    // Highlight All marks every match as the options say, follows the search text and the edits, and
    // goes when it is unchecked or the dialog closes.
    void highlightAllMarksEveryMatch() {
        m_view->SetText(QStringLiteral("Alpha beta alpha\r\nalphabet ALPHA"));
        Activate();
        CFindReplaceDlg* find = OpenFindDialog(ID_EDIT_FIND);
        QVERIFY(find);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("alpha"));
        QVERIFY(Marks(m_view).isEmpty()); // not asked for
        // A button's access letter clicks it a moment later, as a click shows.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
        QTRY_VERIFY(find->HighlightAllCheck()->isChecked());
        QCOMPARE(Marks(m_view), QStringList({"0:Alpha", "11:alpha", "17:alpha", "26:ALPHA"}));
        QCOMPARE(m_view->FindMarkCount(), 4);

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::AltModifier); // whole words
        QTRY_COMPARE(Marks(m_view), QStringList({"0:Alpha", "11:alpha", "26:ALPHA"}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier); // and case
        QTRY_COMPARE(Marks(m_view), QStringList({"11:alpha"}));
        QCOMPARE(m_view->FindMarkCount(), 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::AltModifier); // case alone
        QTRY_COMPARE(Marks(m_view), QStringList({"11:alpha", "17:alpha"}));

        // The search text as it is typed.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::AltModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("abet"));
        QCOMPARE(Marks(m_view), QStringList({"17:alphabet"}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("alpha"));

        // The text as it is edited: the marks move with their matches, and new ones come.
        QTextCursor edit(m_view->document());
        edit.insertText(QStringLiteral("alpha "));
        QTRY_COMPARE(Marks(m_view), QStringList({"0:alpha", "17:alpha", "23:alpha"}));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
        QTRY_VERIFY(!find->HighlightAllCheck()->isChecked());
        QVERIFY(Marks(m_view).isEmpty());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
        QTRY_COMPARE(m_view->FindMarkCount(), 3);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); // Find Next keeps the options
        QCOMPARE(m_view->textCursor().selectedText(), QStringLiteral("alpha"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!m_view->GetFindReplaceDlg());
        QVERIFY(Marks(m_view).isEmpty());
        edit.insertText(QStringLiteral("alpha "));
        QApplication::processEvents();
        QVERIFY(Marks(m_view).isEmpty()); // closed means closed, also after an edit

        // The choice is kept for the next time, as the other options are.
        CFindReplaceDlg* again = OpenFindDialog(ID_EDIT_FIND);
        QVERIFY(again);
        QVERIFY(again->HighlightAllCheck()->isChecked());
        QCOMPARE(Marks(m_view), QStringList({"0:alpha", "6:alpha", "23:alpha", "29:alpha"}));
        again->close();
        QVERIFY(Marks(m_view).isEmpty());
    }

    // On a big text only the matches in sight are marked (a 16 MiB text would otherwise cost each
    // keystroke every mark), and scrolling marks what comes into sight.
    void highlightAllMarksOnlyWhatIsInSight() {
        QString text;
        for (int i = 0; i < 20000; ++i)
            text += QStringLiteral("alpha beta alpha\r\n");
        text += QString(40000, QLatin1Char('x')) + QStringLiteral(" alpha").repeated(20000);
        m_view->SetText(text);
        Frame()->resize(800, 600);
        Frame()->show();
        QVERIFY(QTest::qWaitForWindowExposed(Frame()));
        CEditorView::FindOptions options;
        options.what = QStringLiteral("alpha");
        options.highlightAll = true;
        m_view->ShowFindMarks(options);

        const int linesInSight = m_view->viewport()->height() / m_view->fontMetrics().lineSpacing() + 2;
        QVERIFY(m_view->FindMarkCount() >= 2 * (linesInSight - 3));
        QVERIFY2(m_view->FindMarkCount() <= 2 * linesInSight, qPrintable(QString::number(m_view->FindMarkCount())));
        QVERIFY(Marks(m_view).startsWith(QStringLiteral("0:alpha")));

        // At the end, the long last line shows its start: its marks are those in sight, none at all
        // while only the x's are.
        m_view->moveCursor(QTextCursor::End);
        QTextCursor home = m_view->textCursor();
        home.movePosition(QTextCursor::StartOfBlock);
        m_view->setTextCursor(home);
        QTRY_VERIFY(m_view->document()->findBlock(m_view->extraSelections().first().cursor.position()).blockNumber() >
                    19900);
        for (const QTextEdit::ExtraSelection& mark : m_view->extraSelections())
            QVERIFY(mark.cursor.block().blockNumber() < 20000);

        const int charsInSight =
            m_view->viewport()->width() / m_view->fontMetrics().horizontalAdvance(QLatin1Char('x'));
        m_view->setTextCursor(QTextCursor(m_view->document()->lastBlock()));
        m_view->horizontalScrollBar()->setValue(
            m_view->fontMetrics().horizontalAdvance(QString(40000, QLatin1Char('x'))) + 1);
        QTRY_VERIFY(!m_view->extraSelections().isEmpty() &&
                    m_view->extraSelections().last().cursor.block() == m_view->document()->lastBlock());
        QVERIFY2(m_view->FindMarkCount() <= charsInSight / 6 + 3, qPrintable(QString::number(m_view->FindMarkCount())));

        // A screen full of matches gets no more marks than the cap.
        m_view->SetText(QStringLiteral("%1\r\n").arg(QString(300, QLatin1Char('a'))).repeated(100));
        options.what = QStringLiteral("a");
        m_view->ShowFindMarks(options);
        QCOMPARE(m_view->FindMarkCount(), CEditorView::kMaxFindMarks);
        m_view->HideFindMarks();
        QCOMPARE(m_view->FindMarkCount(), 0);
    }

    // Find Next says in the status bar when it went past an end of the text, a screen reader finds the
    // words there, and the next find that doesn't wrap takes them back.
    void findNextTellsWhenItWraps() {
        const QString idle = QStringLiteral("Ready");
        const QString passedEnd = QStringLiteral("Passed the end of the text; continued from the top.");
        const QString passedStart = QStringLiteral("Passed the start of the text; continued from the bottom.");

        m_view->SetText(QStringLiteral("one two one"));
        Activate();
        CFindReplaceDlg* find = OpenFindDialog(ID_EDIT_FIND);
        QVERIFY(find);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("one"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(m_view->textCursor().selectionStart(), 0);
        QCOMPARE(Message(), idle);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(m_view->textCursor().selectionStart(), 8);
        QCOMPARE(Message(), idle);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(m_view->textCursor().selectionStart(), 0);
        QCOMPARE(Message(), passedEnd);

        // The message pane is a label whose accessible name is the message.
        const QString label = QStringLiteral("%1 %2").arg(int(QAccessible::StaticText));
        QStringList texts = AccessibleTexts(Frame()->GetStatusBar());
        QVERIFY2(texts.contains(label.arg(passedEnd)), qPrintable(texts.join(u'\n')));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(m_view->textCursor().selectionStart(), 8);
        QCOMPARE(Message(), idle);
        texts = AccessibleTexts(Frame()->GetStatusBar());
        QVERIFY(texts.contains(label.arg(idle)));
        QVERIFY(!texts.contains(label.arg(passedEnd)));

        // Upwards.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_U, Qt::AltModifier);
        QTRY_VERIFY(find->UpRadio()->isChecked());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier);
        QTRY_COMPARE(m_view->textCursor().selectionStart(), 0);
        QCOMPARE(Message(), idle);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier);
        QTRY_COMPARE(m_view->textCursor().selectionStart(), 8);
        QCOMPARE(Message(), passedStart);
        QVERIFY(AccessibleTexts(Frame()->GetStatusBar()).contains(label.arg(passedStart)));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);

        // F3 repeats the search, and tells the same way.
        QVERIFY(Frame()->SendCommand(ID_EDIT_REPEAT));
        QCOMPARE(m_view->textCursor().selectionStart(), 0);
        QCOMPARE(Message(), idle);
        QVERIFY(Frame()->SendCommand(ID_EDIT_REPEAT));
        QCOMPARE(Message(), passedStart);

        // Another's message is not the find's to take back.
        const QString other = QStringLiteral("Reloaded: the file was changed on disk.");
        Frame()->GetStatusBar()->SetPaneText(0, other);
        QVERIFY(Frame()->SendCommand(ID_EDIT_REPEAT));
        QCOMPARE(Message(), other);
        Frame()->GetStatusBar()->SetPaneText(0, idle);
    }

    // Replace All says how many it replaced, and the file holds the replaced text.
    void replaceAllTellsHowMany() {
        m_view->SetText(QStringLiteral("red green red\r\nred"));
        Activate();
        CFindReplaceDlg* replace = OpenFindDialog(ID_EDIT_REPLACE);
        QVERIFY(replace && !replace->IsFindOnly());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("red"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(replace->ReplaceEdit()));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("blue"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::AltModifier);
        QTRY_COMPARE(Message(), QStringLiteral("Replaced 3 occurrences."));
        QVERIFY(m_view->WriteDocumentFile(Path("replaced.etx"), kPasswordUtf8).ok());
        QCOMPARE(ReadCoreFile(Path("replaced.etx")), QStringLiteral("blue green blue\r\nblue"));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::AltModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("green"));
        replace->ReplaceAllButton()->click();
        QCOMPARE(Message(), QStringLiteral("Replaced 1 occurrence."));
        QVERIFY(m_view->WriteDocumentFile(Path("replaced.etx"), kPasswordUtf8).ok());
        QCOMPARE(ReadCoreFile(Path("replaced.etx")), QStringLiteral("blue blue blue\r\nblue"));

        // Nothing left to replace: "Cannot find", and the count goes.
        MessageBox::setNextAnswer(IDOK);
        const int before = MessageBox::count();
        replace->ReplaceAllButton()->click();
        QCOMPARE(MessageBox::count(), before + 1);
        QCOMPARE(MessageBox::last().text, QStringLiteral("Cannot find \"green\"."));
        QCOMPARE(Message(), QStringLiteral("Ready"));
        replace->close();
    }

    // ---- Printing -----------------------------------------------------------------------------------

    void printsToPdf() {
        m_view->SetText(QStringLiteral("Printed line one\r\nPrinted line two"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(Path("printed.pdf"));
        QVERIFY(m_view->PrintDocument(&printer));
        const QByteArray pdf = GuiTestEnv::Bytes(Path("printed.pdf"));
        QVERIFY(pdf.size() > 100);
        QVERIFY(pdf.startsWith("%PDF"));
        const QMarginsF margins = printer.pageLayout().margins(QPageLayout::Inch);
        QCOMPARE(margins, QMarginsF(0.5, 0.5, 0.5, 0.5));
    }

    // Paper cannot scroll sideways: a line of 3,000 characters without a blank, and a long line of
    // words, wrap within the margins and reach the pages whole and in order, with what follows them.
    void printedPagesKeepEveryCharacter() {
        QString unbroken;
        for (int i = 0; i < 3000; ++i)
            unbroken += QChar(u'a' + i % 26);
        QString words;
        for (int i = 0; words.size() < 4000; ++i)
            words += QStringLiteral("word%1 ").arg(i);
        const QStringList lines{unbroken, words, QString(), QStringLiteral("\tshort line after"),
                                QStringLiteral("end")};
        m_view->SetText(lines.join(QStringLiteral("\r\n")));

        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(Path("long.pdf"));
        QVERIFY(m_view->PrintDocument(&printer));

        const std::unique_ptr<QTextDocument> pages =
            textdoc::LayOutPrintedPages(*m_view->document(), &printer, CEditorView::ChosenFont());
        const QList<textdoc::PrintedLine> printed = textdoc::PrintedLines(*pages);
        const QSizeF page = printer.pageRect(QPrinter::DevicePixel).size();
        const QFontMetricsF metrics(pages->defaultFont(), &printer);
        QString joined;
        int lastPage = 0;
        for (const textdoc::PrintedLine& line : printed) {
            joined += line.text;
            QVERIFY(line.page >= lastPage);
            lastPage = line.page;
            QString drawn = line.text;
            drawn.remove(QRegularExpression(QStringLiteral("\\s+$")));
            QVERIFY2(metrics.horizontalAdvance(drawn) <= page.width() + 1, qPrintable(drawn.left(40)));
            QVERIFY(line.rect.top() >= -1 && line.rect.bottom() <= page.height() + 1);
        }
        QCOMPARE(joined, lines.join(QString()));
        // Breaks fall at blanks where there are any: no word of the long line is cut in two.
        for (const textdoc::PrintedLine& line : printed) {
            if (line.text.startsWith(QLatin1String("word")))
                QVERIFY2(line.text.endsWith(QLatin1Char(' ')) || words.endsWith(line.text), qPrintable(line.text));
        }
        QVERIFY(printed.size() > lines.size() + 60);

        const QByteArray pdf = GuiTestEnv::Bytes(Path("long.pdf"));
        QVERIFY(pdf.startsWith("%PDF"));
        const qsizetype pdfPages =
            QString::fromLatin1(pdf).count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)")));
        QVERIFY(pdfPages >= 2);
        QCOMPARE(pdfPages, qsizetype(lastPage + 1));

        // The PDF's own text: every character once, in order (a line drawn clipped on a neighbouring page
        // would show up twice here, though not on paper).
        QProcess extract;
        extract.start(QStringLiteral("pdftotext"), {Path("long.pdf"), QStringLiteral("-")});
        QVERIFY2(extract.waitForFinished(30000) && extract.exitCode() == 0, "pdftotext (poppler-utils) failed");
        QString extracted = QString::fromUtf8(extract.readAllStandardOutput());
        QString expected = lines.join(QString());
        extracted.remove(QRegularExpression(QStringLiteral("\\s+")));
        expected.remove(QRegularExpression(QStringLiteral("\\s+")));
        QCOMPARE(extracted, expected);
    }

    void printDirectUsesTheApplicationsPrinter() {
        m_view->SetText(QStringLiteral("direct"));
        QPrinter* printer = m_app->GetPrinter();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(Path("direct.pdf"));
        QVERIFY(Frame()->IsCommandEnabled(ID_FILE_PRINT_DIRECT));
        QVERIFY(Frame()->SendCommand(ID_FILE_PRINT_DIRECT));
        QVERIFY(GuiTestEnv::Bytes(Path("direct.pdf")).startsWith("%PDF"));
    }
};

QTEST_MAIN(TestEditorView)
#include "test_editor_view.moc"
