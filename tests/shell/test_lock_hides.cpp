// While the screen is locked, nothing of a document may be reached by anything that reads widgets
// rather than pixels: the accessibility tree, the title, the menu. After the unlock every document
// window is back as it was.

#include "DocumentKinds.h"

#include "res/resource.h"
#include "shell/LockScreenWnd.h"
#include "workspace/LeftView.h"
#include "workspace/VaultoraChildFrame.h"
#include "workspace/WebAccView.h"

#include <QAccessible>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScrollBar>
#include <QTreeWidget>

namespace {

const QString kSecret = QStringLiteral("WebSecret123");

// Every text the accessibility tree gives of the top-level windows: names, values, descriptions and
// the text of text fields, as a screen reader walking the tree would read them.
QStringList AccessibleTexts() {
    QStringList texts;
    std::function<void(QAccessibleInterface*, int)> walk = [&](QAccessibleInterface* iface, int depth) {
        if (!iface || !iface->isValid() || depth > 40)
            return;
        for (QAccessible::Text kind : {QAccessible::Name, QAccessible::Value, QAccessible::Description})
            texts << iface->text(kind);
        if (QAccessibleTextInterface* text = iface->textInterface())
            texts << text->text(0, text->characterCount());
        for (int i = 0; i < iface->childCount(); ++i)
            walk(iface->child(i), depth + 1);
    };
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible())
            walk(QAccessible::queryAccessibleInterface(top), 0);
    }
    return texts;
}

bool Reads(const QString& secret) {
    const QStringList texts = AccessibleTexts();
    return std::any_of(texts.begin(), texts.end(), [&](const QString& t) { return t.contains(secret); });
}

QStringList MenuTitles(QMenuBar* bar) {
    QStringList titles;
    for (QAction* action : bar->actions())
        titles << action->text();
    return titles;
}

void Click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
}

} // namespace

class TestLockHides : public QObject, private DocumentKinds {
    Q_OBJECT

    // Opens a document of the test's kind with the secret typed into it, in a window behind a second
    // document's window; returns the widget the secret was typed into, which has the focus.
    QWidget* OpenWithSecret(QMdiSubWindow*& window) {
        Frame()->show();
        Frame()->activateWindow();
        if (!QTest::qWaitForWindowActive(Frame()))
            return nullptr;
        CEncryptedDocument* doc = NewDoc();
        if (!doc)
            return nullptr;
        window = Frame()->MDIClient()->activeSubWindow();
        if (m_bText) {
            for (int i = 0; i < 80; ++i) {
                QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("line %1").arg(i));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            }
            QTest::keyClicks(QApplication::focusWidget(), kSecret);
        } else {
            auto* frame = dynamic_cast<CVaultoraChildFrame*>(window);
            frame->GetLeftView()->AddWebAccount(QStringLiteral("Shop"));
            auto* form = dynamic_cast<CWebAccView*>(frame->GetView(frame->m_nWebAccView));
            Click(form->GetDlgItem(IDC_WEB_PASSWORD));
            QTest::keyClicks(QApplication::focusWidget(), kSecret);
        }
        return QApplication::focusWidget();
    }

private slots:
    void initTestCase_data() { KindRows(); }
    void initTestCase() { BeginKinds(); }
    void cleanupTestCase() { EndKinds(); }
    void init() { StartKind(); }
    void cleanup() { m_env.Stop(m_app); }

    void lockedDocumentsAreUnreachableAndComeBackAsTheyWere() {
        QMdiSubWindow* window = nullptr;
        QWidget* typedInto = OpenWithSecret(window);
        QVERIFY(typedInto && window);
        window->showMaximized();
        QVERIFY(m_app->GetTextTemplate()->OpenDocumentFile(QString()));
        Frame()->MDIClient()->setActiveSubWindow(window);
        auto* field = qobject_cast<QLineEdit*>(typedInto);
        // Back in the field, caret somewhere in the middle.
        if (field) {
            Click(field);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
        }
        QTRY_COMPARE(QApplication::focusWidget(), typedInto);
        auto* text = qobject_cast<QPlainTextEdit*>(typedInto);
        const int caret = field ? field->cursorPosition() : text->textCursor().position();
        const int scroll = text ? text->verticalScrollBar()->value() : 0;
        QVERIFY(!text || scroll > 0);
        const QString title = Frame()->windowTitle();
        QVERIFY(Reads(kSecret));

        Frame()->OnUserCommand(ID_VIEW_LOCK);
        QVERIFY(Frame()->m_bLocked);
        QVERIFY(!Reads(kSecret));
        QAccessibleInterface* area = QAccessible::queryAccessibleInterface(Frame()->MDIClient());
        QCOMPARE(area->childCount(), 0);
        QVERIFY(!window->isVisible());
        QCOMPARE(Frame()->windowTitle(), QStringLiteral("Lockwarden Editor"));
        QCOMPARE(MenuTitles(Frame()->menuBar()), QStringList({"&File", "&View", "&Settings", "&Help"}));
        QCOMPARE(QApplication::focusWidget(), Frame()->GetLockWnd());
        QCOMPARE(QAccessible::queryAccessibleInterface(Frame()->GetLockWnd())->text(QAccessible::Name),
                 QStringLiteral("Lockwarden Editor is locked"));

        QTest::keyClick(Frame()->GetLockWnd(), Qt::Key_Space);
        QVERIFY(!Frame()->m_bLocked);
        QCOMPARE(Frame()->MDIClient()->activeSubWindow(), window);
        QVERIFY(window->isVisible() && window->isMaximized());
        QCOMPARE(QApplication::focusWidget(), typedInto);
        QCOMPARE(Frame()->windowTitle(), title);
        QVERIFY(MenuTitles(Frame()->menuBar()).contains(QStringLiteral("&Edit")));
        QCOMPARE(field ? field->cursorPosition() : text->textCursor().position(), caret);
        if (text)
            QCOMPARE(text->verticalScrollBar()->value(), scroll);
        QVERIFY(Reads(kSecret));
        // The undo history survived: Ctrl+Z in the same widget takes back the typing.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!(field ? field->text() : text->toPlainText()).contains(kSecret));
    }

    void aFormSwitchedAwayFromHoldsNoFieldText() {
        if (m_bText)
            QSKIP("Account forms only.");
        QMdiSubWindow* window = nullptr;
        QVERIFY(OpenWithSecret(window));
        auto* frame = dynamic_cast<CVaultoraChildFrame*>(window);
        CLeftView* tree = frame->GetLeftView();
        QTreeWidgetItem* account = tree->GetSelectedItem();
        auto* password = qobject_cast<QLineEdit*>(
            dynamic_cast<CWebAccView*>(frame->GetView(frame->m_nWebAccView))->GetDlgItem(IDC_WEB_PASSWORD));

        tree->SelectWebFolder();
        QVERIFY(!password->isVisible());
        QVERIFY(password->text().isEmpty());
        QVERIFY(!Reads(kSecret));
        // The account itself keeps it, and shows it again when selected.
        tree->setCurrentItem(account);
        QTRY_VERIFY(password->isVisible());
        QCOMPARE(password->text(), kSecret);
        // Another account of the same kind: the form stays and shows that one.
        tree->AddWebAccount(QStringLiteral("Bank"));
        QVERIFY(password->isVisible());
        QVERIFY(password->text().isEmpty());
        tree->setCurrentItem(account);
        QCOMPARE(password->text(), kSecret);
    }
};

QTEST_MAIN(TestLockHides)
#include "test_lock_hides.moc"
