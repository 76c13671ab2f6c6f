// View, Zoom and Font of the text windows: the keys, the wheel, the font dialog, what the next start
// finds, the lock over the dialog, and printing at the font's own size whatever the zoom.

#include "common/GuiTestEnv.h"

#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/ModalAnswer.h"
#include "res/resource.h"
#include "shell/EditorApp.h"
#include "shell/MainFrame.h"
#include "textdoc/EditorView.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QMdiArea>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QWheelEvent>
#include <QtTest>
#include <memory>

namespace {

int ShownSize(const CEditorView* view) {
    return view->font().pointSize();
}

// The wheel turned over the text, as the mouse sends it.
void Wheel(CEditorView* view, int delta, Qt::KeyboardModifiers modifiers) {
    QWidget* target = view->viewport();
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

// A fixed-pitch family of this machine, with a bold style, other than the one the default font comes
// out as.
QString AnotherFixedFamily(const QFont& besides) {
    const QString used = QFontInfo(besides).family();
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isFixedPitch(family) && family != used && !QFontDatabase::isPrivateFamily(family) &&
            QFontDatabase::styles(family).contains(QStringLiteral("Bold")))
            return family;
    }
    return QString();
}

// Picks a font in the font dialog and presses its OK button.
void ChooseInFontDialog(QWidget* modal, const QFont& font) {
    auto* dialog = qobject_cast<QFontDialog*>(modal);
    QVERIFY(dialog);
    dialog->setCurrentFont(font);
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    QVERIFY(buttons);
    buttons->button(QDialogButtonBox::Ok)->click();
}

// The lines pdftotext reads out of a PDF, empty ones left out.
QStringList PdfLines(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    if (!process.waitForFinished(20000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class TestViewZoom : public QObject {
    Q_OBJECT

    GuiTestEnv m_env;
    std::unique_ptr<CEditorApp> m_app;
    CEditorView* m_view = nullptr;

    CMainFrame* Frame() const { return m_app->GetMainFrame(); }

    CEditorView* NewTextWindow() {
        CDocument* doc = m_app->GetTextTemplate()->OpenDocumentFile(QString());
        return doc ? dynamic_cast<CEditorView*>(doc->GetFirstView()) : nullptr;
    }

    // The editor started on the profile as it is, one text window open and the keys in its text.
    void StartWithTextWindow() {
        QVERIFY(m_env.Start(m_app));
        m_view = NewTextWindow();
        QVERIFY(m_view);
        Frame()->show();
        Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_view));
    }

    void Restart() {
        m_env.Stop(m_app);
        StartWithTextWindow();
    }

    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }

    // Prints the text to a PDF and gives the lines that reached it.
    QStringList PrintedLines(const char* name) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setOutputFileName(m_env.FilePath(QLatin1String(name)));
        if (!m_view->PrintDocument(&printer))
            return {};
        return PdfLines(printer.outputFileName());
    }

private slots:
    void initTestCase() { m_env.Begin(); }
    void cleanupTestCase() { m_env.End(); }
    void init() {
        m_env.Reset();
        StartWithTextWindow();
    }
    void cleanup() {
        m_view = nullptr;
        m_env.Stop(m_app);
    }

    // Ctrl+Plus in all its forms, Ctrl+Minus and Ctrl+0 change the text's size in every text window,
    // between limits, and the zoom is written to the profile.
    void keysZoomEveryTextWindow() {
        QCOMPARE(ShownSize(m_view), 10);
        const qreal lineHeight = QFontMetricsF(m_view->document()->defaultFont()).height();
        QVERIFY(!Frame()->IsCommandEnabled(ID_VIEW_ZOOM_RESET));

        Key(Qt::Key_Plus);
        QCOMPARE(ShownSize(m_view), 11);
        QVERIFY(QFontMetricsF(m_view->document()->defaultFont()).height() > lineHeight);
        Key(Qt::Key_Equal);
        QCOMPARE(ShownSize(m_view), 12);
        Key(Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(ShownSize(m_view), 13);
        QCOMPARE(GuiTestEnv::Profile().value(QStringLiteral("Settings/TextZoom")).toInt(), 3);
        // The text is unchanged: the keys zoomed and typed nothing.
        QVERIFY(m_view->document()->isEmpty());

        CEditorView* second = NewTextWindow();
        QVERIFY(second);
        QCOMPARE(ShownSize(second), 13);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(second));
        Key(Qt::Key_Minus);
        QCOMPARE(ShownSize(second), 12);
        QCOMPARE(ShownSize(m_view), 12);
        Key(Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(ShownSize(m_view), 11);
        Key(Qt::Key_0);
        QCOMPARE(ShownSize(m_view), 10);
        QCOMPARE(ShownSize(second), 10);
        QCOMPARE(GuiTestEnv::Profile().value(QStringLiteral("Settings/TextZoom")).toInt(), 0);

        // Limits: never below 4 pt, never beyond four times the font's own size.
        for (int i = 0; i < 20; ++i)
            Key(Qt::Key_Minus);
        QCOMPARE(ShownSize(m_view), 4);
        QVERIFY(!Frame()->IsCommandEnabled(ID_VIEW_ZOOM_OUT));
        for (int i = 0; i < 50; ++i)
            Key(Qt::Key_Plus);
        QCOMPARE(ShownSize(m_view), 40);
        QVERIFY(!Frame()->IsCommandEnabled(ID_VIEW_ZOOM_IN));
        Key(Qt::Key_Minus);
        QCOMPARE(ShownSize(m_view), 39);
    }

    // Ctrl+wheel zooms (a touchpad's small turns add up to a step); the wheel alone scrolls and
    // leaves the size alone.
    void ctrlWheelZoomsPlainWheelScrolls() {
        QStringList lines;
        for (int i = 0; i < 300; ++i)
            lines << QStringLiteral("line %1").arg(i);
        m_view->SetText(lines.join(QLatin1Char('\n')));
        QTRY_VERIFY(m_view->verticalScrollBar()->maximum() > 0);

        Wheel(m_view, 120, Qt::ControlModifier);
        QCOMPARE(ShownSize(m_view), 11);
        Wheel(m_view, 60, Qt::ControlModifier);
        QCOMPARE(ShownSize(m_view), 11);
        Wheel(m_view, 60, Qt::ControlModifier);
        QCOMPARE(ShownSize(m_view), 12);
        Wheel(m_view, -240, Qt::ControlModifier);
        QCOMPARE(ShownSize(m_view), 10);
        QCOMPARE(m_view->verticalScrollBar()->value(), 0);

        Wheel(m_view, -120, Qt::NoModifier);
        QCOMPARE(ShownSize(m_view), 10);
        QVERIFY(m_view->verticalScrollBar()->value() > 0);
    }

    // View, Font offers the fixed-pitch fonts, starting from the chosen font at its own size; the
    // choice and the zoom on top of it come back at the next start.
    void fontAndZoomSurviveARestart() {
        Key(Qt::Key_Plus);
        Key(Qt::Key_Plus);
        const QString family = AnotherFixedFamily(m_view->font());
        QVERIFY(!family.isEmpty());
        QFont wanted(family, 14);
        wanted.setBold(true);
        bool bOffered = false;
        AnswerNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFontDialog*>(modal);
            QVERIFY(dialog);
            QVERIFY(dialog->testOption(QFontDialog::MonospacedFonts));
            QCOMPARE(dialog->currentFont().pointSize(), 10);
            bOffered = true;
            ChooseInFontDialog(modal, wanted);
        });
        QVERIFY(Frame()->IsCommandEnabled(ID_VIEW_FONT));
        Frame()->OnUserCommand(ID_VIEW_FONT);
        QVERIFY(bOffered);
        QCOMPARE(m_view->font().family(), family);
        QVERIFY(m_view->font().bold());
        QCOMPARE(ShownSize(m_view), 16);
        QCOMPARE(CEditorView::ChosenFont().pointSize(), 14);

        Restart();
        QCOMPARE(m_view->font().family(), family);
        QVERIFY(m_view->font().bold());
        QCOMPARE(ShownSize(m_view), 16);
        Key(Qt::Key_0);
        QCOMPARE(ShownSize(m_view), 14);

        // Cancelled, the dialog changes nothing.
        AnswerNextModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
        Frame()->OnUserCommand(ID_VIEW_FONT);
        QCOMPARE(m_view->font().family(), family);
        QCOMPARE(ShownSize(m_view), 14);
    }

    // The lock closes the font dialog as cancelled; after the unlock it comes back.
    void fontDialogClosesOnLockAndComesBack() {
        QPointer<QWidget> first;
        AnswerNextModal([&](QWidget* modal) {
            first = modal;
            Frame()->Lock();
        });
        Frame()->OnUserCommand(ID_VIEW_FONT);
        QVERIFY(Frame()->m_bLocked);
        QVERIFY(!first || !first->isVisible());
        QVERIFY(Frame()->ScreenLock().IsMarkedForReplay(ID_VIEW_FONT));
        QCOMPARE(ShownSize(m_view), 10);

        const QString family = AnotherFixedFamily(m_view->font());
        bool bBack = false;
        AnswerNextModal([&](QWidget* modal) {
            bBack = true;
            ChooseInFontDialog(modal, QFont(family, 12));
        });
        QTest::keyClick(Frame()->GetLockWnd(), Qt::Key_Space);
        QVERIFY(!Frame()->m_bLocked);
        QVERIFY(bBack);
        QCOMPARE(ShownSize(m_view), 12);
        QVERIFY(!Frame()->ScreenLock().IsMarkedForReplay(ID_VIEW_FONT));
    }

    // Zoom and Font belong to the text: a passwords window leaves them disabled.
    void passwordsWindowHasNoZoomOrFont() {
        QVERIFY(m_app->GetPasswordsTemplate()->OpenDocumentFile(QString()));
        QCoreApplication::processEvents();
        for (const int nID : {ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, ID_VIEW_ZOOM_RESET, ID_VIEW_FONT})
            QVERIFY2(!Frame()->IsCommandEnabled(nID), qPrintable(QString::number(nID)));
        Key(Qt::Key_Plus);
        QCOMPARE(GuiTestEnv::Profile().value(QStringLiteral("Settings/TextZoom"), 0).toInt(), 0);
    }

    // Paper gets the chosen font at its own size: zoomed in, a long line breaks on the page where it
    // breaks unzoomed; a larger chosen font gives shorter lines.
    void printingUsesTheFontsOwnSizeNotTheZoom() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is needed to read the printed text");
        QString line;
        for (int i = 0; i < 600; ++i)
            line += QChar(u'a' + i % 26);
        m_view->SetText(line);

        const QStringList plain = PrintedLines("plain.pdf");
        QVERIFY(plain.size() > 1);
        for (int i = 0; i < 6; ++i)
            Key(Qt::Key_Plus);
        QCOMPARE(ShownSize(m_view), 16);
        const QStringList zoomed = PrintedLines("zoomed.pdf");
        QCOMPARE(zoomed, plain);

        // The family the default comes out as, larger.
        const QString family = QFontInfo(CEditorView::ChosenFont()).family();
        AnswerNextModal([family](QWidget* modal) { ChooseInFontDialog(modal, QFont(family, 16)); });
        Frame()->OnUserCommand(ID_VIEW_FONT);
        QCOMPARE(CEditorView::ChosenFont().pointSize(), 16);
        const QStringList larger = PrintedLines("larger.pdf");
        QVERIFY(larger.size() > plain.size());
        QVERIFY(larger.first().size() < plain.first().size());
        // Page ends come out as form feeds.
        QCOMPARE(larger.join(QString()).remove(QLatin1Char('\f')), line);
    }
};

QTEST_MAIN(TestViewZoom)
#include "test_view_zoom.moc"
