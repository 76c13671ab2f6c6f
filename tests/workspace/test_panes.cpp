// The panes of a passwords window and the windows around them, in the editor started for real: the
// search row as a control of its own (Tab, assistive tools), the generator's length, the About link,
// the sizes windows and columns start with, and the names imports and Save As give.

#include "common/DocumentAnswers.h"
#include "common/GuiTestEnv.h"

#include "controls/LinkLabel.h"
#include "framework/DocTemplate.h"
#include "framework/MDIChildWnd.h"
#include "passwords/VaultoraDoc.h"
#include "res/resource.h"
#include "shell/EditorApp.h"
#include "shell/MainFrame.h"
#include "workspace/AccountSearch.h"
#include "workspace/LeftView.h"
#include "workspace/PasswordGeneratorDlg.h"
#include "workspace/SwitchSplitterWnd.h"
#include "workspace/VaultoraChildFrame.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QSpinBox>
#include <QSplitter>
#include <QtTest>
#include <memory>

using namespace docanswers;

namespace {

// Every accessible object below the interface, depth first.
void Walk(QAccessibleInterface* iface, const std::function<void(QAccessibleInterface*)>& visit, int depth = 0) {
    if (!iface || depth > 40)
        return;
    visit(iface);
    for (int i = 0; i < iface->childCount(); ++i)
        Walk(iface->child(i), visit, depth + 1);
}

// What a screen reader's hit test at the widget's centre finds, going down from the window.
QObject* HitTest(QWidget* window, QWidget* target) {
    const QPoint global = target->mapToGlobal(target->rect().center());
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(window);
    while (iface) {
        QAccessibleInterface* child = iface->childAt(global.x(), global.y());
        if (!child)
            break;
        iface = child;
    }
    return iface ? iface->object() : nullptr;
}

void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, mods);
}

} // namespace

class PanesTest : public QObject {
    Q_OBJECT

    GuiTestEnv m_env;
    std::unique_ptr<CEditorApp> m_app;

    CMainFrame* Frame() const { return m_app->GetMainFrame(); }

    // A new passwords document in its window, the main window active around it.
    CVaultoraChildFrame* NewPasswordsWindow() {
        auto* doc = dynamic_cast<CVaultoraDoc*>(m_app->GetPasswordsTemplate()->OpenDocumentFile(QString()));
        if (!doc)
            return nullptr;
        Frame()->activateWindow();
        if (!QTest::qWaitForWindowActive(Frame()))
            return nullptr;
        QCoreApplication::processEvents();
        return dynamic_cast<CVaultoraChildFrame*>(Frame()->MDIGetActive());
    }

    int TreeWidth(const CVaultoraChildFrame* frame) const { return frame->GetSplitter()->sizes().value(0); }

private slots:
    void initTestCase() { m_env.Begin(); }
    void cleanupTestCase() { m_env.End(); }
    void init() {
        QVERIFY(m_env.StartFresh(m_app));
        Frame()->setGeometry(0, 0, 1280, 800);
        QCoreApplication::processEvents();
    }
    void cleanup() { m_env.Stop(m_app); }

    // The search row stands above the tree, outside it: Tab goes field, All fields, tree, form and
    // back; a screen reader finds the field by name and by a hit test, and the tree by its name.
    void searchRowIsAControlOfItsOwn() {
        CVaultoraChildFrame* frame = NewPasswordsWindow();
        QVERIFY(frame);
        CLeftView* tree = frame->GetLeftView();
        CAccountSearch* search = tree->GetSearch();
        QLineEdit* field = search->GetField();
        QVERIFY(!tree->isAncestorOf(search));
        QCOMPARE(search->parentWidget(), tree->parentWidget());
        QVERIFY(search->isVisible());
        QVERIFY(search->geometry().bottom() < tree->geometry().top());
        QCOMPARE(search->width(), tree->width());

        QCOMPARE(QApplication::focusWidget(), tree);
        Key(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), field);
        Key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), search->GetAllFieldsCheck());
        Key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), tree);
        Key(Qt::Key_Tab);
        QCOMPARE(GetDlgCtrlID(QApplication::focusWidget()), IDC_BLANK_ADD_WEB);
        Key(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), tree);
        Key(Qt::Key_Backtab, Qt::ShiftModifier);
        Key(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), field);

        QAccessibleInterface* fieldFace = nullptr;
        QAccessibleInterface* treeFace = nullptr;
        Walk(QAccessible::queryAccessibleInterface(Frame()), [&](QAccessibleInterface* iface) {
            if (iface->object() == field)
                fieldFace = iface;
            if (iface->object() == tree)
                treeFace = iface;
        });
        QVERIFY(fieldFace);
        QCOMPARE(fieldFace->role(), QAccessible::EditableText);
        QCOMPARE(fieldFace->text(QAccessible::Name), QStringLiteral("Search accounts"));
        QVERIFY(treeFace);
        QCOMPARE(treeFace->text(QAccessible::Name), QStringLiteral("Accounts"));
        QCOMPARE(HitTest(Frame(), field), static_cast<QObject*>(field));

        // The heading icon of an account form says the account's kind.
        tree->AddWebAccount(QStringLiteral("Bank"));
        QStringList iconNames;
        for (auto* label : frame->GetView(frame->m_nWebAccView)->GetWnd()->findChildren<QLabel*>()) {
            if (!label->pixmap().isNull())
                iconNames << QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
        }
        QCOMPARE(iconNames, QStringList({QStringLiteral("Web account")}));
    }

    // The length is a spin box from 4 to 128 that the label names; the arrows change it and the
    // candidate follows, and it stops at its bounds.
    void generatorLengthIsASpinBox() {
        QString fails;
        QList<int> lengths;
        AnswerNextModal([&](QWidget* modal) {
            auto* dialog = dynamic_cast<CPasswordGeneratorDlg*>(modal);
            auto* spin = dialog ? qobject_cast<QSpinBox*>(dialog->GetDlgItem(IDC_GENERATOR_LENGTH)) : nullptr;
            if (!spin) {
                fails = "no spin box";
                modal->close();
                return;
            }
            QLabel* label = nullptr;
            for (auto* candidate : dialog->findChildren<QLabel*>())
                label = candidate->buddy() == spin ? candidate : label;
            if (!label)
                fails = "the length has no label";
            // The dialog opens in the length.
            QTRY_VERIFY(QApplication::focusWidget() && QApplication::focusWidget()->window() == modal);
            if (QApplication::focusWidget() != spin)
                fails = "the dialog starts elsewhere";
            const auto length = [&] { lengths << spin->value() << int(dialog->GetPassword().size()); };
            length();
            Key(Qt::Key_Up);
            length();
            for (int i = 0; i < 15; ++i)
                Key(Qt::Key_PageUp);
            length();
            for (int i = 0; i < 15; ++i)
                Key(Qt::Key_PageDown);
            length();
            if (spin->minimum() != 4 || spin->maximum() != 128)
                fails = "range";
            modal->close();
        });
        CPasswordGeneratorDlg dialog;
        dialog.DoModal();
        QCOMPARE(fails, QString());
        QCOMPARE(lengths, QList<int>({20, 20, 21, 21, 128, 128, 4, 4}));
    }

    // The About box's web page is a link to assistive tools: its role, its name, a press action.
    void aboutLinkIsALink() {
        QAccessible::Role role = QAccessible::NoRole;
        QString name;
        QStringList actions;
        AnswerNextModal([&](QWidget* modal) {
            if (auto* link = modal->findChild<CLinkLabel*>()) {
                QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(link);
                role = iface->role();
                name = iface->text(QAccessible::Name);
                if (iface->actionInterface())
                    actions = iface->actionInterface()->actionNames();
            }
            modal->close();
        });
        Frame()->OnUserCommand(ID_APP_ABOUT);
        QCOMPARE(role, QAccessible::Link);
        QVERIFY(name.startsWith(QStringLiteral("http")));
        QVERIFY(actions.contains(QAccessibleActionInterface::pressAction()));
    }

    // The first start's placement: three quarters of the free screen, never under 1000x700 where
    // the screen has that, centred; a smaller screen is filled.
    void firstPlacement() {
        QCOMPARE(CMainFrame::DefaultPlacement(QRect(0, 0, 1280, 800)), QRect(140, 50, 1000, 700));
        QCOMPARE(CMainFrame::DefaultPlacement(QRect(0, 32, 1920, 1048)), QRect(240, 163, 1440, 786));
        QCOMPARE(CMainFrame::DefaultPlacement(QRect(0, 0, 800, 600)), QRect(0, 0, 800, 600));
    }

    // On a 1280x800 window the tree starts at 30% of the width, keeps that share as the window grows,
    // and a drag sets a share that is kept in turn. Restored, the window is at least big enough for the
    // forms with their buttons, or fills a document area that is smaller.
    void treeColumnAndWindowSizes() {
        CVaultoraChildFrame* frame = NewPasswordsWindow();
        QVERIFY(frame);
        QSplitter* splitter = frame->GetSplitter();
        QVERIFY(frame->isMaximized());
        const auto share = [&] { return double(TreeWidth(frame)) / (splitter->width() - splitter->handleWidth()); };
        QVERIFY2(qAbs(share() - 0.3) < 0.01, QByteArray::number(share()));
        QVERIFY(TreeWidth(frame) > CVaultoraChildFrame::kTreeColumnWidth);
        Frame()->resize(1600, 1000);
        QCoreApplication::processEvents();
        QVERIFY2(qAbs(share() - 0.3) < 0.01, QByteArray::number(share()));
        QVERIFY(TreeWidth(frame) > 400);

        // Dragged to 200 px, the column keeps that share of a wider window.
        QWidget* handle = splitter->handle(1);
        const int y = handle->height() / 2;
        QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(1, y));
        QTest::mouseMove(handle, QPoint(1 - (TreeWidth(frame) - 200), y));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(1 - (TreeWidth(frame) - 200), y));
        QCOMPARE(TreeWidth(frame), 200);
        const double dragged = share();
        Frame()->resize(1280, 800);
        QCoreApplication::processEvents();
        QVERIFY2(qAbs(share() - dragged) < 0.01, QByteArray::number(share()));

        // Restored: as big as the forms need, inside the area.
        const QSize useful = frame->GetUsefulClientSize();
        QVERIFY(useful.width() > 600 && useful.height() > 300);
        frame->showNormal();
        QCoreApplication::processEvents();
        QVERIFY(frame->widget()->width() >= useful.width());
        QVERIFY(frame->widget()->height() >= useful.height());
        QVERIFY(Frame()->MDIClient()->viewport()->rect().contains(frame->geometry()));

        // In a main window too small for them, a new window fills the area.
        Frame()->resize(640, 420);
        QCoreApplication::processEvents();
        CVaultoraChildFrame* small = NewPasswordsWindow();
        QVERIFY(small && small != frame);
        small->showNormal();
        QCoreApplication::processEvents();
        QCOMPARE(small->geometry(), Frame()->MDIClient()->viewport()->rect());
    }

    // A maximised window puts its buttons beside the menus; closing the last window takes them away.
    void closingLeavesNoButtonsBehind() {
        CVaultoraChildFrame* frame = NewPasswordsWindow();
        QVERIFY(frame && frame->isMaximized());
        const auto cornerShown = [this] {
            QWidget* corner = Frame()->menuBar()->cornerWidget(Qt::TopRightCorner);
            return corner && corner->isVisible();
        };
        const bool bShownWhileOpen = cornerShown();
        frame->GetLeftView()->GetDocument()->OnCloseDocument();
        GuiTestEnv::FlushDeletes();
        QCoreApplication::processEvents();
        QVERIFY(Frame()->MDIClient()->subWindowList().isEmpty());
        QVERIFY(!cornerShown());
        // Only meaningful where the style puts the buttons there at all.
        if (!bShownWhileOpen)
            qInfo("the style keeps a maximised window's buttons in its own title bar");
    }

    // After the first save the tree's root names the file it was saved as.
    void rootNamesTheFileAfterSaveAs() {
        CVaultoraChildFrame* frame = NewPasswordsWindow();
        QVERIFY(frame);
        CLeftView* tree = frame->GetLeftView();
        QCOMPARE(tree->GetRootItem()->text(0), QStringLiteral("Untitled"));
        const QString path = m_env.FilePath(QStringLiteral("vault.kvd"));
        QVERIFY(SaveWithPassword(tree->GetDocument(), path, QStringLiteral("pw")));
        QCOMPARE(tree->GetRootItem()->text(0), QFileInfo(path).canonicalFilePath());
    }
};

QTEST_MAIN(PanesTest)
#include "test_panes.moc"
